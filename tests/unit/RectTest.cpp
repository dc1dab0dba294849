// The one rectangle type: sizes, emptiness, the edges a point is in or out at,
// crossings, moves, and sizes near the integer limits.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <vector>

#include "util/Rect.h"

namespace {

TEST(Rect, SizesEdgesCrossingsAndMoves) {
    struct Point {
        int x, y;
        bool inside;
    };
    struct Case {
        const char* name;
        Rect r;
        int width, height;
        bool empty;
        std::vector<Point> points;
    } cases[] = {
        {"plain", {10, 20, 30, 25}, 20, 5, false,
         {{10, 20, true}, {29, 24, true}, {30, 20, false}, {10, 25, false}, {9, 20, false}, {10, 19, false}}},
        {"one pixel", {0, 0, 1, 1}, 1, 1, false, {{0, 0, true}, {1, 0, false}, {0, 1, false}, {-1, 0, false}}},
        {"negative corner", {-1280, -200, -1080, -100}, 200, 100, false,
         {{-1280, -200, true}, {-1081, -101, true}, {-1080, -150, false}, {-1200, -100, false}, {0, 0, false}}},
        {"across the origin", {-5, -5, 5, 5}, 10, 10, false, {{0, 0, true}, {-5, 4, true}, {5, 0, false}}},
        {"no width", {3, 3, 3, 9}, 0, 6, true, {{3, 3, false}, {3, 8, false}}},
        {"no height", {3, 3, 9, 3}, 6, 0, true, {{3, 3, false}, {8, 3, false}}},
        {"turned round", {9, 9, 3, 3}, -6, -6, true, {{5, 5, false}, {3, 3, false}, {9, 9, false}}},
        {"default", {}, 0, 0, true, {{0, 0, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.r.Width(), c.width);
        EXPECT_EQ(c.r.Height(), c.height);
        EXPECT_EQ(c.r.IsEmpty(), c.empty);
        for (const Point& p : c.points) EXPECT_EQ(c.r.Contains(p.x, p.y), p.inside) << p.x << ',' << p.y;
        // A moved rectangle keeps its size and holds the moved points.
        const Rect moved = c.r.Offsetted(-7, 11);
        EXPECT_EQ(moved, (Rect{c.r.left - 7, c.r.top + 11, c.r.right - 7, c.r.bottom + 11}));
        EXPECT_EQ(moved.Width(), c.width);
        for (const Point& p : c.points) EXPECT_EQ(moved.Contains(p.x - 7, p.y + 11), p.inside) << p.x << ',' << p.y;
        Rect inPlace = c.r;
        EXPECT_EQ(inPlace.Offset(-7, 11), moved);
        EXPECT_EQ(inPlace, moved);
        // Made from its corner and size, it is itself again.
        if (!c.empty) {
            EXPECT_EQ(Rect::FromSize(c.r.left, c.r.top, c.width, c.height), c.r);
        }
    }

    struct Crossing {
        const char* name;
        Rect a, b;
        Rect both; // checked only when not empty
        bool empty;
    } crossings[] = {
        {"overlapping", {0, 0, 10, 10}, {5, -5, 20, 5}, {5, 0, 10, 5}, false},
        {"one inside the other", {-10, -10, 10, 10}, {-2, -3, 4, 5}, {-2, -3, 4, 5}, false},
        {"the same", {1, 2, 3, 4}, {1, 2, 3, 4}, {1, 2, 3, 4}, false},
        {"side by side: a shared edge is no overlap", {0, 0, 10, 10}, {10, 0, 20, 10}, {}, true},
        {"one above the other", {0, 0, 10, 10}, {0, 10, 10, 20}, {}, true},
        {"far apart", {-100, -100, -90, -90}, {50, 50, 60, 60}, {}, true},
        {"apart along x only", {0, 0, 10, 10}, {20, 5, 30, 8}, {}, true},
        {"with an empty one", {0, 0, 10, 10}, {4, 4, 4, 8}, {}, true},
    };
    for (const Crossing& c : crossings) {
        SCOPED_TRACE(c.name);
        for (const Rect& r : {c.a.Intersect(c.b), c.b.Intersect(c.a)}) {
            EXPECT_EQ(r.IsEmpty(), c.empty) << r;
            if (!c.empty) {
                EXPECT_EQ(r, c.both);
            }
            // A point lies in the crossing exactly when it lies in both.
            for (int x = -101; x <= 61; x += 1)
                for (int y : {-101, -91, -5, -3, 0, 4, 5, 9, 10, 50})
                    ASSERT_EQ(r.Contains(x, y), c.a.Contains(x, y) && c.b.Contains(x, y)) << x << ',' << y << ' ' << r;
        }
    }

    // Sizes near the integer limits come back unchanged, though the far edge wraps.
    const Rect far = Rect::FromSize(INT_MAX - 10, INT_MIN + 5, 400, 300);
    EXPECT_EQ(far.Width(), 400);
    EXPECT_EQ(far.Height(), 300);
    EXPECT_EQ(Rect::FromSize(INT_MIN, 0, INT_MAX, 1).right, -1);

    std::ostringstream text;
    text << Rect{-1, 2, 3, 4};
    EXPECT_EQ(text.str(), "(-1,2)-(3,4)");
}

} // namespace
