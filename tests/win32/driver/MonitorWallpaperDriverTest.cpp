// orvanta.exe where the system keeps a picture for each monitor. Wine has no such
// object, so a recording stand-in (fake-desktop-wallpaper.dll) is registered under its
// class id for these tests only; it reports two monitors (the screen's left and right
// halves) with different pictures of the user's, keeps them in a state file of the
// test's folder and logs every call there.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../Win32TestUtil.h"
#include "DesktopWallpaperApi.h"
#include "DriverUtil.h"

namespace {

const char* kKey = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
const char* kMonitorKey = "Software\\Kestrova\\Orvanta for Outlook\\3.5\\Monitor Wallpapers";
constexpr WPARAM kHideData = 32795, kExit = 57665;
const std::string kLeft = "\\\\?\\DISPLAY#FAKE0001#LEFT", kRight = "\\\\?\\DISPLAY#FAKE0002#RIGHT";

std::wstring ClassKey() {
    wchar_t text[40] = {};
    StringFromGUID2(kClsidDesktopWallpaper, text, 40);
    return std::wstring(L"CLSID\\") + text;
}

// A path as compared here: its long form (the program names its folder in the short
// one), lower-cased.
std::string Lower(std::string s) {
    wchar_t buf[MAX_PATH] = {};
    const DWORD n = s.empty() ? 0 : GetLongPathNameW(Widen(s).c_str(), buf, MAX_PATH);
    if (n > 0 && n < MAX_PATH) s = Narrow(std::wstring(buf, n));
    for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

// What the stand-in's "system" shows: each monitor's picture and the position.
struct Shown {
    int position = -1;
    std::map<std::string, std::string> pictures;
};

class MonitorWallpapers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(outlook.Register(SampleStore()));
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kestrova");
        wchar_t appData[MAX_PATH] = {};
        SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
        folder = std::wstring(appData) + L"\\Kestrova\\Orvanta for Outlook\\";
        output = folder + L"orvanta.bmp";
        ASSERT_EQ(SetRawText(kKey, "Hide Data", "FALSE"), ERROR_SUCCESS);
        ASSERT_EQ(SetRawText(kKey, "ShowStartup", "TRUE"), ERROR_SUCCESS);
        ASSERT_EQ(SetRawText(kKey, "ShowSplash", "FALSE"), ERROR_SUCCESS);

        w = GetSystemMetrics(SM_CXSCREEN);
        h = GetSystemMetrics(SM_CYSCREEN);
        lake = Narrow(TestFolder() + L"Left Lake.bmp");
        dunes = Narrow(TestFolder() + L"Right Dunes.bmp");
        forest = Narrow(TestFolder() + L"Right Forest.bmp");
        ASSERT_TRUE(WriteBmp(Widen(lake), w / 2, h, RGB(32, 80, 128), RGB(128, 32, 80)));
        ASSERT_TRUE(WriteBmp(Widen(dunes), w - w / 2, h, RGB(200, 160, 60), RGB(160, 120, 40)));
        ASSERT_TRUE(WriteBmp(Widen(forest), w - w / 2, h, RGB(20, 120, 40), RGB(200, 200, 40)));
        // The single value the system keeps beside them: the last picture set.
        std::wstring single = Widen(dunes);
        ASSERT_TRUE(SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, single.data(), SPIF_UPDATEINIFILE));

        // The user's monitors: two halves, each its own picture, spanned.
        state = TestFolder() + L"state.txt";
        calls = TestFolder() + L"calls.log";
        ASSERT_TRUE(WriteState(5, {{kLeft, lake}, {kRight, dunes}}));
        const std::wstring dll = FolderOf(Self()) + L"fake-desktop-wallpaper.dll";
        ASSERT_NE(GetFileAttributesW(dll.c_str()), INVALID_FILE_ATTRIBUTES) << Narrow(dll);
        std::wstring stateFolder = TestFolder();
        stateFolder.pop_back();
        ASSERT_EQ(SetHklm(ClassKey() + L"\\InprocServer32", nullptr, dll), ERROR_SUCCESS);
        ASSERT_EQ(SetHklm(ClassKey() + L"\\InprocServer32", L"ThreadingModel", L"Both"), ERROR_SUCCESS);
        ASSERT_EQ(SetHklm(ClassKey(), L"Folder", stateFolder), ERROR_SUCCESS);
    }
    void TearDown() override {
        // No other test may find the object: they run the spanned picture of Wine.
        DeleteHklmTree(ClassKey());
        outlook.Unregister();
        std::wstring none;
        SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, none.data(), SPIF_UPDATEINIFILE);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kestrova");
    }

    bool WriteState(int position, const std::vector<std::pair<std::string, std::string>>& pictures) {
        const std::wstring part = state + L".part";
        {
            std::ofstream out(part.c_str(), std::ios::binary | std::ios::trunc);
            out << "position\t" << position << "\r\n";
            for (const auto& [id, picture] : pictures) {
                const bool left = id == kLeft;
                out << "monitor\t" << id << '\t' << (left ? 0 : w / 2) << "\t0\t" << (left ? w / 2 : w) << '\t' << h
                    << '\t' << picture << "\r\n";
            }
            if (!out.flush()) return false;
        }
        return MoveFileExW(part.c_str(), state.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }
    Shown ReadState() const {
        Shown s;
        std::istringstream in(ReadAll(state));
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::vector<std::string> f;
            std::stringstream ss(line);
            for (std::string p; std::getline(ss, p, '\t');) f.push_back(p);
            if (f.size() == 2 && f[0] == "position") s.position = std::atoi(f[1].c_str());
            if (f.size() >= 6 && f[0] == "monitor") s.pictures[f[1]] = f.size() > 6 ? f[6] : std::string();
        }
        return s;
    }
    static std::string ReadAll(const std::wstring& path) {
        std::ifstream in(path.c_str(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    int Calls(const std::string& line) const {
        std::istringstream in(ReadAll(calls));
        int n = 0;
        for (std::string l; std::getline(in, l);) {
            if (!l.empty() && l.back() == '\r') l.pop_back();
            n += l == line;
        }
        return n;
    }
    std::string Part(int n) const { return Lower(Narrow(folder)) + "orvanta-monitor-" + std::to_string(n) + ".bmp"; }
    // Each monitor shows our part of the composed picture.
    bool PartsShown() const {
        const Shown s = ReadState();
        return s.pictures.size() == 2 && Lower(s.pictures.at(kLeft)) == Part(1) &&
               Lower(s.pictures.at(kRight)) == Part(2);
    }
    bool UsersShown(const std::string& left, const std::string& right, int position) const {
        const Shown s = ReadState();
        return s.pictures.size() == 2 && Lower(s.pictures.at(kLeft)) == Lower(left) &&
               Lower(s.pictures.at(kRight)) == Lower(right) && s.position == position;
    }
    std::string Remembered(int n, const char* what) const {
        return Narrow(GetRaw(HKEY_CURRENT_USER, kMonitorKey, "Monitor " + std::to_string(n) + " " + what).text);
    }
    std::string Describe() const {
        const Shown s = ReadState();
        std::string out = "position " + std::to_string(s.position);
        for (const auto& [id, p] : s.pictures) out += "; " + id + " = " + p;
        return out;
    }
    HWND Start(DriverProgram& p) {
        if (!p.started) {
            ADD_FAILURE() << "orvanta.exe did not start: " << p.error;
            return nullptr;
        }
        HWND main = p.MainWindow();
        EXPECT_NE(main, nullptr);
        EXPECT_TRUE(WaitFor([&] { return PartsShown(); }, 20000)) << Describe();
        return HasFailure() ? nullptr : main;
    }

    TestOutlook outlook;
    std::wstring folder, output, state, calls;
    std::string lake, dunes, forest;
    int w = 0, h = 0;
};

TEST_F(MonitorWallpapers, EachMonitorGetsItsPartHideAndExitRestoreEachAndAChangeStaysOnItsMonitor) {
    DriverProgram p;
    HWND main = Start(p);
    ASSERT_NE(main, nullptr);
    // Each monitor's picture was read by its id, and the position (spanned) too.
    EXPECT_GT(Calls("GetWallpaper\t" + kLeft), 0);
    EXPECT_GT(Calls("GetWallpaper\t" + kRight), 0);
    EXPECT_GT(Calls("GetPosition"), 0);
    // Spanned, the first picture would cover both: each part shows itself at fill.
    EXPECT_EQ(ReadState().position, 4);
    EXPECT_GT(Calls("SetPosition\t4"), 0);
    // Each part is its monitor's half of the composed picture, pixel for pixel; the
    // spanned single value was not used for ours.
    int cw = 0, ch = 0;
    const std::vector<uint32_t> composed = ReadBmp(output, cw, ch);
    ASSERT_EQ(cw, w);
    ASSERT_EQ(ch, h);
    for (int n = 1; n <= 2; ++n) {
        SCOPED_TRACE(Part(n));
        int pw = 0, ph = 0;
        const std::vector<uint32_t> part = ReadBmp(Widen(Part(n)), pw, ph);
        ASSERT_EQ(pw, n == 1 ? w / 2 : w - w / 2);
        ASSERT_EQ(ph, h);
        size_t differing = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < pw; ++x)
                differing += part[static_cast<size_t>(y) * pw + x] !=
                             composed[static_cast<size_t>(y) * w + x + (n == 1 ? 0 : w / 2)];
        EXPECT_EQ(differing, 0u);
    }
    EXPECT_EQ(Lower(Narrow(GetRaw(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper").text)), Lower(dunes));
    // What the user had is kept in the program's key (for a start after a crash).
    EXPECT_EQ(Lower(Remembered(1, "Wallpaper")), Lower(lake));
    EXPECT_EQ(Lower(Remembered(2, "Wallpaper")), Lower(dunes));

    // "Hi&de Data": each monitor's own picture, spanned again; then ours again.
    PostMessageW(main, WM_COMMAND, kHideData, 0);
    EXPECT_TRUE(WaitFor([&] { return UsersShown(lake, dunes, 5); }, 5000)) << Describe();
    PostMessageW(main, WM_COMMAND, kHideData, 0);
    EXPECT_TRUE(WaitFor([&] { return PartsShown(); }, 5000)) << Describe();

    // The user sets another picture on the right monitor: it is taken for that monitor
    // alone (the left keeps the user's lake), and our part goes back over it.
    ASSERT_TRUE(WriteState(4, {{kLeft, Part(1)}, {kRight, forest}}));
    EXPECT_TRUE(WaitFor([&] { return Lower(Remembered(2, "Wallpaper")) == Lower(forest) && PartsShown(); }, 12000))
        << Describe() << " / remembered " << Remembered(2, "Wallpaper");
    EXPECT_EQ(Lower(Remembered(1, "Wallpaper")), Lower(lake));

    // "E&xit": each monitor's own picture, the new one on the right.
    PostMessageW(main, WM_COMMAND, kExit, 0);
    EXPECT_EQ(p.WaitExit(10000), 0u);
    EXPECT_TRUE(UsersShown(lake, forest, 5)) << Describe();
}

TEST_F(MonitorWallpapers, AfterACrashTheUninstallersRestorePutsEachMonitorsPictureBack) {
    {
        DriverProgram p;
        ASSERT_NE(Start(p), nullptr);
        // Ended without its exit, as a crash ends it: our parts stay on the monitors.
        ASSERT_TRUE(TerminateProcess(p.pi.hProcess, 3));
        p.WaitExit(5000);
    }
    ASSERT_TRUE(PartsShown()) << Describe();
    DriverProgram restore(L"/restore-wallpaper");
    ASSERT_TRUE(restore.started);
    EXPECT_EQ(restore.WaitExit(15000), 0u);
    EXPECT_TRUE(UsersShown(lake, dunes, 5)) << Describe();
}

} // namespace
