// CWindowsEnumer over the real top-level windows: a window titled as Outlook's main
// window is found in any letter case and brought forward; "Microsoft Outlook" alone
// is not found.
#include <gtest/gtest.h>
#include <windows.h>

#include "Win32TopWindows.h"
#include "outlook/WindowsEnumer.h"
#include "platform/Platform.h"

namespace {

LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

class TopWindow {
public:
    explicit TopWindow(const wchar_t* title) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"OrvantaTestOutlookFrame";
        RegisterClassW(&wc);
        m_w = CreateWindowExW(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, 50, 50, 300, 200, nullptr, nullptr,
                              wc.hInstance, nullptr);
    }
    ~TopWindow() {
        if (m_w) DestroyWindow(m_w);
        Pump();
    }
    HWND Get() const { return m_w; }
    static void Pump() {
        MSG msg;
        for (int i = 0; i < 20; ++i) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(10);
        }
    }

private:
    HWND m_w = nullptr;
};

class WindowsEnumerWin32 : public ::testing::Test {
protected:
    CWin32TopWindows top;
    ScopedPort<ITopWindowsPort> withTop{top};
};

TEST_F(WindowsEnumerWin32, NoOutlookWindowIsFoundAmongWinesOwn) {
    TopWindow plain(L"Microsoft Outlook");
    ASSERT_TRUE(plain.Get());
    ShowWindow(plain.Get(), SW_SHOWNORMAL);
    CWindowsEnumer find(CWindowsEnumer::Mode::FindOnly);
    EXPECT_FALSE(find.Search());
    EXPECT_EQ(find.m_found, 0);
}

TEST_F(WindowsEnumerWin32, OutlooksWindowIsFoundInAnyCaseAndBroughtForward) {
    for (const wchar_t* title : {L"Inbox - Microsoft Outlook", L"INBOX - MICROSOFT OUTLOOK", L"inbox - microsoft outlook"}) {
        TopWindow other(L"Some other program");
        TopWindow outlook(title);
        ASSERT_TRUE(outlook.Get());
        ShowWindow(outlook.Get(), SW_SHOWMINIMIZED); // behind, minimised
        ShowWindow(other.Get(), SW_SHOWNORMAL);
        SetForegroundWindow(other.Get());
        TopWindow::Pump();
        ASSERT_TRUE(IsIconic(outlook.Get()));

        CWindowsEnumer find(CWindowsEnumer::Mode::FindOnly);
        EXPECT_TRUE(find.Search());
        TopWindow::Pump();
        EXPECT_TRUE(IsIconic(outlook.Get())) << "find-only leaves it as it is";

        CWindowsEnumer forward;
        EXPECT_TRUE(forward.Search());
        EXPECT_EQ(forward.m_found, 1);
        TopWindow::Pump();
        EXPECT_FALSE(IsIconic(outlook.Get()));
        EXPECT_FALSE(IsZoomed(outlook.Get()));
        EXPECT_EQ(GetForegroundWindow(), outlook.Get());
    }
}

TEST_F(WindowsEnumerWin32, AWindowLastMaximisedComesBackMaximised) {
    TopWindow outlook(L"Calendar - Microsoft Outlook");
    ShowWindow(outlook.Get(), SW_SHOWMAXIMIZED);
    TopWindow::Pump();
    ShowWindow(outlook.Get(), SW_MINIMIZE);
    TopWindow::Pump();
    ASSERT_TRUE(IsIconic(outlook.Get()));
    EXPECT_TRUE(top.RestoresToMaximized(reinterpret_cast<ITopWindowsPort::Handle>(outlook.Get())));
    EXPECT_TRUE(CWindowsEnumer().Search());
    TopWindow::Pump();
    EXPECT_TRUE(IsZoomed(outlook.Get()));
}

} // namespace
