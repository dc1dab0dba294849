#pragma once
// The program's one rectangle: left and top inclusive, right and bottom exclusive, as
// the Windows RECT is read by PtInRect. Used for the clickable regions of a picture,
// the panel's blocks, the virtual screen, crops and fills of pixel buffers, and the
// tooltip window.
//
// Width(), Height() and FromSize() do their sums modulo 2^32, so a rectangle made
// from any position and size gives that size back unchanged, even when the right or
// bottom edge lies past the integer range (hand-edited margins can put it there).
#include <algorithm>
#include <cstdint>
#include <iosfwd>

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;

    // The rectangle with its top-left corner at (x, y) and the given size.
    static constexpr Rect FromSize(int x, int y, int width, int height) {
        return {x, y, Add(x, width), Add(y, height)};
    }

    constexpr int Width() const { return Sub(right, left); }
    constexpr int Height() const { return Sub(bottom, top); }
    // No point lies in it: right not past left, or bottom not past top.
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    // Left and top edges inside, right and bottom edges outside; an empty rectangle
    // holds nothing.
    constexpr bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }

    // The part both hold; IsEmpty() when they do not overlap (the edges are then
    // those of the crossing and may be inverted).
    constexpr Rect Intersect(const Rect& o) const {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    }

    // Moves the rectangle; Offsetted gives a moved copy.
    constexpr Rect& Offset(int dx, int dy) {
        left += dx, top += dy, right += dx, bottom += dy;
        return *this;
    }
    constexpr Rect Offsetted(int dx, int dy) const {
        Rect r = *this;
        return r.Offset(dx, dy);
    }

    constexpr bool operator==(const Rect&) const = default;

private:
    static constexpr int Add(int a, int b) {
        return static_cast<int>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
    }
    static constexpr int Sub(int a, int b) {
        return static_cast<int>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
    }
};

// "(left,top)-(right,bottom)", for test messages and logs.
std::ostream& operator<<(std::ostream& out, const Rect& r);
