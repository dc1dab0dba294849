#include "DriverUtil.h"
#include "TwoColourBmp.h"

#include <gtest/gtest.h>
#include <oleauto.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "../Win32DesktopTestUtil.h"
#include "../Win32TestUtil.h"
#include "OutlookIds.h"
#include "render/PngWriter.h"
#include "util/PixelSurface.h"

namespace {

// The programs of ours a driver test starts, directly or through COM and the shell.
const wchar_t* const kOurs[] = {L"orvanta.exe", L"fake-outlook-server.exe", L"fake-shell.exe", L"fake-browser.exe"};

std::string ReadText(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::wstring TempPath() {
    wchar_t tmp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tmp);
    return tmp;
}

bool Alive(DWORD pid) {
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!h) return false;
    const bool alive = WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
    CloseHandle(h);
    return alive;
}

// A local server ended by force never takes its class object back: Wine's COM keeps
// handing it out (RPC_S_SERVER_UNAVAILABLE, 0x800706BA, at every creation) until its
// service process starts again. It is a process of this private prefix and COM starts
// it again at the next call, with no registration left of the dead server.
void ForgetDeadClassObjects() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W e{};
    e.dwSize = sizeof e;
    for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e)) {
        if (_wcsicmp(e.szExeFile, L"rpcss.exe") != 0) continue;
        if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, e.th32ProcessID)) {
            TerminateProcess(h, 0);
            WaitForSingleObject(h, 5000);
            CloseHandle(h);
            std::printf("[ ISOLATE  ] ended Wine's rpcss.exe (pid %lu), so COM forgets the ended server's class object\n",
                        e.th32ProcessID);
        }
    }
    CloseHandle(snap);
}

bool EndProcess(DWORD pid, DWORD code) {
    HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!h) return false;
    bool ended = false;
    if (WaitForSingleObject(h, 0) == WAIT_TIMEOUT) {
        TerminateProcess(h, code);
        WaitForSingleObject(h, 5000);
        ended = true;
    }
    CloseHandle(h);
    return ended;
}

// What is under test right now, for the report of a failure.
const DriverProgram* g_program = nullptr;
const TestOutlook* g_outlook = nullptr;

void ReportState() {
    const std::string test = CurrentTestName();
    std::printf("[  STATE   ] at the first failure of %s (its files: %s):\n", test.c_str(),
                Narrow(TestFolder()).c_str());
    if (g_program) {
        if (!g_program->started) {
            std::printf("[  STATE   ] orvanta.exe could not be started (error %lu)\n", g_program->error);
        } else {
            DWORD code = STILL_ACTIVE;
            GetExitCodeProcess(g_program->pi.hProcess, &code);
            if (code == STILL_ACTIVE) std::printf("[  STATE   ] orvanta.exe (pid %lu) is running\n", g_program->pi.dwProcessId);
            else std::printf("[  STATE   ] orvanta.exe (pid %lu) ended with %lu\n", g_program->pi.dwProcessId, code);
            const std::string errors = g_program->Errors();
            std::printf("[  STATE   ] its error output: %s\n", errors.empty() ? "(nothing)" : "");
            if (!errors.empty()) std::printf("%s%s", errors.c_str(), errors.back() == '\n' ? "" : "\n");
            for (const std::wstring& d : g_program->Dialogs())
                std::printf("[  STATE   ] its dialog: %s\n", Narrow(d).c_str());
        }
    } else {
        std::printf("[  STATE   ] no orvanta.exe of this test is open\n");
    }
    if (g_outlook) {
        const std::vector<DWORD> alive = g_outlook->AliveServers();
        std::printf("[  STATE   ] test servers started by this test: %d, alive:", g_outlook->LogCount("started "));
        for (DWORD pid : alive) std::printf(" %lu", pid);
        std::printf("%s\n", alive.empty() ? " none" : "");
        const std::vector<std::string> lines = g_outlook->LogLines();
        const size_t from = lines.size() > 12 ? lines.size() - 12 : 0;
        std::printf("[  STATE   ] the server's last log lines (%zu in all):\n", lines.size());
        for (size_t i = from; i < lines.size(); ++i) std::printf("    %s\n", lines[i].c_str());
    }
    // Processes of ours alive now, whoever started them.
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32W e{};
        e.dwSize = sizeof e;
        for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e))
            for (const wchar_t* name : kOurs)
                if (_wcsicmp(e.szExeFile, name) == 0)
                    std::printf("[  STATE   ] alive: %s (pid %lu)\n", Narrow(name).c_str(), e.th32ProcessID);
        CloseHandle(snap);
    }
    CreateDirectoryW(L"build", nullptr);
    CreateDirectoryW(L"build\\screens", nullptr);
    const std::string shot = "build\\screens\\failed-" + test + ".png";
    std::printf("[  STATE   ] the desktop: %s%s\n", shot.c_str(), SaveScreenShot(shot) ? "" : " (could not be written)");
    std::fflush(stdout);
}

// Starts each test from a known state and reports the state at its first failure.
class Isolation : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override {
        m_reported = false;
        EndLeftovers("before the test");
        // Nothing of an earlier test's Outlook, settings or wallpaper stays.
        wchar_t text[40] = {};
        StringFromGUID2(kOutlookApplicationClsid, text, 40);
        DeleteHklmTree(std::wstring(L"CLSID\\") + text);
        DeleteHklmTree(L"Outlook.Application");
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kestrova");
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Kestrova");
        std::wstring none;
        SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, none.data(), SPIF_UPDATEINIFILE);
    }
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (!result.failed() || m_reported) return;
        m_reported = true;
        ReportState();
    }
    void OnTestEnd(const ::testing::TestInfo&) override { EndLeftovers("after the test"); }

private:
    bool m_reported = false;
};

const bool g_isolation = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new Isolation);
    return true;
}();

} // namespace

std::wstring ProgramPath() {
    wchar_t buf[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"ORVANTA_EXE", buf, MAX_PATH);
    return n && n < MAX_PATH ? std::wstring(buf, n) : FolderOf(Self()) + L"orvanta.exe";
}

std::string CurrentTestName() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!info) return "outside-a-test";
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/' || c == '\\' || c == ':') c = '_';
    return name;
}

std::wstring TestFolder() {
    static std::string made;
    const std::string test = CurrentTestName();
    // Short: Wine reads a LocalServer32 command line of at most MAX_PATH characters, and
    // the server's command names this folder.
    uint32_t hash = 2166136261u; // FNV-1a of the test's name
    for (unsigned char c : test) hash = (hash ^ c) * 16777619u;
    wchar_t name[16] = {};
    swprintf(name, 16, L"%08x", hash);
    const std::wstring base = TempPath() + L"oe2e";
    const std::wstring folder = base + L"\\" + name + L"\\";
    if (made != test) {
        CreateDirectoryW(base.c_str(), nullptr);
        CreateDirectoryW(folder.c_str(), nullptr);
        WIN32_FIND_DATAW found{};
        HANDLE h = FindFirstFileW((folder + L"*").c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + found.cFileName).c_str());
            } while (FindNextFileW(h, &found));
            FindClose(h);
        }
        made = test;
    }
    return folder;
}

int EndLeftovers(const char* when) {
    int ended = 0;
    bool server = false;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W e{};
    e.dwSize = sizeof e;
    for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e)) {
        for (const wchar_t* name : kOurs) {
            if (_wcsicmp(e.szExeFile, name) != 0 || !EndProcess(e.th32ProcessID, 98)) continue;
            std::printf("[ ISOLATE  ] %s: ended %s (pid %lu), left from earlier\n", when, Narrow(name).c_str(),
                        e.th32ProcessID);
            server = server || _wcsicmp(name, L"fake-outlook-server.exe") == 0;
            ++ended;
        }
    }
    CloseHandle(snap);
    if (server) ForgetDeadClassObjects();
    std::fflush(stdout);
    return ended;
}


// --- the program ---------------------------------------------------------------

DriverProgram::DriverProgram(const std::wstring& arguments) {
    m_errors = TestFolder() + L"program-errors.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE err = CreateFileW(m_errors.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             &inherit, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (err != INVALID_HANDLE_VALUE) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdError = err;
        si.hStdOutput = err;
    }
    const std::wstring path = ProgramPath();
    std::wstring cmd = L"\"" + path + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    // The program finds its libraries relative to its current folder, as from its shortcut.
    // Wine's process creation now and then fails with an internal error while the
    // machine is loaded (the new process never ran); that one is tried again, twice.
    for (int attempt = 0; attempt < 3; ++attempt) {
        started = CreateProcessW(path.c_str(), cmd.data(), nullptr, nullptr, err != INVALID_HANDLE_VALUE, 0, nullptr,
                                 FolderOf(path).c_str(), &si, &pi) != 0;
        if (started) break;
        error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR) break;
        Sleep(500);
    }
    if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
    g_program = this;
}

DriverProgram::~DriverProgram() {
    if (g_program == this) g_program = nullptr;
    if (!started) return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

std::vector<HWND> DriverProgram::Windows(const wchar_t* cls, const wchar_t* caption, bool visible) const {
    struct Ctx {
        DWORD pid;
        const wchar_t* cls;
        const wchar_t* caption;
        bool visible;
        std::vector<HWND> found;
    } ctx{pi.dwProcessId, cls, caption, visible, {}};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(lp);
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            wchar_t k[128] = {}, t[256] = {};
            GetClassNameW(h, k, 128);
            GetWindowTextW(h, t, 256);
            if (pid == c->pid && wcscmp(k, c->cls) == 0 && (!c->caption || wcscmp(t, c->caption) == 0) &&
                (!c->visible || IsWindowVisible(h)))
                c->found.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.found;
}

HWND DriverProgram::Find(const wchar_t* cls, const wchar_t* caption, bool visible) const {
    const std::vector<HWND> all = Windows(cls, caption, visible);
    return all.empty() ? nullptr : all.front();
}

HWND DriverProgram::Wait(const wchar_t* cls, const wchar_t* caption, DWORD ms, bool visible) const {
    HWND h = nullptr;
    WaitFor([&] { return (h = Find(cls, caption, visible)) != nullptr || !Running(); }, ms);
    return h;
}

HWND DriverProgram::MainWindow() const { return Wait(L"OrvantaMainFrame", L"Orvanta for Outlook", 30000, false); }

bool DriverProgram::Running() const { return started && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }

DWORD DriverProgram::WaitExit(DWORD ms) {
    WaitForSingleObject(pi.hProcess, ms);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

void DriverProgram::Abandon() {
    if (!started) return;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    started = false;
}

std::string DriverProgram::Errors() const { return ReadText(m_errors); }

std::vector<std::wstring> DriverProgram::Dialogs() const {
    std::vector<std::wstring> out;
    for (HWND d : Windows(L"#32770", nullptr)) {
        wchar_t caption[256] = {};
        GetWindowTextW(d, caption, 256);
        std::wstring text = caption;
        for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            wchar_t t[512] = {};
            GetWindowTextW(c, t, 512);
            if (*t) text += std::wstring(L" | ") + t;
        }
        out.push_back(text);
    }
    return out;
}

// --- Outlook ------------------------------------------------------------------

TestOutlook::TestOutlook() {
    wchar_t text[40] = {};
    StringFromGUID2(kOutlookApplicationClsid, text, 40);
    clsid = text;
    const std::wstring folder = TestFolder();
    store = folder + L"store.json";
    log = folder + L"server.log";
    control = folder + L"server.ctl";
    g_outlook = this;
}

TestOutlook::~TestOutlook() {
    Unregister();
    if (g_outlook == this) g_outlook = nullptr;
}

bool TestOutlook::Register(const std::string& storeText, const std::wstring& extraArguments) {
    DeleteFileW(log.c_str());
    DeleteFileW(control.c_str());
    if (!WriteStore(storeText)) return false;
    const std::wstring server = FolderOf(Self()) + L"fake-outlook-server.exe";
    if (GetFileAttributesW(server.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    std::wstring folder = TestFolder();
    folder.pop_back();
    std::wstring command = L"\"" + server + L"\" --folder \"" + folder + L"\"";
    if (!extraArguments.empty()) command += L" " + extraArguments;
    if (command.size() >= MAX_PATH) {
        // Wine's COM refuses a longer one as "class not registered".
        ADD_FAILURE() << "the test server's command line is " << command.size() << " characters, above "
                      << MAX_PATH << ": " << Narrow(command);
        return false;
    }
    m_registered = true;
    if (SetHklm(L"CLSID\\" + clsid + L"\\LocalServer32", nullptr, command) != ERROR_SUCCESS ||
        SetHklm(L"CLSID\\" + clsid + L"\\ProgID", nullptr, L"Outlook.Application") != ERROR_SUCCESS ||
        SetHklm(L"Outlook.Application\\CLSID", nullptr, clsid) != ERROR_SUCCESS)
        return false;
    ITypeLib* lib = nullptr;
    if (LoadTypeLibEx((FolderOf(Self()) + L"fake-outlook.tlb").c_str(), REGKIND_REGISTER, &lib) != S_OK) return false;
    lib->Release();
    return true;
}

void TestOutlook::Unregister() {
    if (!m_registered) return;
    m_registered = false;
    DeleteHklmTree(L"CLSID\\" + clsid);
    DeleteHklmTree(L"Outlook.Application");
    GUID libid;
    CLSIDFromString(kFakeOutlookLibId, &libid);
    UnRegisterTypeLib(libid, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
    // A server ends 3 s after the last object was let go; one still held (by a program
    // that was ended, whose references COM never takes back) is ended by its id.
    if (!WaitFor([&] { return AliveServers().empty(); }, 5000)) {
        bool ended = false;
        for (DWORD pid : AliveServers()) {
            if (!EndProcess(pid, 97)) continue;
            std::printf("[ ISOLATE  ] ended the test server (pid %lu), still held after the test\n", pid);
            ended = true;
        }
        if (ended) ForgetDeadClassObjects();
        std::fflush(stdout);
    }
    DeleteFileW(control.c_str());
}

bool TestOutlook::WriteStore(const std::string& text) const {
    const std::wstring part = store + L".part";
    {
        std::ofstream out(part.c_str(), std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) return false;
    }
    return MoveFileExW(part.c_str(), store.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool TestOutlook::Command(const std::string& line) const {
    std::ofstream out(control.c_str(), std::ios::binary | std::ios::app);
    out << line << "\r\n";
    return static_cast<bool>(out.flush());
}

std::vector<std::string> TestOutlook::LogLines() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadText(log));
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

int TestOutlook::LogCount(const std::string& start) const {
    int n = 0;
    for (const std::string& l : LogLines()) n += l.rfind(start, 0) == 0;
    return n;
}

bool TestOutlook::ServedThisTest() const { return LogCount("started ") > 0 && LogCount("created") > 0; }

bool TestOutlook::Probe() {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool ours = false;
    for (int attempt = 1; attempt <= 3 && !ours; ++attempt) {
        const DWORD start = GetTickCount();
        IDispatch* app = nullptr;
        const HRESULT hr = CoCreateInstance(kOutlookApplicationClsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                            reinterpret_cast<void**>(&app));
        if (app) app->Release();
        ours = SUCCEEDED(hr) && ServedThisTest();
        std::printf("[ ISOLATE  ] Outlook created by the test: 0x%08lX after %lu ms, %s\n", static_cast<unsigned long>(hr),
                    GetTickCount() - start, ours ? "served by this test's server" : "not this test's server");
    }
    if (SUCCEEDED(init)) CoUninitialize();
    std::fflush(stdout);
    return ours;
}

std::vector<DWORD> TestOutlook::AliveServers() const {
    std::vector<DWORD> out;
    for (const std::string& l : LogLines()) {
        if (l.rfind("started ", 0) != 0) continue;
        const DWORD pid = static_cast<DWORD>(std::strtoul(l.c_str() + 8, nullptr, 10));
        if (pid && Alive(pid)) out.push_back(pid);
    }
    return out;
}

// --- the screen -----------------------------------------------------------------

std::vector<uint32_t> ScreenShot(int& w, int& h) {
    w = GetSystemMetrics(SM_CXSCREEN);
    h = GetSystemMetrics(SM_CYSCREEN);
    return ScreenPixels(RECT{0, 0, w, h});
}

bool SaveScreenShot(const std::string& path) {
    int w = 0, h = 0;
    std::vector<uint32_t> px = ScreenShot(w, h); // 0x00RRGGBB is blue, green, red in memory
    if (px.empty()) return false;
    PixelSurface s{reinterpret_cast<uint8_t*>(px.data()), w, h, w * 4};
    return WritePng(s, path);
}

bool SaveWindowShot(HWND window, const std::string& path) {
    RECT r{};
    if (!GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top) return false;
    std::vector<uint32_t> px = ScreenPixels(r);
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos) {
        // Each folder of the path, from the first.
        for (size_t at = path.find_first_of("\\/"); at != std::string::npos && at <= slash;
             at = path.find_first_of("\\/", at + 1))
            CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
    PixelSurface s{reinterpret_cast<uint8_t*>(px.data()), static_cast<int>(r.right - r.left),
                   static_cast<int>(r.bottom - r.top), static_cast<int>(r.right - r.left) * 4};
    return WritePng(s, path);
}

namespace {

struct Control {
    HWND hwnd;
    std::string name; // class, id and text, for the message
    std::wstring cls, text;
    LONG style;
    RECT rect; // in the dialog's client coordinates
};

bool IsClass(const Control& c, const wchar_t* cls) { return _wcsicmp(c.cls.c_str(), cls) == 0; }
bool IsGroupBox(const Control& c) { return IsClass(c, L"Button") && (c.style & BS_TYPEMASK) == BS_GROUPBOX; }
bool IsCheckOrRadio(const Control& c) {
    if (!IsClass(c, L"Button")) return false;
    switch (c.style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE: return true;
    default: return false;
    }
}
bool IsPicture(const Control& c) { return IsClass(c, L"Static") && (c.style & SS_TYPEMASK) == SS_BITMAP; }
bool IsTextLabel(const Control& c) {
    if (!IsClass(c, L"Static")) return false;
    const LONG type = c.style & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE;
}
bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}
bool Meet(const RECT& a, const RECT& b) {
    RECT both{};
    return IntersectRect(&both, &a, &b) != FALSE;
}
std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

} // namespace

std::vector<std::string> LayoutFaults(HWND dialog) {
    std::vector<std::string> faults;
    std::vector<Control> controls;
    for (HWND h = GetWindow(dialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (!IsWindowVisible(h)) continue;
        Control c{h, "", L"", L"", GetWindowLongW(h, GWL_STYLE), RECT{}};
        wchar_t buf[256] = {};
        GetClassNameW(h, buf, 256);
        c.cls = buf;
        // The up-down arrows sit on their field's edge by design.
        if (IsClass(c, L"msctls_updown32")) continue;
        buf[0] = 0;
        SendMessageW(h, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buf));
        c.text = buf;
        GetWindowRect(h, &c.rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&c.rect), 2);
        c.name = Narrow(c.cls) + " " + std::to_string(GetDlgCtrlID(h)) + " \"" + Narrow(c.text) + "\" " +
                 Describe(c.rect);
        controls.push_back(c);
    }
    RECT client{};
    GetClientRect(dialog, &client);
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& a = controls[i];
        if (!Contains(client, a.rect)) faults.push_back(a.name + " crosses the dialog's edge " + Describe(client));
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const Control& b = controls[j];
            if (!Meet(a.rect, b.rect)) continue;
            const bool aBox = IsGroupBox(a), bBox = IsGroupBox(b);
            if (aBox && !bBox && Contains(a.rect, b.rect)) continue;
            if (bBox && !aBox && Contains(b.rect, a.rect)) continue;
            if (aBox || bBox) faults.push_back((aBox ? b.name : a.name) + " crosses the group box " + (aBox ? a.name : b.name));
            else faults.push_back(a.name + " overlaps " + b.name);
        }
    }
    // The dialog's font, as its template names it.
    HDC dc = GetDC(dialog);
    HFONT font = CreateFontW(-MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg");
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const int checkBox = 12 * GetDeviceCaps(dc, LOGPIXELSX) / 96 + 1; // the box a check box draws
    for (const Control& c : controls) {
        if (c.text.empty() || IsPicture(c) || !(IsCheckOrRadio(c) || IsTextLabel(c) || IsGroupBox(c))) continue;
        const UINT prefix = IsTextLabel(c) && (c.style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        const int width = c.rect.right - c.rect.left, height = c.rect.bottom - c.rect.top;
        if (IsTextLabel(c) && height >= 2 * tm.tmHeight) {
            RECT r{0, 0, width, 0};
            DrawTextW(dc, c.text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | prefix);
            if (r.bottom > height)
                faults.push_back(c.name + ": its lines need " + std::to_string(r.bottom) + " px in height");
            continue;
        }
        RECT r{0, 0, 0, 0};
        DrawTextW(dc, c.text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | prefix);
        int need = r.right;
        if (IsCheckOrRadio(c)) need += checkBox + 2;
        if (IsGroupBox(c)) need += 2 * tm.tmAveCharWidth; // the caption sits inside the frame's corners
        if (need > width)
            faults.push_back(c.name + ": its text needs " + std::to_string(need) + " px, it has " + std::to_string(width));
    }
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(dialog, dc);
    return faults;
}

std::string SampleStore() {
    wchar_t path[MAX_PATH] = {};
    GetFullPathNameW(L"examples\\sample-store.json", MAX_PATH, path, nullptr);
    return ReadText(path);
}

// --- pictures ------------------------------------------------------------------

// A 24-bit picture of two colours in vertical bands, written as BMP.
bool WriteBmp(const std::wstring& path, int w, int h, COLORREF a, COLORREF b) {
    // COLORREF holds blue in its high byte.
    auto rgb = [](COLORREF c) { return uint32_t{GetRValue(c)} << 16 | uint32_t{GetGValue(c)} << 8 | GetBValue(c); };
    const std::string f = TwoColourBmp(w, h, rgb(a), rgb(b), 64);
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) return false;
    const bool ok = fwrite(f.data(), 1, f.size(), out) == f.size();
    return fclose(out) == 0 && ok;
}


// A 24-bit BMP file's pixels as 0x00RRGGBB, rows top down.
std::vector<uint32_t> ReadBmp(const std::wstring& path, int& w, int& h) {
    std::vector<uint32_t> px;
    FILE* in = _wfopen(path.c_str(), L"rb");
    if (!in) return px;
    std::vector<unsigned char> f;
    unsigned char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, in)) > 0) f.insert(f.end(), buf, buf + n);
    fclose(in);
    if (f.size() < 54) return px;
    auto le = [&f](size_t at) { return f[at] | (f[at + 1] << 8) | (f[at + 2] << 16) | (f[at + 3] << 24); };
    w = le(18);
    h = le(22);
    const int bpp = f[28];
    const size_t offset = static_cast<size_t>(le(10));
    if (bpp != 24 || w <= 0 || h <= 0) return px;
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t(3);
    if (f.size() < offset + stride * h) return px;
    px.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = &f[offset + stride * (h - 1 - y) + static_cast<size_t>(x) * 3];
            px[static_cast<size_t>(y) * w + x] = (p[2] << 16) | (p[1] << 8) | p[0];
        }
    return px;
}

// The screen shows the picture everywhere but on the taskbar, which stands over it.
bool ShowsPicture(const std::vector<uint32_t>& screen, const std::vector<uint32_t>& picture, int w, int h) {
    if (screen.size() != picture.size() || static_cast<size_t>(w) * h != picture.size()) return false;
    RECT bar{};
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!taskbar || !IsWindowVisible(taskbar) || !GetWindowRect(taskbar, &bar)) bar = RECT{};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = static_cast<size_t>(y) * w + x;
            if (screen[i] != picture[i] && !(x >= bar.left && x < bar.right && y >= bar.top && y < bar.bottom))
                return false;
        }
    return true;
}

// --- regions ------------------------------------------------------------------

// The lines of CRegionsCommand::Print.
std::vector<Region> ParseRegions(const std::string& text) {
    std::vector<Region> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        Region r;
        char kind[32] = {};
        long l, t, rr, b;
        if (std::sscanf(line.c_str(), "%31s %ld,%ld-%ld,%ld", kind, &l, &t, &rr, &b) != 5) continue;
        r.kind = kind;
        r.rect = RECT{l, t, rr, b};
        const size_t q1 = line.find('"'), q2 = line.find('"', q1 + 1), arrow = line.find("-> ");
        if (q1 != std::string::npos && q2 != std::string::npos) r.tooltip = line.substr(q1 + 1, q2 - q1 - 1);
        if (arrow != std::string::npos) r.describe = line.substr(arrow + 3);
        out.push_back(r);
    }
    return out;
}

// Composes once over the store file with the program's settings, in a process of its
// own (regions-probe.exe beside this program); false with the reason when that fails.
bool ComposeRegions(const std::wstring& storeFile, std::vector<Region>& desktop, std::vector<Region>& popup,
                    std::string& error) {
    const std::wstring out = TestFolder() + L"regions.txt";
    DeleteFileW(out.c_str());
    std::wstring command = L"\"" + FolderOf(Self()) + L"regions-probe.exe\" \"" + storeFile + L"\" \"" + out + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        error = "regions-probe.exe could not be started: " + std::to_string(GetLastError());
        return false;
    }
    const DWORD waited = WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::ifstream in(out.c_str());
    std::stringstream text;
    text << in.rdbuf();
    if (code != 0) {
        error = "regions-probe.exe ended with " + std::to_string(code) + ": " + text.str();
        return false;
    }
    const std::string all = text.str();
    const size_t split = all.find("[popup]\n");
    desktop = ParseRegions(all.substr(0, split));
    popup = split == std::string::npos ? std::vector<Region>() : ParseRegions(all.substr(split));
    return true;
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
