// The Windows property sheet of the dialog port with the program's own page templates,
// run on a thread of its own and driven from the test's: what the pages' objects hear
// (once per Apply, whichever pages exist), what OK, Cancel and a refusing page do, and
// that the controls the pages' objects set are the real controls.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <atomic>
#include <string>
#include <thread>

#include "Win32TestUtil.h"
#include "platform/Platform.h"

namespace {

const wchar_t* kCaption = L"Sheet under test";

// A page's object that records what it hears and sets a few controls of its template.
struct RecordingPage : IPropertyPageEvents {
    explicit RecordingPage(int editId) : edit(editId) {}
    void OnInitPage(IPageControls& c) override {
        ++inits;
        c.SetText(edit, "77");
        c.SetSpinRange(edit + 1, 5, 3600);
    }
    void OnCommand(IPageControls& c, int id, int code) override {
        if (id == edit && code == SheetNotify::EditChanged) {
            ++changes;
            c.SetModified(true);
        }
        if (id == 7 && code == SheetNotify::Clicked) ++clicks;
    }
    void OnHScroll(IPageControls&, int id, int, int position) override {
        scrolledId = id;
        scrolledTo = position;
    }
    bool OnKillActive(IPageControls& c) override {
        ++leaves;
        if (refuse) {
            c.ShowMessage("Refused by the test.", "Sheet test", MB_OK);
            return false;
        }
        return true;
    }
    int edit;
    std::atomic<int> inits{0}, changes{0}, clicks{0}, leaves{0}, scrolledId{0}, scrolledTo{-1};
    std::atomic<bool> refuse{false};
};

struct RecordingSheet : IPropertySheetEvents {
    void OnSheetCreated(IPropertySheetWindow& w) override { w.SetCaption(Narrow(kCaption)); }
    void OnApplyNow() override { ++applies; }
    void OnHelp() override { ++helps; }
    std::atomic<int> applies{0}, helps{0};
};

bool WaitFor(const std::function<bool()>& done, DWORD ms = 5000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(20);
    }
    return true;
}

class Win32PropertySheet : public ::testing::Test {
protected:
    void SetUp() override { Port<IWindowKit>().InitCommonControls(); }
    void Run() {
        PropertySheetDesc desc;
        desc.caption = "Settings";
        desc.pages = {{239, 128, &general}, {241, 128, &appearance}};
        runner = std::thread([this, desc] {
            result = Port<IDialogPort>().RunPropertySheet(desc, sheetEvents);
            ended = true;
        });
        ASSERT_TRUE(WaitFor([&] { return (sheet = FindWindowW(L"#32770", kCaption)) != nullptr; }))
            << "the sheet did not appear with its caption";
    }
    void TearDown() override {
        if (!runner.joinable()) return;
        if (!ended && sheet) PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
        runner.join();
    }
    HWND Page(int index) {
        return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_INDEXTOHWND, static_cast<WPARAM>(index), 0));
    }
    void Press(int button) { PostMessageW(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0); }

    RecordingPage general{1028};
    RecordingPage appearance{1030};
    RecordingSheet sheetEvents;
    std::thread runner;
    std::atomic<int> result{0};
    std::atomic<bool> ended{false};
    HWND sheet = nullptr;
};

TEST_F(Win32PropertySheet, PagesFillTheirRealControlsAndHearTheUser) {
    Run();
    HWND g = Page(0);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(general.inits, 1);
    EXPECT_EQ(appearance.inits, 0) << "a page is made when it is first shown";
    wchar_t text[16] = {};
    GetDlgItemTextW(g, 1028, text, 16);
    EXPECT_STREQ(text, L"77");
    int low = 0, high = 0;
    SendDlgItemMessageW(g, 1029, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 5);
    EXPECT_EQ(high, 3600);
    // An edit reports every change of its text, the page's own too (the settings pages
    // tell their own writes from the user's).
    EXPECT_EQ(general.changes, 1);

    SetDlgItemTextW(g, 1028, L"90");
    EXPECT_EQ(general.changes, 2);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, 0x3021))) << "a changed page enables Apply";
    SendMessageW(GetDlgItem(g, 7), BM_CLICK, 0, 0);
    EXPECT_EQ(general.clicks, 1);

    // F1 on a page's control and on the sheet itself.
    HELPINFO help{};
    help.cbSize = sizeof help;
    SendMessageW(g, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    SendMessageW(sheet, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    EXPECT_EQ(sheetEvents.helps, 2);

    SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
    HWND a = Page(1);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(general.leaves, 1);
    EXPECT_EQ(appearance.inits, 1);
    // The ratio slider reports where it was moved to.
    HWND slider = GetDlgItem(a, 1057);
    SendMessageW(a, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 40), reinterpret_cast<LPARAM>(slider));
    EXPECT_EQ(appearance.scrolledId, 1057);
    EXPECT_EQ(appearance.scrolledTo, 40);
    Press(PSBTN_CANCEL);
    ASSERT_TRUE(WaitFor([&] { return ended.load(); }));
    EXPECT_EQ(result, MsgBox::IdCancel);
    EXPECT_EQ(sheetEvents.applies, 0);
}

TEST_F(Win32PropertySheet, ApplyRunsOnceWithBothPagesAndOkEndsTheSheetWithoutIt) {
    Run();
    SendMessageW(sheet, PSM_SETCURSEL, 1, 0); // both pages exist now
    ASSERT_NE(Page(1), nullptr);
    SetDlgItemTextW(Page(1), 1030, L"12");
    Press(PSBTN_APPLYNOW);
    ASSERT_TRUE(WaitFor([&] { return sheetEvents.applies.load() > 0; }));
    Sleep(200);
    EXPECT_EQ(sheetEvents.applies, 1);
    EXPECT_EQ(appearance.leaves, 1) << "the shown page takes its values first";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, 0x3021)));
    EXPECT_FALSE(ended);

    Press(PSBTN_OK);
    ASSERT_TRUE(WaitFor([&] { return ended.load(); }));
    EXPECT_EQ(result, MsgBox::IdOk);
    EXPECT_EQ(sheetEvents.applies, 1) << "after OK the owner applies, once the sheet closed";
}

TEST_F(Win32PropertySheet, APageThatRefusesKeepsTheSheetOpenOnOk) {
    Run();
    general.refuse = true;
    Press(PSBTN_OK);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindWindowW(L"#32770", L"Sheet test")) != nullptr; }));
    EXPECT_EQ(GetWindow(box, GW_OWNER), sheet) << "the page's message belongs to the sheet";
    general.refuse = false;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    Sleep(200);
    EXPECT_FALSE(ended) << "a refused value keeps the sheet";
    EXPECT_TRUE(IsWindowVisible(sheet));
    Press(PSBTN_OK);
    ASSERT_TRUE(WaitFor([&] { return ended.load(); }));
    EXPECT_EQ(result, MsgBox::IdOk);
    EXPECT_EQ(general.leaves, 2);
}

} // namespace
