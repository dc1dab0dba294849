// System information, folders, mutexes, resources and dialogs against real Win32.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <ole2.h>

#include <atomic>
#include <functional>
#include <thread>

#include "Win32TestUtil.h"
#include "app/OleSession.h"
#include "platform/win32/ScopedWin.h"
#include "platform/Platform.h"
#include "settings/AboutDlg.h"
#include "system/FileSystem.h"
#include "util/Strings.h"
#include "system/SystemInfo.h"

namespace {

TEST(Win32System, VersionAndOperatingSystemClass) {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)));
    OsVersion v;
    ASSERT_TRUE(Port<ISystemPort>().GetOsVersion(v));
    EXPECT_EQ(v.major, info.dwMajorVersion);
    EXPECT_EQ(v.minor, info.dwMinorVersion);
    EXPECT_EQ(v.platformId, static_cast<uint32_t>(VER_PLATFORM_WIN32_NT));
    // A default Wine prefix reports Windows 7 (6.1); any current Windows counts as NT and XP-or-later.
    EXPECT_GE(ESystemInfo::OsClass(), 5) << v.major << "." << v.minor;
    EXPECT_TRUE(ESystemInfo::IsNtFamily());
    EXPECT_TRUE(ESystemInfo::IsXpOrLater());
    EXPECT_TRUE(ESystemInfo::NewerThanWindows2000());
}

TEST(Win32System, VirtualScreenMatchesTheSystemMetrics) {
    const Rect r = ESystemInfo::VirtualScreenRect();
    ASSERT_GT(GetSystemMetrics(SM_CMONITORS), 0);
    EXPECT_EQ(r.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(r.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
    EXPECT_EQ(r.Width(), GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(r.Height(), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_GT(ESystemInfo::DisplayHorizontalResolution(), 0);
    // The monitors the system lists: one primary, each inside the virtual screen, with
    // a work area inside it that agrees with the system's own for the primary.
    const std::vector<MonitorInfo> monitors = Port<ISystemPort>().GetMonitors();
    ASSERT_EQ(monitors.size(), static_cast<size_t>(GetSystemMetrics(SM_CMONITORS)));
    int primaries = 0;
    for (const MonitorInfo& m : monitors) {
        EXPECT_EQ(m.bounds.Intersect(r), m.bounds) << m.bounds;
        EXPECT_EQ(m.work.Intersect(m.bounds), m.work) << m.work;
        if (!m.primary) continue;
        ++primaries;
        EXPECT_EQ(m.bounds, (Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}));
        RECT work{};
        ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
        EXPECT_EQ(m.work, (Rect{work.left, work.top, work.right, work.bottom}));
    }
    EXPECT_EQ(primaries, 1);
}

// Wine has no shell desktop window; a chain of windows with the shell's classes
// and title, made here, is what mode 0 looks for.
TEST(Win32System, ActiveDesktopShownFindsTheDesktopWebView) {
    EXPECT_FALSE(ESystemInfo::ActiveDesktopShown(0)); // Wine: no "Progman" window
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    for (const wchar_t* name : {L"Progman", L"SHELLDLL_DefView", L"Internet Explorer_Server"}) {
        wc.lpszClassName = name;
        ASSERT_TRUE(RegisterClassW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
    }
    HWND progman = CreateWindowW(L"Progman", L"Program Manager", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    ASSERT_TRUE(progman);
    HWND view = CreateWindowW(L"SHELLDLL_DefView", L"", WS_CHILD, 0, 0, 10, 10, progman, nullptr, wc.hInstance,
                              nullptr);
    EXPECT_FALSE(ESystemInfo::ActiveDesktopShown(0)); // no web view inside yet
    HWND web = CreateWindowW(L"Internet Explorer_Server", L"", WS_CHILD, 0, 0, 10, 10, view, nullptr,
                             wc.hInstance, nullptr);
    EXPECT_TRUE(ESystemInfo::ActiveDesktopShown(0));
    DestroyWindow(web);
    DestroyWindow(view);
    DestroyWindow(progman);
    // Wine's shell never turns web content on.
    EXPECT_FALSE(ESystemInfo::ActiveDesktopShown(1));
}

TEST(Win32System, FoldersAndPaths) {
    wchar_t appData[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData), S_OK);
    EXPECT_EQ(EFileSystem::SpecialFolderPath(SpecialFolder::AppData), Narrow(appData));

    std::string program = EFileSystem::ProgramFilePath(false);
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(EFileSystem::Extension(program, true), "exe");
    std::string shortForm = EFileSystem::ProgramFilePath(true);
    ASSERT_FALSE(shortForm.empty());
    EXPECT_EQ(GetFileAttributesW(Widen(shortForm).c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(EFileSystem::ShortPath("C:\\no\\such\\file.txt"), "");
}

TEST(Win32System, DirectoryChainOnTheRealFileSystem) {
    wchar_t tmp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, tmp), 0u);
    std::string base = Narrow(tmp) + "orvanta-chain-" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(EFileSystem::MakeDirectory(base));
    EXPECT_FALSE(EFileSystem::MakeDirectory(base)); // exists already
    ASSERT_TRUE(EFileSystem::EnsureDirectoryChain(base, {"Kestrova", "Orvanta for Outlook"}));
    EXPECT_TRUE(EFileSystem::DirectoryContains(base, "KESTROVA"));
    EXPECT_TRUE(EFileSystem::DirectoryContains(base + "\\Kestrova\\", "orvanta for outlook"));
    EXPECT_FALSE(EFileSystem::DirectoryContains(base, "Other"));
    ASSERT_TRUE(EFileSystem::EnsureDirectoryChain(base, {"Kestrova", "Orvanta for Outlook"}));
    RemoveDirectoryW(Widen(base + "\\Kestrova\\Orvanta for Outlook").c_str());
    RemoveDirectoryW(Widen(base + "\\Kestrova").c_str());
    EXPECT_TRUE(RemoveDirectoryW(Widen(base).c_str()));
}

TEST(Win32System, NamedMutexSeesAnExistingName) {
    MutexOutcome first = MutexOutcome::Failed, second = MutexOutcome::Failed;
    std::string name = "OrvantaTestMutex" + std::to_string(GetCurrentProcessId());
    auto a = Port<IMutexPort>().Create(name, first);
    ASSERT_TRUE(a);
    EXPECT_EQ(first, MutexOutcome::Created);
    auto b = Port<IMutexPort>().Create(name, second);
    EXPECT_TRUE(b);
    EXPECT_EQ(second, MutexOutcome::AlreadyExists);
    a.reset();
    b.reset();
    auto c = Port<IMutexPort>().Create(name, first);
    EXPECT_EQ(first, MutexOutcome::Created); // closing every handle freed the name
}

TEST(Win32Resources, StringTableMatchesTheProgramsTexts) {
    const int ids[] = {IDS_COMPANY, IDS_PRODUCT, IDS_ALREADY_ACTIVE, IDS_OLE_INIT_FAILED, IDS_SPLASH_FAILED,
                       IDS_RATIO, IDS_CROP_ERROR, IDS_VERSION, IDS_VERSION_ABOUT, IDS_ABOUT_VERSION_LINE,
                       IDS_APP_TITLE};
    for (int id : ids) {
        wchar_t buf[512] = {};
        int n = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), buf, 512);
        EXPECT_GT(n, 0) << id;
        EXPECT_EQ(Narrow(buf, static_cast<size_t>(n)), LoadResString(id)) << id;
    }
}

TEST(Win32Resources, AlreadyRunningTemplateHoldsTheMessageFormat) {
    HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ALREADY_RUNNING), nullptr,
                                  [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(dlg, nullptr) << GetLastError();
    wchar_t buf[1024] = {};
    GetWindowTextW(dlg, buf, 1024);
    EXPECT_EQ(Narrow(buf), "Orvanta for Outlook");
    GetDlgItemTextW(dlg, IDC_ALREADY_RUNNING_MESSAGE, buf, 1024);
    EXPECT_EQ(Narrow(buf), TXT_ALREADY_RUNNING_MESSAGE);
    EXPECT_NE(GetDlgItem(dlg, IDOK), nullptr);
    DestroyWindow(dlg);
}

// Finds a dialog of this process that another thread is running.
HWND WaitForDialog(const wchar_t* caption, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        struct Ctx {
            const wchar_t* caption;
            HWND found;
        } ctx{caption, nullptr};
        EnumWindows(
            [](HWND h, LPARAM lp) -> BOOL {
                auto* c = reinterpret_cast<Ctx*>(lp);
                DWORD pid = 0;
                GetWindowThreadProcessId(h, &pid);
                wchar_t cls[64] = {}, text[256] = {};
                GetClassNameW(h, cls, 64);
                GetWindowTextW(h, text, 256);
                if (pid == GetCurrentProcessId() && wcscmp(cls, L"#32770") == 0 &&
                    wcscmp(text, c->caption) == 0 && IsWindowVisible(h)) {
                    c->found = h;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&ctx));
        if (ctx.found) return ctx.found;
        Sleep(50);
    }
    return nullptr;
}

TEST(Win32Dialogs, AboutBoxShowsTheVersionLineAndClosesWithItsButton) {
    std::wstring seen;
    std::atomic<bool> clicked{false};
    std::thread user([&] {
        HWND dlg = WaitForDialog(L"", 10000);
        if (!dlg) return;
        wchar_t buf[256] = {};
        GetDlgItemTextW(dlg, IDC_ABOUT_VERSION, buf, 256);
        seen = buf;
        SendMessageW(GetDlgItem(dlg, IDC_ABOUT_CLOSE), BM_CLICK, 0, 0);
        clicked = true;
    });
    int result = CAboutDlg("081104x64").DoModal();
    user.join();
    ASSERT_TRUE(clicked);
    EXPECT_EQ(seen, L"Orvanta for Outlook 3.5 (081104x64)");
    EXPECT_EQ(result, IDC_ABOUT_CLOSE);
}

} // namespace

namespace {

TEST(Win32Ole, InitialisationRegistersTheQuietMessageFilter) {
    COleSession ole(Port<IAutomationPort>());
    ASSERT_TRUE(ole.Started());
    IMessageFilter* ours = nullptr;
    ASSERT_EQ(CoRegisterMessageFilter(nullptr, &ours), S_OK);
    ASSERT_NE(ours, nullptr); // the program's filter was in place
    // A busy server is retried quietly for a while, then the call is given up; never a dialog.
    EXPECT_EQ(ours->RetryRejectedCall(nullptr, 0, SERVERCALL_RETRYLATER), 100u);
    EXPECT_EQ(ours->RetryRejectedCall(nullptr, 60000, SERVERCALL_RETRYLATER), static_cast<DWORD>(-1));
    EXPECT_EQ(ours->MessagePending(nullptr, 0, PENDINGTYPE_TOPLEVEL), static_cast<DWORD>(PENDINGMSG_WAITDEFPROCESS));
    IMessageFilter* none = nullptr;
    CoRegisterMessageFilter(ours, &none);
    ours->Release();
}

// A release or call the system refuses is written to standard error with what it was
// and the system's error, and its result is handed back; a success writes nothing.
TEST(Win32Log, RefusedSystemCallsAreLoggedWithTheirError) {
    // A handle number never given out (one closed twice looks the same to the system; a
    // real closed one could be handed out again meanwhile, to the capture's own file).
    const HANDLE bogus = reinterpret_cast<HANDLE>(uintptr_t{0x7ffffff0});
    struct Case {
        const char* what;
        std::function<void()> call;
        const char* logged; // null: nothing
    };
    const Case cases[] = {
        {"a handle that is none", [&] { ScopedKernelHandle none(bogus); }, "CloseHandle failed (error 0x00000006)"},
        {"a registry key that is no key", [] { ScopedKey bogus(reinterpret_cast<HKEY>(uintptr_t{0x5a5a})); },
         "RegCloseKey failed (error 0x00000006)"},
        {"a failed HRESULT", [] { EXPECT_EQ(LogIfFailed(E_ACCESSDENIED, "a COM call"), E_ACCESSDENIED); },
         "a COM call failed (result 0x80070005)"},
        {"a BOOL that failed keeps the last error", [] {
             SetLastError(ERROR_FILE_NOT_FOUND);
             EXPECT_FALSE(LogIfFalse(FALSE, "opening a file"));
             EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
         }, "opening a file failed (error 0x00000002)"},
        {"a success", [] {
             EXPECT_TRUE(LogIfFalse(TRUE, "nothing"));
             EXPECT_EQ(LogIfError(ERROR_SUCCESS, "nothing"), 0);
             ScopedKernelHandle fine(CreateEventW(nullptr, FALSE, FALSE, nullptr));
         }, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::internal::CaptureStderr();
        c.call();
        const std::string err = testing::internal::GetCapturedStderr();
        if (c.logged) EXPECT_NE(err.find(std::string("orvanta: ") + c.logged), std::string::npos) << err;
        else EXPECT_EQ(err, "");
    }
}

} // namespace
