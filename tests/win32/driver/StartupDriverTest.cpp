// What a user sees of orvanta.exe's start-up: the splash (centred, the picture's size,
// four seconds, the fade, a click), the start-up information dialog and its box, and
// the tray's help command starting the registered browser with the manual.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <functional>
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
constexpr int kAboutPicture = 1003; // the about box's picture

class Program : public DriverProgram {
public:
    HWND Splash() { return Find(L"OrvantaSplash", nullptr); }
    // Answers the message box an absent Outlook gives at the first tick, if any
    // ("Orvanta could not initiate COM interface communication with Outlook.").
    void DismissBoxes() {
        while (HWND box = Find(L"#32770", L"Orvanta")) {
            PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            Sleep(200);
        }
    }
    void Close() {
        HWND main = MainWindow();
        if (main) PostMessageW(main, WM_COMMAND, 57665, 0);
        WaitExit(15000);
    }
};

void ForgetSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kestrova");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Kestrova");
}

// Bitmap 203 of orvanta.exe as 0x00RRGGBB, rows top down.
std::vector<uint32_t> SplashPicture(int& w, int& h) {
    std::vector<uint32_t> px;
    HMODULE exe = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!exe) return px;
    HBITMAP bmp = static_cast<HBITMAP>(LoadImageW(exe, MAKEINTRESOURCEW(203), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP info{};
    if (bmp && GetObjectW(bmp, sizeof info, &info)) {
        w = info.bmWidth;
        h = info.bmHeight;
        px.resize(static_cast<size_t>(w) * h);
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, bmp, 0, static_cast<UINT>(h), px.data(), &bi, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        for (auto& p : px) p &= 0xFFFFFF;
    }
    if (bmp) DeleteObject(bmp);
    FreeLibrary(exe);
    return px;
}

void SavePng(std::vector<uint32_t> px, int w, int h, const char* name) {
    PixelSurface s{reinterpret_cast<uint8_t*>(px.data()), w, h, w * 4};
    CreateDirectoryW(L"build", nullptr);
    EXPECT_TRUE(WritePng(s, std::string("build\\") + name));
}

bool Layered(HWND h) { return (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }

class StartupDriver : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetSettings();
        // The start-up dialog is not what these tests look at, unless they say so.
        SetRawText(kKey, "ShowStartup", "TRUE");
    }
    void TearDown() override { ForgetSettings(); }
};

TEST_F(StartupDriver, TheSplashShowsCentredForFourSecondsThenFadesAndGoes) {
    Program p;
    ASSERT_TRUE(p.started);
    HWND splash = p.Wait(L"OrvantaSplash", nullptr, 20000);
    ASSERT_NE(splash, nullptr) << "no splash";
    const DWORD shown = GetTickCount();
    RECT r{};
    GetWindowRect(splash, &r);
    int bw = 0, bh = 0;
    const std::vector<uint32_t> picture = SplashPicture(bw, bh);
    ASSERT_EQ(bw, 400);
    ASSERT_EQ(bh, 300);
    EXPECT_EQ(r.right - r.left, bw);
    EXPECT_EQ(r.bottom - r.top, bh);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(r.left, work.left + (work.right - work.left - bw) / 2) << r.left;
    EXPECT_EQ(r.top, work.top + (work.bottom - work.top - bh) / 2) << r.top;

    // On the screen: the picture itself, with the version text over its lower right.
    std::vector<uint32_t> seen;
    size_t same = 0;
    WaitFor(
        [&] {
            seen = ScreenPixels(r);
            same = 0;
            for (size_t i = 0; i < seen.size() && i < picture.size(); ++i) same += seen[i] == picture[i];
            return same > picture.size() * 95 / 100;
        },
        2000);
    SavePng(seen, bw, bh, "splash.png");
    EXPECT_GT(same, picture.size() * 95 / 100) << "the splash does not show bitmap 203";
    EXPECT_LT(same, picture.size()) << "no version text over the picture";

    // Full strength until the fade begins, four seconds after it appeared.
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(splash) || Layered(splash); }, 9000));
    const DWORD fadeAt = GetTickCount() - shown;
    EXPECT_GE(fadeAt, 3700u);
    EXPECT_LE(fadeAt, 6000u);
    BYTE alpha = 0;
    DWORD flags = 0;
    if (GetLayeredWindowAttributes(splash, nullptr, &alpha, &flags)) {
        EXPECT_TRUE(flags & LWA_ALPHA);
        EXPECT_LE(alpha, 220);
    }
    // 22 steps of 50 ms, then closed.
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(splash); }, 4000));
    EXPECT_TRUE(p.Running());
    p.DismissBoxes();
    p.Close();
}

TEST_F(StartupDriver, AClickOnTheSplashStartsTheFadeAtOnce) {
    Program p;
    ASSERT_TRUE(p.started);
    HWND splash = p.Wait(L"OrvantaSplash", nullptr, 20000);
    ASSERT_NE(splash, nullptr);
    RECT r{};
    GetWindowRect(splash, &r);
    // A person's click in its middle.
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    const DWORD clicked = GetTickCount();
    ASSERT_EQ(SendInput(2, click, sizeof(INPUT)), 2u);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(splash) || Layered(splash); }, 3000));
    EXPECT_LT(GetTickCount() - clicked, 2000u) << "the fade did not start at the click";
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(splash); }, 3000));
    EXPECT_LT(GetTickCount() - clicked, 3500u);
    p.DismissBoxes();
    p.Close();
}

TEST_F(StartupDriver, ShowSplashFalseShowsNoSplash) {
    ASSERT_EQ(SetRawText(kKey, "ShowSplash", "FALSE"), ERROR_SUCCESS);
    Program p;
    ASSERT_TRUE(p.started);
    ASSERT_NE(p.MainWindow(), nullptr);
    // The splash would come before the main window; none within the next second either.
    EXPECT_FALSE(WaitFor([&] { return p.Find(L"OrvantaSplash", nullptr, false) != nullptr; }, 1000));
    p.DismissBoxes();
    p.Close();
}

TEST_F(StartupDriver, TheStartupInformationComesAtFirstStartAndNotOnceItsBoxIsTicked) {
    ForgetSettings(); // a first start
    const wchar_t* caption = L"Orvanta for Outlook - Startup Info";
    {
        Program p;
        ASSERT_TRUE(p.started);
        HWND dlg = nullptr;
        ASSERT_TRUE(WaitFor(
            [&] {
                p.DismissBoxes();
                return (dlg = p.Find(L"#32770", caption)) != nullptr;
            },
            30000))
            << "no start-up information";
        HWND box = GetDlgItem(dlg, 1078);
        ASSERT_NE(box, nullptr);
        wchar_t text[128] = {};
        GetWindowTextW(box, text, 128);
        EXPECT_STREQ(text, L"Please do not show me this dialog again");
        EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        // The picture carries the text.
        HWND picture = GetDlgItem(dlg, 1079);
        ASSERT_NE(picture, nullptr);
        EXPECT_NE(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
        RECT pr{};
        GetClientRect(picture, &pr);
        EXPECT_EQ(pr.right, 640);
        EXPECT_EQ(pr.bottom, 400);
        // Nothing over the picture's text, nothing cut.
        Sleep(300); // painted
        EXPECT_TRUE(SaveWindowShot(dlg, "build\\screens\\startup-info.png"));
        for (const std::string& fault : LayoutFaults(dlg)) ADD_FAILURE() << fault;
        // Ticking the box leaves the dialog open; OK closes it and keeps the box.
        PostMessageW(box, BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 2000));
        Sleep(300);
        EXPECT_TRUE(IsWindow(dlg));
        PostMessageW(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dlg); }, 5000));
        EXPECT_TRUE(WaitFor([&] { return GetRaw(HKEY_CURRENT_USER, kKey, "ShowStartup").text == L"TRUE"; }, 3000));
        p.Close();
    }
    {
        Program p;
        ASSERT_TRUE(p.started);
        ASSERT_NE(p.MainWindow(), nullptr);
        EXPECT_FALSE(WaitFor(
            [&] {
                p.DismissBoxes();
                return p.Find(L"#32770", caption) != nullptr;
            },
            4000));
        // The tray's "Show Startup Info" still shows it, ticked.
        PostMessageW(p.MainWindow(), WM_COMMAND, 32803, 0);
        HWND dlg = p.Wait(L"#32770", caption, 5000);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(SendMessageW(GetDlgItem(dlg, 1078), BM_GETCHECK, 0, 0), BST_CHECKED);
        PostMessageW(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dlg); }, 5000));
        p.Close();
    }
}

// The splash comes first at every start until the start-up information's box is
// ticked: the information waits until the splash has gone rather than cover it.
TEST_F(StartupDriver, TheStartupInformationComesOnlyAfterTheSplashHasGone) {
    ForgetSettings(); // a first start, with the splash
    const wchar_t* caption = L"Orvanta for Outlook - Startup Info";
    Program p;
    ASSERT_TRUE(p.started);
    HWND splash = p.Wait(L"OrvantaSplash", nullptr, 20000);
    ASSERT_NE(splash, nullptr) << "no splash";
    HWND dlg = nullptr;
    bool splashUpWithIt = false;
    ASSERT_TRUE(WaitFor(
        [&] {
            p.DismissBoxes();
            dlg = p.Find(L"#32770", caption);
            splashUpWithIt = splashUpWithIt || (dlg && IsWindow(splash) && IsWindowVisible(splash));
            return dlg != nullptr;
        },
        30000))
        << "no start-up information";
    EXPECT_FALSE(splashUpWithIt) << "the start-up information came while the splash was up";
    EXPECT_FALSE(IsWindow(splash));
    PostMessageW(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dlg); }, 5000));
    p.Close();
}

// The about box: the splash picture whole, the version and maker lines under it, and
// nothing over or cut (the tray's "&About").
TEST_F(StartupDriver, TheAboutBoxShowsItsPictureWithTheLinesUnderIt) {
    ASSERT_EQ(SetRawText(kKey, "ShowSplash", "FALSE"), ERROR_SUCCESS);
    Program p;
    ASSERT_TRUE(p.started);
    HWND main = p.MainWindow();
    ASSERT_NE(main, nullptr);
    // No Outlook here: the first tick's message comes first and is answered.
    ASSERT_TRUE(WaitFor([&] { return p.Find(L"#32770", L"Orvanta") != nullptr; }, 15000));
    p.DismissBoxes();
    PostMessageW(main, WM_COMMAND, 57664, 0); // ID_APP_ABOUT
    HWND about = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            for (HWND h : p.Windows(L"#32770", L"")) // the about box has no caption
                if (GetDlgItem(h, kAboutPicture)) about = h;
            return about != nullptr;
        },
        10000))
        << "no about box";
    HWND picture = GetDlgItem(about, kAboutPicture);
    RECT pr{};
    GetClientRect(picture, &pr);
    EXPECT_EQ(pr.right, 400);
    EXPECT_EQ(pr.bottom, 300);
    Sleep(300); // painted
    EXPECT_TRUE(SaveWindowShot(about, "build\\screens\\about.png"));
    for (const std::string& fault : LayoutFaults(about)) ADD_FAILURE() << fault;
    PostMessageW(GetDlgItem(about, 1051), BM_CLICK, 0, 0); // "Close"
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }, 5000));
    p.DismissBoxes();
    p.Close();
}

// --- the help command -------------------------------------------------------------

// A value of HKLM\Software\Classes (what HKEY_CLASSES_ROOT shows) set for a test and
// put back as it was afterwards.
class ClassesValue {
public:
    ClassesValue(const std::wstring& key, const std::wstring& value) : m_key(L"Software\\Classes\\" + key) {
        HKEY h = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, m_key.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS) {
            wchar_t buf[1024] = {};
            DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
            m_had = RegQueryValueExW(h, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS;
            m_old = buf;
            RegCloseKey(h);
        }
        Set(value);
    }
    ~ClassesValue() {
        if (m_had) {
            Set(m_old);
        } else {
            HKEY h = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, m_key.c_str(), 0, KEY_SET_VALUE, &h) == ERROR_SUCCESS) {
                RegDeleteValueW(h, nullptr);
                RegCloseKey(h);
            }
        }
    }
    ClassesValue(const ClassesValue&) = delete;
    ClassesValue& operator=(const ClassesValue&) = delete;
    // An empty value stands for none: the command key is there but says nothing.
    void Set(const std::wstring& v) {
        HKEY h = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, m_key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                       static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(h);
    }

private:
    std::wstring m_key;
    std::wstring m_old;
    bool m_had = false;
};

std::string ReadText(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::wstring LongForm(const std::wstring& p) {
    wchar_t buf[MAX_PATH] = {};
    DWORD n = GetLongPathNameW(p.c_str(), buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : p;
}

// The argument the fake browser got: its command line after the program's own name.
std::wstring LaunchedWith(const std::string& line) {
    std::wstring w = Widen(line.substr(0, line.find('\n')));
    size_t at = 0;
    if (!w.empty() && w[0] == L'"') at = w.find(L'"', 1) + 1;
    else at = w.find(L' ');
    if (at == std::wstring::npos) return {};
    w = w.substr(at);
    w.erase(0, w.find_first_not_of(L' '));
    if (w.size() >= 2 && w.front() == L'"' && w.back() == L'"') w = w.substr(1, w.size() - 2);
    return w;
}

TEST_F(StartupDriver, HelpStartsTheRegisteredBrowserOrTheShellsOpenWithTheManual) {
    ASSERT_EQ(SetRawText(kKey, "ShowSplash", "FALSE"), ERROR_SUCCESS);
    const std::wstring manual = FolderOf(ProgramPath()) + L"help\\Index.html";
    ASSERT_NE(GetFileAttributesW(manual.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(manual) << " is missing";
    const std::wstring browser = FolderOf(Self()) + L"fake-browser.exe";
    ASSERT_NE(GetFileAttributesW(browser.c_str()), INVALID_FILE_ATTRIBUTES);
    wchar_t tmp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring log = std::wstring(tmp) + L"orvanta-browser.log";
    DeleteFileW(log.c_str());
    // The program passes its environment on to what it starts.
    SetEnvironmentVariableW(L"ORVANTA_BROWSER_LOG", log.c_str());

    const std::wstring command = L"\"" + browser + L"\" -- \"%1\"";
    {
        ClassesValue verb(L"http\\shell", L"open");
        ClassesValue open(L"http\\shell\\open\\command", command);
        Program p;
        ASSERT_TRUE(p.started);
        HWND main = p.MainWindow();
        ASSERT_NE(main, nullptr);
        PostMessageW(main, WM_COMMAND, 32786, 0); // the tray's "&Help"
        ASSERT_TRUE(WaitFor([&] { return !ReadText(log).empty(); }, 15000)) << "no browser was started";
        const std::wstring arg = LaunchedWith(ReadText(log));
        EXPECT_EQ(_wcsicmp(LongForm(arg).c_str(), LongForm(manual).c_str()), 0)
            << "the browser got " << Narrow(arg) << ", not " << Narrow(manual);
        p.DismissBoxes();
        p.Close();
    }
    DeleteFileW(log.c_str());
    {
        // No browser registered for web addresses: the shell opens the file with the
        // program registered for .html files.
        ClassesValue verb(L"http\\shell", L"");
        ClassesValue open(L"http\\shell\\open\\command", L"");
        ClassesValue type(L".html", L"OrvantaTestPage");
        ClassesValue page(L"OrvantaTestPage\\shell\\open\\command", L"\"" + browser + L"\" \"%1\"");
        Program p;
        ASSERT_TRUE(p.started);
        HWND main = p.MainWindow();
        ASSERT_NE(main, nullptr);
        PostMessageW(main, WM_COMMAND, 32786, 0);
        ASSERT_TRUE(WaitFor([&] { return !ReadText(log).empty(); }, 15000)) << "the shell opened nothing";
        const std::wstring arg = LaunchedWith(ReadText(log));
        EXPECT_EQ(_wcsicmp(LongForm(arg).c_str(), LongForm(manual).c_str()), 0) << Narrow(arg);
        p.DismissBoxes();
        p.Close();
    }
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\OrvantaTestPage");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\OrvantaTestPage");
    SetEnvironmentVariableW(L"ORVANTA_BROWSER_LOG", nullptr);
    DeleteFileW(log.c_str());
}

} // namespace
