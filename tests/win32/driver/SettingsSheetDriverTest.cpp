// The settings sheet of the running orvanta.exe, driven from another process as a
// person would: the tray's settings command posted to the main window, the sheet found
// on the desktop, every control's label, value and state read off it, text typed into
// fields and buttons clicked. Outlook is the test server of the end-to-end wallpaper
// test, so Apply really reads, draws and installs. Screenshots of both pages are kept as
// build/screens/settings-general.png and settings-appearance.png for the manual.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>
#include <prsht.h>
#include <shlobj.h>

#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../Win32DesktopTestUtil.h"
#include "../Win32TestUtil.h"
#include "DriverUtil.h"
#include "render/PngWriter.h"
#include "util/PixelSurface.h"

namespace {

const char* kKey = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr WPARAM kSettingsCommand = 32785; // the tray's "&Settings"
constexpr int kApplyButton = 0x3021;       // the sheet's Apply button
const wchar_t* kSheetCaption = L"Orvanta for Outlook Settings";

// The settings as the program stores them: numbers of these names as REG_DWORD, the
// rest as text.
const std::set<std::string> kNumbers{"Orvanta style", "FDOW",         "Systray Ico", "Doubleclick Action",
                                     "Transparency",  "SideBar Width", "Refresh"};
void Store(const std::string& name, const std::string& value) {
    if (kNumbers.count(name)) SetRawDword(kKey, name, static_cast<DWORD>(std::stoul(value)));
    else SetRawText(kKey, name, value);
}
std::string Stored(const std::string& name) {
    const RawValue v = GetRaw(HKEY_CURRENT_USER, kKey, name);
    if (v.rc != ERROR_SUCCESS) return "(missing)";
    return v.type == REG_DWORD ? std::to_string(v.number) : Narrow(v.text);
}

std::string TextA(HWND dlg, int id) { return Narrow(Text(dlg, id)); }
// An up-down control's limits (the 16-bit message: it carries no pointer across processes).
std::pair<int, int> SpinRange(HWND dlg, int id) {
    const LRESULT r = SendDlgItemMessageW(dlg, id, UDM_GETRANGE, 0, 0);
    return {static_cast<short>(HIWORD(r)), static_cast<short>(LOWORD(r))};
}

// Each control of a page with its label as the user reads it.
struct Label {
    int id;
    const wchar_t* text;
};
const Label kGeneralLabels[] = {
    {1012, L"&Launch Orvanta on startup"},
    {1024, L"Launch Outlook on start"},
    {1013, L"S&how splash screen "},
    {1014, L"&Keep Orvanta wallpaper on exit "},
    {1052, L"Use interactive desktop"},
    {1053, L"Double mouse click"},
    {1054, L"Single mouse click"},
    {1055, L"Show desktop tooltips"},
    {1057, L"Show link to Outlook contacts"},
    {1056, L"Windows XP: hide on desktop lock"},
    {1019, L"Show O&rvanta settings dialog"},
    {1020, L"Start Microsoft Ou&tlook"},
    {1025, L"Show/Hide desktop data "},
    {1026, L"Pop-up data "},
    {1011, L"&Date icon"},
    {1010, L"&Program icon"},
    {1090, L"Shown as they are"},
    {1091, L"Subject hidden"},
    {1092, L"Left out"},
    {1093, L"Start in presenting mode"},
    {7, L"Factory Settings"},
    {5, L"Help"},
    {57664, L"About"},
};
const Label kAppearanceLabels[] = {
    {1034, L"Side bar view"},  {1033, L"Central view"},   {1067, L"Center"},
    {1068, L"Position"},       {1070, L"Left:"},          {1071, L"Top:"},
    {1072, L"Left:"},          {1073, L"Top:"},           {1036, L"Calendar"},
    {1037, L"Appointments"},   {1038, L"Tasks"},          {1039, L"Messages"},
    {1074, L"Side bar width:"}, {1040, L"[pixels]"},      {1075, L"Header blank:"},
    {1043, L"[pixels]"},       {1076, L"Footer blank:"},  {1046, L"[pixels]"},
    {1077, L"Right margin:"},  {1049, L"[pixels]"},       {1007, L"Use &Outlook's"},
    {1008, L"&Sunday"},        {1009, L"&Monday"},        {1015, L"Show &week numbers "},
    {1021, L"Use Outlook's"},  {1022, L"24h"},            {1023, L"12h (am/pm)"},
    {1004, L"&Blue"},          {1005, L"&Green"},         {1018, L"B&rown"},
    {1069, L"Factory Settings"}, {5, L"Help"},            {57664, L"About"},
};
// The texts of the controls without ids, found among each page's children.
const wchar_t* kGeneralStatics[] = {L"Data &check interval:", L"[sec]", L"System tray double click action",
                                    L"System tray icon", L"Private items", L"Panel &monitor:"};
constexpr int kPanelMonitorList = 1094;

std::vector<std::wstring> ListEntries(HWND dlg, int id) {
    std::vector<std::wstring> out;
    const LRESULT n = SendDlgItemMessageW(dlg, id, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        wchar_t buf[128] = {};
        if (SendDlgItemMessageW(dlg, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) < 128)
            SendDlgItemMessageW(dlg, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
        out.push_back(buf);
    }
    return out;
}
const wchar_t* kAppearanceStatics[] = {L"Data View", L"T&ransparency:", L"[%]", L"First Day of the Week",
                                       L"Time Style", L"Data Style"};

bool HasChildText(HWND page, const wchar_t* text) {
    for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t buf[256] = {};
        if (SendMessageW(c, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buf)) >= 0 && wcscmp(buf, text) == 0)
            return true;
    }
    return false;
}

// The window as the screen shows it, written as PNG.
bool Screenshot(HWND window, const char* path) {
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    std::vector<uint32_t> px = ScreenPixels(r);
    CreateDirectoryW(L"build", nullptr);
    CreateDirectoryW(L"build\\screens", nullptr);
    PixelSurface s{reinterpret_cast<uint8_t*>(px.data()), w, h, w * 4};
    return WritePng(s, path);
}

using Program = DriverProgram;

// The settings of a user who changed many of them, none at its initial value.
const std::pair<const char*, const char*> kUsersSettings[] = {
    {"Refresh", "45"},           {"Lounch Outlook", "FALSE"},  {"KeepOnExit", "TRUE"},
    {"Doubleclick Action", "2"}, {"Systray Ico", "1"},         {"Desktop Mouse Mode", "1"},
    {"Show Contacts", "FALSE"},  {"Orvanta style", "0"},       {"Transparency", "40"},
    {"FDOW", "2"},               {"Time Style", "1"},          {"SideBar Width", "300"},
    {"Footer Blank", "50"},      {"Header Blank", "10"},       {"Right Margin Blank", "20"},
    {"AppointmentsTask", "70"},  {"Show Tasks", "FALSE"},      {"ShowWeekNumbers", "FALSE"},
    {"SideBarCalPosX", "100"},   {"SideBarCalPosY", "200"},    {"CalendarPosX", "33"},
    {"CalendarPosY", "44"},      {"OffsetType", "1"},          {"SideBarStyle", "0"},
};

class SettingsSheetDriver : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(outlook.Register(SampleStore()));
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kestrova");
        wchar_t appData[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
        output = std::wstring(appData) + L"\\Kestrova\\Orvanta for Outlook\\orvanta.bmp";
        DeleteFileW(output.c_str());
        // No splash and no start-up information in the way of the sheet.
        Store("ShowSplash", "FALSE");
        Store("ShowStartup", "TRUE");
        Store("Hide Data", "FALSE");
    }
    void TearDown() override {
        program.reset(); // ended, if the test left it running, before its Outlook goes
        outlook.Unregister();
        std::wstring none;
        SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, none.data(), SPIF_UPDATEINIFILE);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kestrova");
    }

    // Starts the program and waits for its first picture.
    void Start() {
        program = std::make_unique<Program>();
        ASSERT_TRUE(program->started);
        main = program->MainWindow();
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(WaitFor([&] { return !ReadFile(output).empty(); }, 15000)) << "no picture was drawn";
        EXPECT_TRUE(outlook.ServedThisTest()) << "the program was not served by this test's Outlook";
    }
    // The tray's settings command; the sheet appears at the main frame's next tick.
    HWND OpenSheet() {
        PostMessageW(main, WM_COMMAND, kSettingsCommand, 0);
        HWND sheet = program->Wait(L"#32770", kSheetCaption, 10000);
        if (sheet) Sleep(300); // painted
        return sheet;
    }
    static HWND Page(HWND sheet) {
        return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    // The tab of the page at index, as a click on it selects it (leaving the shown page
    // takes its values first).
    static HWND ShowPage(HWND sheet, int index) {
        SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
        Sleep(300);
        return Page(sheet);
    }
    void Close() {
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(program->WaitExit(15000), 0u);
    }

    TestOutlook outlook;
    std::wstring output;
    std::unique_ptr<Program> program;
    HWND main = nullptr;
};

TEST_F(SettingsSheetDriver, ShowsTheStoredValuesRefusesAnIntervalOf4GreysAndCancelChangesNothing) {
    for (const auto& [name, value] : kUsersSettings) Store(name, value);
    Start();
    const std::string picture = ReadFile(output);
    // The pointer where the user right-clicked the tray: the sheet opens centred on that
    // monitor's work area.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 30, GetSystemMetrics(SM_CYSCREEN) - 10);
    HWND sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr) << "no settings sheet";
    EXPECT_EQ(program->Windows(L"#32770", kSheetCaption).size(), 1u);
    {
        POINT pointer{};
        GetCursorPos(&pointer);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor));
        const RECT& work = monitor.rcWork;
        RECT r{};
        GetWindowRect(sheet, &r);
        EXPECT_NEAR((r.left + r.right) / 2, (work.left + work.right) / 2, 1) << "at " << r.left << "," << r.top;
        EXPECT_NEAR((r.top + r.bottom) / 2, (work.top + work.bottom) / 2, 1) << "at " << r.left << "," << r.top;
    }

    // General Options, as stored.
    HWND g = Page(sheet);
    ASSERT_NE(g, nullptr);
    EXPECT_NE(GetDlgItem(g, 1012), nullptr) << "the first page is not General Options";
    EXPECT_TRUE(Screenshot(sheet, "build\\screens\\settings-general.png"));
    for (const std::string& fault : LayoutFaults(g)) ADD_FAILURE() << "General Options: " << fault;
    for (const Label& l : kGeneralLabels) EXPECT_EQ(Text(g, l.id), l.text) << l.id;
    for (const wchar_t* s : kGeneralStatics) EXPECT_TRUE(HasChildText(g, s)) << Narrow(s);
    EXPECT_TRUE(Checked(g, 1012)) << "the logon entry exists";
    EXPECT_FALSE(Checked(g, 1024));
    EXPECT_FALSE(Checked(g, 1013));
    EXPECT_TRUE(Checked(g, 1014));
    EXPECT_EQ(TextA(g, 1028), "45");
    EXPECT_EQ(SpinRange(g, 1029), std::make_pair(5, 3600));
    EXPECT_TRUE(Checked(g, 1052));
    EXPECT_FALSE(Checked(g, 1053));
    EXPECT_TRUE(Checked(g, 1054));
    EXPECT_TRUE(Checked(g, 1055));
    EXPECT_FALSE(Checked(g, 1057));
    EXPECT_TRUE(Enabled(g, 1056)) << "Wine reports an NT-family system";
    const int actions[] = {1019, 1020, 1025, 1026};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Checked(g, actions[i]), i == 2) << actions[i];
    EXPECT_FALSE(Checked(g, 1011));
    EXPECT_TRUE(Checked(g, 1010));
    // The panel's monitor: the primary, then each monitor there is (Wine shows one).
    EXPECT_EQ(ListEntries(g, kPanelMonitorList), (std::vector<std::wstring>{L"Primary monitor", L"Monitor 1"}));
    EXPECT_EQ(SendDlgItemMessageW(g, kPanelMonitorList, CB_GETCURSEL, 0, 0), 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton))) << "nothing changed yet";

    // Appearance && Positioning, as stored.
    HWND a = ShowPage(sheet, 1);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a, g) << "the page was not left";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton))) << "still nothing changed";
    EXPECT_TRUE(Screenshot(sheet, "build\\screens\\settings-appearance.png"));
    for (const std::string& fault : LayoutFaults(a)) ADD_FAILURE() << "Appearance: " << fault;
    wchar_t caption[64] = {};
    GetWindowTextW(a, caption, 64);
    EXPECT_STREQ(caption, L"Appearance && Positioning");
    for (const Label& l : kAppearanceLabels) EXPECT_EQ(Text(a, l.id), l.text) << l.id;
    for (const wchar_t* s : kAppearanceStatics) EXPECT_TRUE(HasChildText(a, s)) << Narrow(s);
    EXPECT_TRUE(Checked(a, 1034));
    EXPECT_FALSE(Checked(a, 1033));
    EXPECT_TRUE(Checked(a, 1068));
    EXPECT_EQ(TextA(a, 1060), "33");
    EXPECT_EQ(TextA(a, 1059), "44");
    EXPECT_EQ(TextA(a, 1062), "100");
    EXPECT_EQ(TextA(a, 1061), "200");
    EXPECT_TRUE(Checked(a, 1036));
    EXPECT_TRUE(Checked(a, 1037));
    EXPECT_FALSE(Checked(a, 1038));
    EXPECT_TRUE(Checked(a, 1039));
    EXPECT_EQ(TextA(a, 1032), "300");
    EXPECT_EQ(TextA(a, 1041), "10");
    EXPECT_EQ(TextA(a, 1044), "50");
    EXPECT_EQ(TextA(a, 1047), "20");
    EXPECT_EQ(TextA(a, 1030), "40");
    EXPECT_EQ(SendDlgItemMessageW(a, 1057, TBM_GETPOS, 0, 0), 70);
    EXPECT_EQ(TextA(a, 1058), "Appointments/Tasks ratio (70 : 30) %");
    EXPECT_TRUE(Checked(a, 1009));
    EXPECT_FALSE(Checked(a, 1015));
    EXPECT_TRUE(Checked(a, 1022));
    EXPECT_TRUE(Checked(a, 1004));
    const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    EXPECT_EQ(SpinRange(a, 1035), std::make_pair(160, 400));
    EXPECT_EQ(SpinRange(a, 1048), std::make_pair(0, w - 300));
    EXPECT_EQ(SpinRange(a, 1042), std::make_pair(0, h - 50));
    EXPECT_EQ(SpinRange(a, 1066), std::make_pair(0, h));
    // Side bar view: its controls enabled, the central placement greyed.
    for (int id : {1036, 1062, 1065, 1074, 1032, 1077, 1058, 1057}) EXPECT_TRUE(Enabled(a, id)) << id;
    for (int id : {1067, 1068, 1070, 1060, 1063, 1071, 1059}) EXPECT_FALSE(Enabled(a, id)) << id;

    // Back on General Options (the pages keep their windows while the sheet is open).
    ASSERT_EQ(ShowPage(sheet, 0), g);
    // A check interval of 4: refused with the message, the stored 45 kept and shown again.
    Type(g, 1028, L"4");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kApplyButton)));
    Click(sheet, kApplyButton);
    HWND box = program->Wait(L"#32770", L"Orvanta for Outlook", 10000);
    ASSERT_NE(box, nullptr) << "no message for the refused interval";
    EXPECT_EQ(Text(box, 0xFFFF), L"Please enter an integer between 5 and 3600.");
    EXPECT_EQ(GetWindow(box, GW_OWNER), sheet);
    Click(box, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000));
    Sleep(200);
    EXPECT_TRUE(IsWindowVisible(sheet)) << "the sheet stays open";
    EXPECT_EQ(TextA(g, 1028), "45");
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(sheet, nullptr), &gui));
    EXPECT_EQ(gui.hwndFocus, GetDlgItem(g, 1028)) << "the refused field has the focus";
    EXPECT_EQ(Stored("Refresh"), "45");

    // "Use interactive desktop" off greys its four controls, and only those.
    SendMessageW(GetDlgItem(g, 1052), BM_CLICK, 0, 0);
    EXPECT_FALSE(Checked(g, 1052));
    for (int id : {1053, 1054, 1055, 1057}) EXPECT_FALSE(Enabled(g, id)) << id;
    for (int id : {1052, 1056, 1012, 1028, 1019, 1011}) EXPECT_TRUE(Enabled(g, id)) << id;

    ASSERT_EQ(ShowPage(sheet, 1), a);
    // Typing a header the screen cannot hold brings it and the footer within it.
    Type(a, 1041, L"5000");
    EXPECT_EQ(TextA(a, 1041), std::to_string(h - 128));
    EXPECT_EQ(TextA(a, 1044), "0");

    // Cancel: nothing taken over, nothing drawn.
    Click(sheet, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(sheet); }, 5000)) << "the sheet did not close";
    Sleep(1000);
    for (const auto& [name, value] : kUsersSettings) EXPECT_EQ(Stored(name), value) << name;
    EXPECT_EQ(Stored("Use Interactive Desktop"), "TRUE");
    EXPECT_EQ(ReadFile(output), picture);
    Close();
}

TEST_F(SettingsSheetDriver, ApplyWithANewStyleRedrawsAndStoresAndOkClosesTheOneSheet) {
    for (const auto& [name, value] : kUsersSettings) Store(name, value);
    Start();
    const std::string before = ReadFile(output);
    HWND sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    // The tray's command again while the sheet is open: still one sheet.
    PostMessageW(main, WM_COMMAND, kSettingsCommand, 0);
    Sleep(1000);
    EXPECT_EQ(program->Windows(L"#32770", kSheetCaption).size(), 1u);

    HWND g = Page(sheet);
    Type(g, 1028, L"90");
    // "Monitor 1" chosen in the list, as the user picks it.
    HWND list = GetDlgItem(g, kPanelMonitorList);
    ASSERT_NE(list, nullptr);
    SendMessageW(list, CB_SETCURSEL, 1, 0);
    SendMessageW(g, WM_COMMAND, MAKEWPARAM(kPanelMonitorList, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    HWND a = ShowPage(sheet, 1);
    ASSERT_NE(a, g);
    Click(a, 1018); // B&rown
    Type(a, 1030, L"65");
    Sleep(300);
    EXPECT_TRUE(Checked(a, 1018));
    EXPECT_FALSE(Checked(a, 1004));
    Click(sheet, kApplyButton);
    EXPECT_TRUE(WaitFor([&] { return Stored("Orvanta style") == "2"; }, 10000)) << Stored("Orvanta style");
    EXPECT_TRUE(WaitFor([&] {
        const std::string now = ReadFile(output);
        return !now.empty() && now != before;
    }, 15000)) << "the picture was not drawn again";
    EXPECT_EQ(Stored("Refresh"), "90");
    EXPECT_EQ(Stored("Transparency"), "65");
    EXPECT_EQ(Stored("Panel Monitor"), "1");
    // What the user did not touch is stored as it was.
    EXPECT_EQ(Stored("SideBar Width"), "300");
    EXPECT_EQ(Stored("Doubleclick Action"), "2");
    EXPECT_EQ(Stored("AppointmentsTask"), "70");
    EXPECT_TRUE(IsWindowVisible(sheet)) << "Apply keeps the sheet open";
    // Once the step is through (the picture is written before it is installed), nothing
    // is left to apply.
    EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(GetDlgItem(sheet, kApplyButton)); }, 5000));

    Click(sheet, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(sheet); }, 10000));
    EXPECT_EQ(Stored("Orvanta style"), "2");
    // Closed: the tray's command opens it again.
    HWND again = OpenSheet();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(TextA(Page(again), 1028), "90");
    Click(again, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(again); }, 5000));
    Close();
}

TEST_F(SettingsSheetDriver, FactoryButtonsRestoreTheInitialValuesOfTheSettingsStore) {
    for (const auto& [name, value] : kUsersSettings) Store(name, value);
    Store("Use Interactive Desktop", "FALSE");
    Start();
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Widen(kRunKey).c_str(), 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        RegDeleteValueW(run, L"Orvanta for Outlook");
        RegCloseKey(run);
    }
    HWND sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    HWND g = Page(sheet);
    ASSERT_FALSE(Checked(g, 1012));
    ASSERT_FALSE(Enabled(g, 1055));
    Click(g, 7);
    ASSERT_TRUE(WaitFor([&] { return TextA(g, 1028) == "20"; }, 5000)) << TextA(g, 1028);
    EXPECT_TRUE(Checked(g, 1012));
    EXPECT_FALSE(Checked(g, 1024));
    EXPECT_TRUE(Checked(g, 1013));
    EXPECT_FALSE(Checked(g, 1014));
    EXPECT_TRUE(Checked(g, 1052));
    EXPECT_TRUE(Checked(g, 1053));
    EXPECT_TRUE(Checked(g, 1055));
    EXPECT_TRUE(Checked(g, 1057));
    for (int id : {1053, 1054, 1055, 1057}) EXPECT_TRUE(Enabled(g, id)) << id;
    EXPECT_TRUE(Checked(g, 1026));
    EXPECT_FALSE(Checked(g, 1025));
    EXPECT_TRUE(Checked(g, 1011));

    HWND a = ShowPage(sheet, 1);
    Click(a, 1069);
    ASSERT_TRUE(WaitFor([&] { return TextA(a, 1030) == "30"; }, 5000)) << TextA(a, 1030);
    const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const int width = std::min(std::max(w * 20 / 100, 160), 256);
    EXPECT_TRUE(Checked(a, 1034));
    EXPECT_TRUE(Checked(a, 1067));
    EXPECT_TRUE(Checked(a, 1004));
    EXPECT_TRUE(Checked(a, 1007));
    EXPECT_TRUE(Checked(a, 1021));
    EXPECT_TRUE(Checked(a, 1015));
    EXPECT_TRUE(Checked(a, 1038));
    EXPECT_EQ(TextA(a, 1032), std::to_string(width));
    EXPECT_EQ(TextA(a, 1041), "0");
    EXPECT_EQ(TextA(a, 1044), "35");
    EXPECT_EQ(TextA(a, 1047), "0");
    EXPECT_EQ(TextA(a, 1060), "0");
    EXPECT_EQ(TextA(a, 1062), std::to_string(std::max(0, (w - 450) / 2)));
    EXPECT_EQ(TextA(a, 1061), std::to_string(std::max(0, h - 384)));
    EXPECT_EQ(SendDlgItemMessageW(a, 1057, TBM_GETPOS, 0, 0), 60);
    EXPECT_EQ(TextA(a, 1058), "Appointments/Tasks ratio (60 : 40) %");

    Click(sheet, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(sheet); }, 10000));
    ASSERT_TRUE(WaitFor([&] { return Stored("Refresh") == "20"; }, 10000)) << Stored("Refresh");
    const std::pair<const char*, std::string> initial[] = {
        {"Transparency", "30"},       {"Orvanta style", "0"},     {"FDOW", "0"},
        {"Time Style", "0"},          {"Doubleclick Action", "3"}, {"Systray Ico", "0"},
        {"Desktop Mouse Mode", "0"},  {"KeepOnExit", "FALSE"},     {"ShowSplash", "TRUE"},
        {"Use Interactive Desktop", "TRUE"}, {"Show Contacts", "TRUE"}, {"Show Tasks", "TRUE"},
        {"ShowWeekNumbers", "TRUE"},  {"Footer Blank", "35"},      {"Header Blank", "0"},
        {"Right Margin Blank", "0"},  {"SideBarStyle", "0"},       {"OffsetType", "0"},
        {"SideBar Width", std::to_string(width)}, {"AppointmentsTask", "60"}, {"LaunchAtStartup", "TRUE"},
    };
    for (const auto& [name, value] : initial) EXPECT_EQ(Stored(name), value) << name;
    EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, kRunKey, "Orvanta for Outlook").rc, ERROR_SUCCESS)
        << "the logon entry is written back";
    Close();
}

// The tray's "E&xit" while the sheet is open ends the program as always: the sheet goes
// with its owner, the settings are saved and the process ends by itself.
TEST_F(SettingsSheetDriver, ExitWhileTheSheetIsOpenEndsTheProgramCleanly) {
    Start();
    HWND sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    Type(Page(sheet), 1028, L"300"); // typed, never applied
    PostMessageW(main, WM_COMMAND, 57665, 0);
    EXPECT_EQ(program->WaitExit(15000), 0u);
    EXPECT_FALSE(IsWindow(sheet));
    EXPECT_EQ(Stored("Refresh"), "20");
}

} // namespace
