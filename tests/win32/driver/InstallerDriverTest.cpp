// The Windows installer and uninstaller as a user meets them, run quietly (/S) from
// another process in a prefix of their own (scripts/test makes a fresh one): where the
// files go, the uninstall entry, the program started from the Start-menu shortcut's
// target, an upgrade over the running copy, and a removal that leaves nothing of ours
// behind and the user's own wallpaper on the desktop — also with "KeepOnExit" TRUE.
//
// ORVANTA_SETUP and ORVANTA_SETUP_VERSION name the installer the build made and its
// version; ORVANTA_SETUP_OLDER and ORVANTA_SETUP_OLDER_VERSION one of an older version
// to upgrade from. Without them the suite is skipped (the Wine driver run leaves it out).
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../Win32TestUtil.h"
#include "DriverUtil.h"

namespace {

const char* kSettingsKey = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanta for Outlook";
const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* kDesktop = "Control Panel\\Desktop";
const wchar_t* const kInstalledFiles[] = {L"orvanta.exe", L"MouseHook.dll", L"look01.icl",   L"look02.icl",
                                          L"look03.icl",  L"bw.icl",        L"uninstall.exe", L"help\\Index.html"};

std::wstring Env(const wchar_t* name) {
    wchar_t buf[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(name, buf, MAX_PATH);
    return n && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

std::wstring Folder(int csidl) {
    wchar_t buf[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, 0, buf);
    return buf;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring LongForm(const std::wstring& p) {
    wchar_t buf[MAX_PATH] = {};
    const DWORD n = GetLongPathNameW(p.c_str(), buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : p;
}
bool Same(const std::wstring& a, const std::wstring& b) { return _wcsicmp(LongForm(a).c_str(), LongForm(b).c_str()) == 0; }

// The names in a folder, for a message.
std::wstring Listing(const std::wstring& folder) {
    std::wstring names;
    WIN32_FIND_DATAW found{};
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return L"(no folder)";
    do {
        if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L"..")) names += std::wstring(found.cFileName) + L" ";
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return names;
}

std::wstring SystemWallpaper() { return GetRaw(HKEY_CURRENT_USER, kDesktop, "Wallpaper").text; }

// Runs a command line to its end; its exit code, or STILL_ACTIVE after ms.
DWORD RunToEnd(const std::wstring& commandLine, DWORD ms, const std::function<void()>& whileRunning = nullptr) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return GetLastError();
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(pi.hProcess, whileRunning ? 10 : ms) == WAIT_TIMEOUT && GetTickCount() - start < ms)
        if (whileRunning) whileRunning();
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

// Where the shortcut points and the folder it starts in.
bool ShortcutTarget(const std::wstring& link, std::wstring& target, std::wstring& folder) {
    IShellLinkW* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shell))))
        return false;
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Load(link.c_str(), STGM_READ));
    wchar_t buf[MAX_PATH] = {};
    ok = ok && SUCCEEDED(shell->GetPath(buf, MAX_PATH, nullptr, 0));
    target = buf;
    wchar_t dir[MAX_PATH] = {};
    ok = ok && SUCCEEDED(shell->GetWorkingDirectory(dir, MAX_PATH));
    folder = dir;
    if (file) file->Release();
    shell->Release();
    return ok;
}

// The program's hidden main window, in whichever process shows it; its process id.
HWND MainWindowOfAnyCopy(DWORD* pid = nullptr) {
    HWND main = FindWindowW(L"OrvantaMainFrame", L"Orvanta for Outlook");
    if (main && pid) GetWindowThreadProcessId(main, pid);
    return main;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        setup = Env(L"ORVANTA_SETUP");
        older = Env(L"ORVANTA_SETUP_OLDER");
        if (setup.empty() || older.empty())
            GTEST_SKIP() << "ORVANTA_SETUP and ORVANTA_SETUP_OLDER name no installers (scripts/test sets them)";
        version = Narrow(Env(L"ORVANTA_SETUP_VERSION"));
        olderVersion = Narrow(Env(L"ORVANTA_SETUP_OLDER_VERSION"));
        ASSERT_FALSE(version.empty());
        ASSERT_NE(version, olderVersion);
        CoInitialize(nullptr);
        installDir = Folder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Orvanta for Outlook\\";
        shortcut = Folder(CSIDL_PROGRAMS) + L"\\Orvanta for Outlook.lnk";
        dataFolder = Folder(CSIDL_APPDATA) + L"\\Kestrova\\Orvanta for Outlook";
        output = dataFolder + L"\\orvanta.bmp";

        ASSERT_TRUE(outlook.Register(SampleStore()));
        // The user's preferences from before: the data shown, no splash or start-up
        // information over the screen the test reads.
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kestrova");
        ASSERT_EQ(SetRawText(kSettingsKey, "Hide Data", "FALSE"), ERROR_SUCCESS);
        ASSERT_EQ(SetRawText(kSettingsKey, "ShowStartup", "TRUE"), ERROR_SUCCESS);
        ASSERT_EQ(SetRawText(kSettingsKey, "ShowSplash", "FALSE"), ERROR_SUCCESS);
        user = TestFolder() + L"Users Meadow.bmp";
        ASSERT_TRUE(WriteBmp(user, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), RGB(40, 90, 30),
                             RGB(150, 110, 40)));
        SetRawText(kDesktop, "TileWallpaper", "0");
        SetRawText(kDesktop, "WallpaperStyle", "0");
        ASSERT_TRUE(SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, user.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE));
    }
    void TearDown() override {
        if (setup.empty()) return;
        // Whatever a failure left: the running copy and the installed tree.
        if (HWND main = MainWindowOfAnyCopy()) PostMessageW(main, WM_COMMAND, 57665, 0);
        WaitFor([] { return !MainWindowOfAnyCopy(); }, 10000);
        if (Exists(installDir + L"uninstall.exe")) RunToEnd(L"\"" + installDir + L"uninstall.exe\" /S _?=" + installDir, 30000);
        outlook.Unregister();
        std::wstring none;
        SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, none.data(), SPIF_UPDATEINIFILE);
        DeleteFileW(user.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kestrova");
        CoUninitialize();
    }

    bool Ours() { return Same(SystemWallpaper(), output); }
    bool Users() { return Same(SystemWallpaper(), user); }
    // The screen shows the system's wallpaper file as it is.
    bool ScreenShows(const std::wstring& picture) {
        int bw = 0, bh = 0, sw = 0, sh = 0;
        return WaitFor(
            [&] {
                const std::vector<uint32_t> pixels = ReadBmp(picture, bw, bh);
                const std::vector<uint32_t> screen = ScreenShot(sw, sh);
                return !pixels.empty() && sw == bw && sh == bh && ShowsPicture(screen, pixels, sw, sh);
            },
            8000);
    }

    // Quietly, as a deployment would: the installer's exit code.
    DWORD Install(const std::wstring& installer, const std::function<void()>& whileRunning = nullptr) {
        return RunToEnd(L"\"" + installer + L"\" /S", 120000, whileRunning);
    }
    // The uninstall entry's quiet command, run to its end (the uninstaller runs a copy
    // of itself from the temporary folder, so the end is the entry and the files gone).
    void UninstallQuietly() {
        const std::wstring quiet = GetRaw(HKEY_CURRENT_USER, kUninstallKey, "QuietUninstallString").text;
        ASSERT_FALSE(quiet.empty());
        EXPECT_EQ(RunToEnd(quiet, 60000), 0u);
        EXPECT_TRUE(WaitFor(
            [&] {
                return GetRaw(HKEY_CURRENT_USER, kUninstallKey, "DisplayName").rc != ERROR_SUCCESS &&
                       !Exists(installDir);
            },
            60000))
            << "the uninstaller did not finish; left in its folder: " << Narrow(Listing(installDir));
    }
    void ExpectInstalled(const std::string& expectedVersion) {
        for (const wchar_t* f : kInstalledFiles) EXPECT_TRUE(Exists(installDir + f)) << Narrow(installDir + f);
        EXPECT_TRUE(Exists(shortcut)) << Narrow(shortcut);
        auto text = [](const char* name) { return Narrow(GetRaw(HKEY_CURRENT_USER, kUninstallKey, name).text); };
        const std::string dir = Narrow(installDir.substr(0, installDir.size() - 1));
        EXPECT_EQ(text("DisplayName"), "Orvanta for Outlook");
        EXPECT_EQ(text("DisplayIcon"), dir + "\\orvanta.exe,0");
        EXPECT_EQ(text("DisplayVersion"), expectedVersion);
        EXPECT_EQ(text("Publisher"), "Kestrova");
        EXPECT_EQ(text("InstallLocation"), dir);
        EXPECT_EQ(text("UninstallString"), "\"" + dir + "\\uninstall.exe\"");
        EXPECT_EQ(text("QuietUninstallString"), "\"" + dir + "\\uninstall.exe\" /S");
        for (const char* flag : {"NoModify", "NoRepair"}) {
            const RawValue v = GetRaw(HKEY_CURRENT_USER, kUninstallKey, flag);
            EXPECT_TRUE(v.type == REG_DWORD && v.number == 1) << flag;
        }
        // In KB: at least the program itself.
        WIN32_FILE_ATTRIBUTE_DATA exe{};
        GetFileAttributesExW((installDir + L"orvanta.exe").c_str(), GetFileExInfoStandard, &exe);
        const RawValue size = GetRaw(HKEY_CURRENT_USER, kUninstallKey, "EstimatedSize");
        EXPECT_EQ(size.type, static_cast<DWORD>(REG_DWORD));
        EXPECT_GE(size.number, exe.nFileSizeLow / 1024);
    }
    // Removed: nothing of ours left but the settings, the user's picture on the desktop.
    void ExpectRemoved() {
        EXPECT_FALSE(Exists(installDir)) << "the program's folder is left";
        EXPECT_FALSE(Exists(shortcut)) << "the shortcut is left";
        EXPECT_FALSE(Exists(dataFolder)) << "the data folder is left";
        EXPECT_NE(GetRaw(HKEY_CURRENT_USER, kRunKey, "Orvanta for Outlook").rc, ERROR_SUCCESS) << "the logon entry is left";
        EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, kSettingsKey, "Hide Data").text, L"FALSE") << "the settings are gone";
        EXPECT_EQ(MainWindowOfAnyCopy(), nullptr) << "a copy still runs";
        EXPECT_TRUE(Users()) << Narrow(SystemWallpaper());
        EXPECT_TRUE(ScreenShows(user)) << "the desktop does not show the user's picture";
    }
    // Started as the Start-menu shortcut starts it; its picture on the desktop.
    void StartFromShortcut(std::unique_ptr<DriverProgram>& program) {
        std::wstring target, folder;
        ASSERT_TRUE(ShortcutTarget(shortcut, target, folder));
        EXPECT_TRUE(Same(target, installDir + L"orvanta.exe")) << Narrow(target);
        EXPECT_TRUE(Same(folder + L"\\", installDir)) << Narrow(folder);
        SetEnvironmentVariableW(L"ORVANTA_EXE", target.c_str());
        program = std::make_unique<DriverProgram>();
        ASSERT_TRUE(program->started) << program->error;
        ASSERT_NE(program->MainWindow(), nullptr);
        ASSERT_TRUE(WaitFor([&] { return Ours(); }, 15000)) << Narrow(SystemWallpaper());
        EXPECT_TRUE(ScreenShows(output)) << "the desktop does not show the program's picture";
        EXPECT_TRUE(outlook.ServedThisTest());
    }

    TestOutlook outlook;
    std::wstring setup, older, installDir, shortcut, dataFolder, output, user;
    std::string version, olderVersion;
};

TEST_F(Installer, QuietInstallUpgradeOverTheRunningCopyAndRemovalGiveTheUsersPictureBack) {
    ASSERT_EQ(Install(older), 0u);
    ExpectInstalled(olderVersion);
    std::unique_ptr<DriverProgram> program;
    StartFromShortcut(program);
    ASSERT_FALSE(HasFailure());
    // The program writes its logon entry at its first start.
    EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, kRunKey, "Orvanta for Outlook").rc, ERROR_SUCCESS);

    // The upgrade ends the running copy through its exit (the user's picture comes
    // back), replaces the files and starts the new one (ours again).
    bool usersBetween = false;
    ASSERT_EQ(Install(setup, [&] { usersBetween = usersBetween || (!program->Running() && Users()); }), 0u);
    EXPECT_EQ(program->WaitExit(0), 0u) << "the old copy did not end through its exit";
    EXPECT_TRUE(usersBetween) << "the user's picture was not back between the two copies";
    ExpectInstalled(version);
    DWORD pid = 0;
    EXPECT_TRUE(WaitFor([&] { return MainWindowOfAnyCopy(&pid) != nullptr; }, 15000)) << "the new copy did not start";
    EXPECT_NE(pid, program->pi.dwProcessId);
    EXPECT_TRUE(WaitFor([&] { return Ours(); }, 15000)) << Narrow(SystemWallpaper());
    EXPECT_TRUE(ScreenShows(output)) << "the desktop does not show the program's picture after the upgrade";

    UninstallQuietly();
    ExpectRemoved();
}

// "KeepOnExit" TRUE leaves our picture when the program exits; removal puts the user's
// back all the same.
TEST_F(Installer, RemovalWithKeepOnExitStillGivesTheUsersPictureBack) {
    ASSERT_EQ(SetRawText(kSettingsKey, "KeepOnExit", "TRUE"), ERROR_SUCCESS);
    ASSERT_EQ(Install(setup), 0u);
    ExpectInstalled(version);
    std::unique_ptr<DriverProgram> program;
    StartFromShortcut(program);
    ASSERT_FALSE(HasFailure());
    UninstallQuietly();
    EXPECT_EQ(program->WaitExit(0), 0u) << "the copy did not end through its exit";
    ExpectRemoved();
}

} // namespace
