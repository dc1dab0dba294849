#pragma once
// What the driver tests share: where this test program and orvanta.exe are, waiting
// for something another process does, the program under test, and Outlook as the test
// server in a process of its own.
//
// Every test starts from a known state whatever the test before it did: processes of
// ours left alive in the prefix are ended by their id (with a line saying so), and each
// test has its own folder for the store, the server's log and control file and the
// program's error output. When a test fails, the state of the system at that moment is
// written beside the failure: the program's error output and dialogs, whether the
// program and the server are alive, the server's last log lines, and a screenshot of
// the desktop (build/screens/failed-<test>.png).
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

inline std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

inline std::wstring Self() {
    wchar_t buf[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buf, MAX_PATH);
    return buf;
}

// Checks every pollMs until done or ms have passed.
inline bool WaitFor(const std::function<bool()>& done, DWORD ms, DWORD pollMs = 50) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(pollMs);
    }
    return true;
}

// A file's bytes; empty when it cannot be read.
std::string ReadFile(const std::wstring& path);

// A dialog's controls, as another process reads and works them.
inline std::wstring Text(HWND dlg, int id) {
    wchar_t buf[512] = {};
    GetDlgItemTextW(dlg, id, buf, 512);
    return buf;
}
inline bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
inline bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE; }
// A click on the control as the mouse gives it. Posted: a click may open a message box.
inline void Click(HWND dlg, int id) { PostMessageW(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }
// Typed into the field: the edit reports the change to its page as for keystrokes.
inline void Type(HWND dlg, int id, const std::wstring& text) {
    SendDlgItemMessageW(dlg, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// orvanta.exe: ORVANTA_EXE when set, else beside this program.
std::wstring ProgramPath();

// "Suite.Test" of the running test, as a file name may carry it.
std::string CurrentTestName();

// The running test's own folder under the temporary folder, made empty at first use.
std::wstring TestFolder();

// Ends every process of ours (the program, the test server, the fake shell and
// browser) still alive in the prefix, by its id, and says which; the count ended.
int EndLeftovers(const char* when);

// orvanta.exe started as from its shortcut (its folder current), its error output in
// the test's folder. Ended at destruction if still running.
class DriverProgram {
public:
    explicit DriverProgram(const std::wstring& arguments = std::wstring());
    ~DriverProgram();
    DriverProgram(const DriverProgram&) = delete;
    DriverProgram& operator=(const DriverProgram&) = delete;

    // The top-level windows of this process with the class (and caption, unless null).
    std::vector<HWND> Windows(const wchar_t* cls, const wchar_t* caption, bool visible = true) const;
    HWND Find(const wchar_t* cls, const wchar_t* caption, bool visible = true) const;
    // Waits for the window; gives up early when the program ended.
    HWND Wait(const wchar_t* cls, const wchar_t* caption, DWORD ms, bool visible = true) const;
    // The hidden main window.
    HWND MainWindow() const;
    bool Running() const;
    // Exit code, or STILL_ACTIVE when it did not end in time.
    DWORD WaitExit(DWORD ms);
    // What the program wrote to its error output so far.
    std::string Errors() const;
    // The captions and texts of its visible dialogs and message boxes.
    std::vector<std::wstring> Dialogs() const;
    // Lets go of the process without ending it, as a test that broke off would.
    void Abandon();

    bool started = false;
    DWORD error = 0;
    PROCESS_INFORMATION pi{};

private:
    std::wstring m_errors;
};

// Outlook for the program under test: the test server registered as Outlook's local
// server for this test only, serving its own copy of a store, logging to its own file.
class TestOutlook {
public:
    TestOutlook();
    ~TestOutlook();
    TestOutlook(const TestOutlook&) = delete;
    TestOutlook& operator=(const TestOutlook&) = delete;

    // Writes the store and registers the server (with extra arguments, if any).
    bool Register(const std::string& storeText, const std::wstring& extraArguments = std::wstring());
    // Takes the registration away and ends the server: in order when nobody holds it,
    // else by its id.
    void Unregister();
    // Written whole and renamed over the old file, as an editor saves it.
    bool WriteStore(const std::string& text) const;
    // Forgets the server without taking its registration away or ending it, as a test
    // that broke off would.
    void Abandon() { m_registered = false; }
    // A line for the server's control file ("exit", "busy N", "hang", ...).
    bool Command(const std::string& line) const;

    std::vector<std::string> LogLines() const;
    // Lines of the log starting with the text.
    int LogCount(const std::string& start) const;
    // Whether the server this test registered started and handed out an application:
    // the program was served by it, not by a server left from elsewhere.
    bool ServedThisTest() const;
    // Creates Outlook's application as the program will, and lets it go again: true when
    // this test's server answered. Tells how each attempt went.
    bool Probe();
    // Ids of the servers this test started that are still alive.
    std::vector<DWORD> AliveServers() const;

    std::wstring clsid, store, log, control;

private:
    bool m_registered = false;
};

// The desktop as the screen shows it, 0x00RRGGBB, rows top down.
std::vector<uint32_t> ScreenShot(int& w, int& h);
bool SaveScreenShot(const std::string& path);
// The window as the screen shows it, written as PNG (its folder made first).
bool SaveWindowShot(HWND window, const std::string& path);

// What is wrong with a dialog's layout as the user sees it, one line a fault (none:
// empty): a control overlapping another (a picture included; not a group box around
// it), a control crossing a group box's edge or the dialog's, and a text wider than
// its control (a check box's or radio button's beside its box; a label of several
// lines taller than its control). The texts are measured here, in the dialog's font
// ("MS Shell Dlg", 8 points), not by the program.
std::vector<std::string> LayoutFaults(HWND dialog);

// A 24-bit picture of two colours in vertical bands (64 pixels wide), written as BMP.
bool WriteBmp(const std::wstring& path, int w, int h, COLORREF a, COLORREF b);
// A 24-bit BMP file's pixels as 0x00RRGGBB, rows top down; empty when it is none.
std::vector<uint32_t> ReadBmp(const std::wstring& path, int& w, int& h);
// The screen shows the picture everywhere but on the taskbar, which stands over it.
bool ShowsPicture(const std::vector<uint32_t>& screen, const std::vector<uint32_t>& picture, int w, int h);

// The sample week shipped with the program.
std::string SampleStore();

// A region of a composed picture, as CRegionsCommand::Print writes it.
struct Region {
    std::string kind, tooltip, describe;
    RECT rect{};
};
// The lines of CRegionsCommand::Print.
std::vector<Region> ParseRegions(const std::string& text);
// Composes once with the program's settings in a process of its own (regions-probe.exe
// beside this program): over the store file as Outlook, or with no Outlook at all when
// storeFile is "-"; false with the reason when that fails.
bool ComposeRegions(const std::wstring& storeFile, std::vector<Region>& desktop, std::vector<Region>& popup,
                    std::string& error);
