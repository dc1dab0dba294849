// The pop-up data window under Wine with a source of its own: the keyboard moving its
// focus frame (read off the screen), a recomposition and a wallpaper set while it is
// open (it stays open, in front, with its frame), the items read through oleacc as a
// screen reader reads them, the default action opening an item and Esc closing.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleacc.h>

#include <functional>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "TwoColourBmp.h"
#include "Win32DesktopTestUtil.h"
#include "Win32PopUp.h"

namespace {

// Three items over a plain grey picture; the focus and the activations as a program's
// source keeps them.
class TestPopupSource : public IPopupSource {
public:
    TestPopupSource() : m_pixels(static_cast<size_t>(700) * 526, 0x00808080) {
        m_items = {{Rect{20, 40, 300, 60}, "Today, 09:00-09:15, Stand-up", PopupItem::Role::ListItem},
                   {Rect{20, 80, 300, 100}, "Report", PopupItem::Role::ListItem},
                   {Rect{400, 300, 420, 315}, "10 December 2026", PopupItem::Role::Cell}};
    }
    void PaintPicture(void (*paint)(const PixelSurface&, void*), void* context) override {
        PixelSurface s{reinterpret_cast<std::uint8_t*>(m_pixels.data()), 700, 526, 700 * 4};
        paint(s, context);
    }
    void MouseMove(int, int, int, int) override {}
    void LeftButtonDown(int x, int y) override { clicks.push_back({x, y}); }
    std::vector<PopupItem> Items(int& focused) override {
        std::lock_guard<std::mutex> lock(m_guard);
        focused = m_focused;
        return m_items;
    }
    bool MoveFocus(bool forward) override {
        std::lock_guard<std::mutex> lock(m_guard);
        m_focused = (m_focused + (forward ? 1 : 2)) % 3;
        return true;
    }
    bool SetFocus(int index) override {
        std::lock_guard<std::mutex> lock(m_guard);
        if (index < 0 || index > 2) return false;
        m_focused = index;
        return true;
    }
    bool ActivateFocused() override {
        std::lock_guard<std::mutex> lock(m_guard);
        activated.push_back(m_focused);
        return true;
    }
    int AddChangeListener(std::function<void()> changed) override {
        std::lock_guard<std::mutex> lock(m_guard);
        m_listeners[++m_next] = std::move(changed);
        return m_next;
    }
    void RemoveChangeListener(int id) override {
        std::lock_guard<std::mutex> lock(m_guard);
        m_listeners.erase(id);
    }
    // Where the program places an open window (empty: where it opened).
    Rect Placement() override {
        std::lock_guard<std::mutex> lock(m_guard);
        return m_placement;
    }
    void Place(const Rect& r) {
        std::lock_guard<std::mutex> lock(m_guard);
        m_placement = r;
    }
    // What the main thread does after each composition.
    void Recomposed() {
        std::lock_guard<std::mutex> lock(m_guard);
        for (auto& l : m_listeners) l.second();
    }
    int Listeners() {
        std::lock_guard<std::mutex> lock(m_guard);
        return static_cast<int>(m_listeners.size());
    }
    int Focused() {
        std::lock_guard<std::mutex> lock(m_guard);
        return m_focused;
    }

    std::vector<POINT> clicks;
    std::vector<int> activated;

private:
    std::vector<uint32_t> m_pixels;
    std::vector<PopupItem> m_items;
    Rect m_placement;
    std::mutex m_guard;
    std::map<int, std::function<void()>> m_listeners;
    int m_next = 0;
    int m_focused = 0;
};

HWND FindPopUp() { return FindWindowW(CPopUpWnd::kClass, nullptr); }

// Pumps this thread's messages until done, at most ms; whether it is.
bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Gather(nullptr, 20);
    }
    return true;
}

class PopUpWindow : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override {
        if (HWND w = FindPopUp()) PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 0);
        Gather(nullptr, 300);
        CoUninitialize();
    }
    // Opens it and waits until it is on the screen in front; null when it is not.
    HWND Open() {
        if (!CPopUpThread::Start(source, Rect::FromSize(100, 100, 700, 526), GetCurrentThreadId())) return nullptr;
        HWND w = nullptr;
        PumpUntil([&] {
            w = FindPopUp();
            return w && IsWindowVisible(w) && GetForegroundWindow() == w;
        }, 5000);
        Gather(nullptr, 200); // painted
        return w;
    }
    // Whether the highlight colour frames the item on the screen (its left edge, half way down).
    bool FrameShown(HWND w, int item) {
        int focused = -1;
        const Rect r = source.Items(focused)[static_cast<size_t>(item)].rect;
        POINT p{r.left, (r.top + r.bottom) / 2};
        ClientToScreen(w, &p);
        const std::vector<uint32_t> px = ScreenPixels(RECT{p.x, p.y, p.x + 2, p.y + 1});
        return px.size() == 2 && px[0] == Rgb(GetSysColor(COLOR_HIGHLIGHT)) && px[1] == px[0];
    }
    bool WaitFrame(HWND w, int item) {
        bool shown = false;
        PumpUntil([&] { return shown = FrameShown(w, item); }, 3000);
        return shown;
    }

    TestPopupSource source;
};

TEST_F(PopUpWindow, KeysMoveTheFrameARecompositionKeepsItOpenAndEscCloses) {
    HWND w = Open();
    ASSERT_NE(w, nullptr) << "no pop-up in front";
    EXPECT_EQ(source.Listeners(), 1);
    EXPECT_TRUE(WaitFrame(w, 0)) << "the focus frame on the first item";
    EXPECT_FALSE(FrameShown(w, 1));

    PostMessageW(w, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_TRUE(WaitFrame(w, 1)) << "Tab";
    EXPECT_FALSE(FrameShown(w, 0)) << "one frame only";
    PostMessageW(w, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_TRUE(WaitFrame(w, 2)) << "Down";
    PostMessageW(w, WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_TRUE(WaitFrame(w, 1)) << "Left";

    // Five recompositions and a wallpaper set while it is open: it stays, in front,
    // with its frame where it was.
    const std::string bmp = "popup-test-wall.bmp";
    std::ofstream(bmp, std::ios::binary) << TwoColourBmp(64, 64, 0x336699, 0x993366, 16);
    for (int i = 0; i < 5; ++i) {
        source.Recomposed();
        Gather(nullptr, 100);
    }
    wchar_t full[MAX_PATH] = {}, before[MAX_PATH] = {};
    GetFullPathNameW(L"popup-test-wall.bmp", MAX_PATH, full, nullptr);
    SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, before, 0);
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, full, SPIF_SENDCHANGE);
    Gather(nullptr, 500);
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, before, SPIF_SENDCHANGE);
    ASSERT_EQ(FindPopUp(), w) << "the pop-up went after a recomposition";
    EXPECT_EQ(GetForegroundWindow(), w);
    EXPECT_TRUE(WaitFrame(w, 1)) << "the frame went after a recomposition";
    DeleteFileW(full);
    auto at = [&] {
        RECT r{};
        GetWindowRect(w, &r);
        return Rect{r.left, r.top, r.right, r.bottom};
    };
    EXPECT_EQ(at(), Rect::FromSize(100, 100, 700, 526)) << "no placement given: where it opened";

    // A display change: the program places it elsewhere (the panel monitor's middle now)
    // and recomposes. The open window moves there, still in front, its frame kept.
    source.Place(Rect::FromSize(30, 50, 700, 526));
    source.Recomposed();
    EXPECT_TRUE(PumpUntil([&] { return at() == Rect::FromSize(30, 50, 700, 526); }, 3000)) << at();
    EXPECT_EQ(GetForegroundWindow(), w);
    EXPECT_TRUE(WaitFrame(w, 1)) << "the frame went after the move";

    // Alt+F4's close request is refused; Esc closes without opening anything.
    SendMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(FindPopUp(), w);
    PostMessageW(w, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpUntil([&] { return FindPopUp() == nullptr; }, 3000);
    EXPECT_EQ(FindPopUp(), nullptr);
    EXPECT_TRUE(source.activated.empty());
    EXPECT_EQ(source.Listeners(), 0) << "the closed window hears no more pictures";

    // Enter opens the focused item and closes.
    w = Open();
    ASSERT_NE(w, nullptr);
    PostMessageW(w, WM_KEYDOWN, VK_RETURN, 0);
    PumpUntil([&] { return FindPopUp() == nullptr; }, 3000);
    EXPECT_EQ(FindPopUp(), nullptr);
    EXPECT_EQ(source.activated, std::vector<int>{1});
}

// What a screen reader reads, through oleacc: the client with one child per item,
// each with its name, role, state, screen rectangle and default action "Open";
// selecting a child moves the frame, its default action opens it.
TEST_F(PopUpWindow, OleaccReadsOneChildPerItemAndItsDefaultActionOpensIt) {
    HWND w = Open();
    ASSERT_NE(w, nullptr);
    IAccessible* acc = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(w, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                         reinterpret_cast<void**>(&acc)),
              S_OK);
    ASSERT_NE(acc, nullptr);
    long count = 0;
    EXPECT_EQ(acc->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 3);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role{};
    EXPECT_EQ(acc->get_accRole(self, &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_CLIENT);
    const long roles[] = {ROLE_SYSTEM_LISTITEM, ROLE_SYSTEM_LISTITEM, ROLE_SYSTEM_CELL};
    int focused = -1;
    const std::vector<PopupItem> items = source.Items(focused);
    for (long i = 1; i <= 3; ++i) {
        VARIANT child{};
        child.vt = VT_I4;
        child.lVal = i;
        BSTR name = nullptr;
        ASSERT_EQ(acc->get_accName(child, &name), S_OK);
        EXPECT_EQ(std::wstring(name), std::wstring(items[i - 1].name.begin(), items[i - 1].name.end()));
        SysFreeString(name);
        EXPECT_EQ(acc->get_accRole(child, &role), S_OK);
        EXPECT_EQ(role.lVal, roles[i - 1]) << i;
        long x = 0, y = 0, cx = 0, cy = 0;
        ASSERT_EQ(acc->accLocation(&x, &y, &cx, &cy, child), S_OK);
        POINT corner{items[i - 1].rect.left, items[i - 1].rect.top};
        ClientToScreen(w, &corner);
        EXPECT_EQ(x, corner.x);
        EXPECT_EQ(y, corner.y);
        EXPECT_EQ(cx, items[i - 1].rect.Width());
        EXPECT_EQ(cy, items[i - 1].rect.Height());
        BSTR action = nullptr;
        ASSERT_EQ(acc->get_accDefaultAction(child, &action), S_OK);
        EXPECT_EQ(std::wstring(action), L"Open");
        SysFreeString(action);
        VARIANT state{};
        EXPECT_EQ(acc->get_accState(child, &state), S_OK);
        EXPECT_EQ((state.lVal & STATE_SYSTEM_FOCUSED) != 0, i == 1) << i;
    }
    VARIANT third{};
    third.vt = VT_I4;
    third.lVal = 3;
    EXPECT_EQ(acc->accSelect(SELFLAG_TAKEFOCUS, third), S_OK);
    EXPECT_TRUE(WaitFrame(w, 2)) << "the frame follows a screen reader's selection";
    VARIANT focus{};
    EXPECT_EQ(acc->get_accFocus(&focus), S_OK);
    EXPECT_EQ(focus.lVal, 3);
    EXPECT_EQ(acc->accDoDefaultAction(third), S_OK);
    PumpUntil([&] { return FindPopUp() == nullptr; }, 3000);
    EXPECT_EQ(FindPopUp(), nullptr);
    EXPECT_EQ(source.activated, std::vector<int>{2});
    // The window gone, its object answers as a disconnected one.
    EXPECT_TRUE(FAILED(acc->get_accChildCount(&count)));
    acc->Release();
}

} // namespace
