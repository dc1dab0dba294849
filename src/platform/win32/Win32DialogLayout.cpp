#include "Win32DialogLayout.h"
#include "Win32Log.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

enum class Kind { Picture, GroupBox, Box, Push, Label, Other };

struct Child {
    HWND hwnd;
    Kind kind;
    RECT rect; // in the dialog's client coordinates
};

Kind KindOf(HWND h) {
    wchar_t cls[32] = {};
    GetClassNameW(h, cls, 32);
    const LONG style = GetWindowLongW(h, GWL_STYLE);
    if (_wcsicmp(cls, L"Static") == 0) {
        switch (style & SS_TYPEMASK) {
        case SS_BITMAP: return Kind::Picture;
        case SS_LEFT:
        case SS_CENTER:
        case SS_RIGHT:
        case SS_LEFTNOWORDWRAP:
        case SS_SIMPLE: return Kind::Label;
        default: return Kind::Other;
        }
    }
    if (_wcsicmp(cls, L"Button") == 0) {
        switch (style & BS_TYPEMASK) {
        case BS_GROUPBOX: return Kind::GroupBox;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
        case BS_3STATE:
        case BS_AUTO3STATE: return Kind::Box;
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON: return Kind::Push;
        default: return Kind::Other;
        }
    }
    return Kind::Other;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }
bool Inside(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}
bool SideBySide(const RECT& a, const RECT& b) { return a.top < b.bottom && b.top < a.bottom; }

std::vector<Child> Children(HWND dialog) {
    std::vector<Child> out;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        out.push_back(Child{c, KindOf(c), r});
    }
    return out;
}

void Place(Child& c) {
    LogIfFalse(SetWindowPos(c.hwnd, nullptr, c.rect.left, c.rect.top, Width(c.rect), Height(c.rect),
                            SWP_NOZORDER | SWP_NOACTIVATE),
               "placing a dialog control");
}

// Horizontal dialog units in pixels for this dialog's font.
int UnitsX(HWND dialog, int units) {
    RECT r{0, 0, units, 0};
    MapDialogRect(dialog, &r);
    return r.right;
}
int UnitsY(HWND dialog, int units) {
    RECT r{0, 0, 0, units};
    MapDialogRect(dialog, &r);
    return r.bottom;
}

// The width the control's text needs in its own font, with what the control draws
// beside it (the box of a check box or radio button, a push button's margins); 0 for a
// control without one line of text.
int NeededWidth(const Child& c) {
    if (c.kind != Kind::Box && c.kind != Kind::Push && c.kind != Kind::Label) return 0;
    const int length = GetWindowTextLengthW(c.hwnd);
    if (length <= 0) return 0;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(c.hwnd, text.data(), length + 1)));
    HDC dc = GetDC(c.hwnd);
    if (!dc) return 0;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(c.hwnd, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const bool noPrefix = c.kind == Kind::Label && (GetWindowLongW(c.hwnd, GWL_STYLE) & SS_NOPREFIX);
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | (noPrefix ? DT_NOPREFIX : 0));
    if (old) SelectObject(dc, old);
    ReleaseDC(c.hwnd, dc);
    // A label taller than two lines wraps its words: its width is the template's.
    if (c.kind == Kind::Label && Height(c.rect) >= 2 * tm.tmHeight) return 0;
    int need = Width(r) + 1;
    if (c.kind == Kind::Box) need += GetSystemMetrics(SM_CXMENUCHECK) + tm.tmAveCharWidth;
    if (c.kind == Kind::Push) need += 2 * tm.tmAveCharWidth + 2 * GetSystemMetrics(SM_CXEDGE);
    return need;
}

// The group box holding the control, the smallest if several do.
Child* GroupOf(std::vector<Child>& all, const Child& c) {
    Child* found = nullptr;
    for (Child& o : all)
        if (o.kind == Kind::GroupBox && o.hwnd != c.hwnd && Inside(o.rect, c.rect) &&
            (!found || Width(o.rect) * Height(o.rect) < Width(found->rect) * Height(found->rect)))
            found = &o;
    return found;
}

// How far right the control may reach: the nearest neighbour beside it on its right
// (not a group box holding it), else the dialog's margin.
int RightLimit(const std::vector<Child>& all, const Child& c, int limit, int gap) {
    for (const Child& o : all) {
        if (o.hwnd == c.hwnd || !SideBySide(o.rect, c.rect) || o.rect.left < c.rect.right - 1) continue;
        if (o.kind == Kind::GroupBox && Inside(o.rect, c.rect)) continue;
        limit = std::min(limit, static_cast<int>(o.rect.left) - gap);
    }
    return limit;
}

} // namespace

void FitDialogLayout(HWND dialog, bool resizeDialog) {
    std::vector<Child> all = Children(dialog);
    RECT client{};
    GetClientRect(dialog, &client);
    const int margin = UnitsX(dialog, 7);
    const int gap = UnitsX(dialog, 2);
    const int pad = UnitsX(dialog, 4);
    int maxBottomBefore = 0;
    for (const Child& c : all)
        if (c.kind != Kind::Picture) maxBottomBefore = std::max(maxBottomBefore, static_cast<int>(c.rect.bottom));
    const int bottomMargin = std::max(UnitsY(dialog, 4), static_cast<int>(client.bottom) - maxBottomBefore);
    int width = client.right;

    // Pictures at their bitmap's size; what lies under one goes to just below it.
    for (Child& p : all) {
        if (p.kind != Kind::Picture) continue;
        HBITMAP bitmap = reinterpret_cast<HBITMAP>(SendMessageW(p.hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP info{};
        if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) continue;
        p.rect.right = p.rect.left + info.bmWidth;
        p.rect.bottom = p.rect.top + std::abs(info.bmHeight);
        Place(p);
        int top = INT_MAX;
        for (const Child& c : all)
            if (c.kind != Kind::Picture && c.rect.top > p.rect.top) top = std::min(top, static_cast<int>(c.rect.top));
        if (top == INT_MAX) continue;
        const int dy = p.rect.bottom + UnitsY(dialog, 5) - top;
        // Wider than the dialog: the controls of its right half keep to the right edge.
        const int dx = resizeDialog ? std::max(0, static_cast<int>(p.rect.right) - width) : 0;
        for (Child& c : all) {
            if (c.kind == Kind::Picture || c.rect.top <= p.rect.top) continue;
            OffsetRect(&c.rect, c.rect.left > width / 2 ? dx : 0, dy);
            Place(c);
        }
        width += dx;
    }

    // Each text as wide as it needs, as far as its neighbours and its group box allow;
    // the group box grows with it where nothing stands beside it.
    for (Child& c : all) {
        const int need = NeededWidth(c);
        if (need <= Width(c.rect)) continue;
        const int wanted = c.rect.left + need;
        int limit = RightLimit(all, c, width - margin, gap);
        if (Child* box = GroupOf(all, c)) {
            if (wanted + pad > box->rect.right) {
                const int boxLimit = RightLimit(all, *box, width - margin, gap);
                const int right = std::min(boxLimit, wanted + pad);
                if (right > box->rect.right) {
                    box->rect.right = right;
                    Place(*box);
                }
            }
            limit = std::min(limit, static_cast<int>(box->rect.right) - pad);
        }
        const int right = std::min(limit, wanted);
        if (right > c.rect.right) {
            c.rect.right = right;
            Place(c);
        }
    }

    if (!resizeDialog) return;
    int maxBottom = 0;
    for (const Child& c : all) maxBottom = std::max(maxBottom, static_cast<int>(c.rect.bottom));
    const int dw = std::max(0, width - static_cast<int>(client.right));
    const int dh = maxBottom + bottomMargin - client.bottom;
    if (dw == 0 && dh == 0) return;
    RECT frame{};
    GetWindowRect(dialog, &frame);
    // Kept centred where it was centred.
    const int x = frame.left - dw / 2;
    const int y = frame.top - dh / 2;
    LogIfFalse(SetWindowPos(dialog, nullptr, x, y, Width(frame) + dw, Height(frame) + dh, SWP_NOZORDER | SWP_NOACTIVATE),
               "sizing a dialog to its controls");
}
