// Starts the real orvanta.exe and checks what a user would see: the registry it
// wrote, the folder it made, the message box or dialog a refused start shows (read
// off the desktop and answered by pressing its button) and an orderly shutdown.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cctype>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <string>
#include <vector>

#include "../Win32TestUtil.h"
#include "DriverUtil.h"

namespace {

const char* kKey = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr DWORD kStartTimeoutMs = 30000;

// Started with arguments it ignores, as a shortcut may pass them.
class Program : public DriverProgram {
public:
    Program() : DriverProgram(L"ignored-argument C:\\some\\file.txt") {}
    HWND WaitWindow(const wchar_t* cls, const wchar_t* caption, DWORD ms) { return Wait(cls, caption, ms); }
};

std::wstring ItemText(HWND dlg, int id) {
    wchar_t buf[2048] = {};
    GetDlgItemTextW(dlg, id, buf, 2048);
    return buf;
}

std::wstring WindowText(HWND h) {
    wchar_t buf[512] = {};
    GetWindowTextW(h, buf, 512);
    return buf;
}

// Presses the button as a user would: a click on the button control.
void Press(HWND dlg, int id) {
    HWND button = GetDlgItem(dlg, id);
    ASSERT_NE(button, nullptr) << "no button " << id;
    PostMessageW(button, BM_CLICK, 0, 0);
}

std::wstring AppDataFolder() {
    wchar_t buf[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, buf);
    return buf;
}

bool IsDirectory(const std::wstring& p) {
    DWORD a = GetFileAttributesW(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void ForgetEverything() {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kestrova");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Kestrova");
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Widen(kRunKey).c_str(), 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        RegDeleteValueW(run, L"Orvanta for Outlook");
        RegCloseKey(run);
    }
    // The data folder with all that earlier tests left in it (the pictures, a part per
    // monitor, the calendar files' cache, the feeds' copies).
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(AppDataFolder() + L"\\Kestrova"), ignored);
}

class Driver : public ::testing::Test {
protected:
    void SetUp() override { ForgetEverything(); }
};

TEST_F(Driver, FirstStartWritesSettingsLogonEntryAndFolderAndClosesCleanly) {
    ASSERT_FALSE(IsDirectory(AppDataFolder() + L"\\Kestrova"));
    {
        Program p;
        ASSERT_TRUE(p.started) << p.error;
        HWND main = p.MainWindow();
        ASSERT_NE(main, nullptr) << "no hidden main window";
        EXPECT_FALSE(IsWindowVisible(main));

        RawValue refresh = GetRaw(HKEY_CURRENT_USER, kKey, "Refresh");
        ASSERT_EQ(refresh.rc, ERROR_SUCCESS);
        EXPECT_EQ(refresh.type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(refresh.number, 20u);
        struct Text {
            const char* name;
            const wchar_t* value;
        } texts[] = {{"Hide Data", L"FALSE"},       {"Use Interactive Desktop", L"TRUE"},
                     {"Time Style", L"0"},          {"Footer Blank", L"35"},
                     {"AppointmentsTask", L"75"},   {"LaunchAtStartup", L"TRUE"},
                     {"Lounch Outlook", L"FALSE"},  {"Hide On Desktop Lock", L"TRUE"},
                     {"Wallpaper", L""}};
        for (const auto& t : texts) {
            RawValue v = GetRaw(HKEY_CURRENT_USER, kKey, t.name);
            EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ)) << t.name;
            EXPECT_EQ(v.text, t.value) << t.name;
        }
        struct Number {
            const char* name;
            DWORD value;
        } numbers[] = {{"Transparency", 30}, {"Doubleclick Action", 3}, {"Orvanta style", 0}, {"FDOW", 0}};
        for (const auto& n : numbers) {
            RawValue v = GetRaw(HKEY_CURRENT_USER, kKey, n.name);
            EXPECT_EQ(v.type, static_cast<DWORD>(REG_DWORD)) << n.name;
            EXPECT_EQ(v.number, n.value) << n.name;
        }
        int width = GetRaw(HKEY_CURRENT_USER, kKey, "SideBar Width").number;
        EXPECT_GE(width, 160);
        EXPECT_LE(width, 400);

        RawValue run = GetRaw(HKEY_CURRENT_USER, kRunKey, "Orvanta for Outlook");
        ASSERT_EQ(run.rc, ERROR_SUCCESS);
        EXPECT_EQ(run.type, static_cast<DWORD>(REG_SZ));
        wchar_t shortPath[MAX_PATH] = {};
        GetShortPathNameW(ProgramPath().c_str(), shortPath, MAX_PATH);
        EXPECT_EQ(run.text, shortPath);

        EXPECT_TRUE(IsDirectory(AppDataFolder() + L"\\Kestrova\\Orvanta for Outlook"));

        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(p.WaitExit(15000), 0u);
    }
    // The mutex went with the process: a new start succeeds at once.
    Program again;
    ASSERT_TRUE(again.started);
    HWND main = again.MainWindow();
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(again.WaitExit(15000), 0u);
}

TEST_F(Driver, SecondCopySaysItIsAlreadyActiveAndEnds) {
    Program first;
    ASSERT_TRUE(first.started);
    HWND main = first.MainWindow();
    ASSERT_NE(main, nullptr);

    Program second;
    ASSERT_TRUE(second.started);
    HWND box = second.WaitWindow(L"#32770", L"Orvanta for Outlook", kStartTimeoutMs);
    ASSERT_NE(box, nullptr) << "no message box from the second copy";
    EXPECT_EQ(ItemText(box, 0xFFFF), L"Orvanta for Outlook is already active");
    EXPECT_EQ(second.Find(L"OrvantaMainFrame", L"Orvanta for Outlook", false), nullptr);
    Press(box, IDOK);
    EXPECT_EQ(second.WaitExit(15000), 1u);

    EXPECT_TRUE(first.Running());
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitExit(15000), 0u);
}

TEST_F(Driver, RunningSiblingsAreNamedFirstRowFirst) {
    HANDLE corvinel = CreateMutexW(nullptr, TRUE, L"CorvinelMutex");
    HANDLE lotus = CreateMutexW(nullptr, TRUE, L"OrvantaLotusMutex");
    ASSERT_NE(corvinel, nullptr);
    ASSERT_NE(lotus, nullptr);
    {
        Program p;
        ASSERT_TRUE(p.started);
        HWND dlg = p.WaitWindow(L"#32770", L"Orvanta for Outlook", kStartTimeoutMs);
        ASSERT_NE(dlg, nullptr) << "no already-running dialog";
        EXPECT_EQ(ItemText(dlg, 1082),
                  L"Orvanta for Outlook can not start because Corvinel is already running. You first have "
                  L"to exit Corvinel and then start Orvanta for Outlook again.");
        // The hint below it, found among the dialog's static texts.
        bool hint = false;
        for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (WindowText(c).find(L"\"launch on startup\" option in the other program") != std::wstring::npos)
                hint = true;
        EXPECT_TRUE(hint);
        EXPECT_EQ(WindowText(GetDlgItem(dlg, IDOK)), L"OK");
        Press(dlg, IDOK);
        EXPECT_EQ(p.WaitExit(15000), 1u);
    }
    ReleaseMutex(corvinel);
    CloseHandle(corvinel);
    {
        Program p;
        HWND dlg = p.WaitWindow(L"#32770", L"Orvanta for Outlook", kStartTimeoutMs);
        ASSERT_NE(dlg, nullptr);
        EXPECT_NE(ItemText(dlg, 1082).find(L"because Orvanta for Lotus is already running"), std::wstring::npos);
        Press(dlg, IDOK);
        EXPECT_EQ(p.WaitExit(15000), 1u);
    }
    ReleaseMutex(lotus);
    CloseHandle(lotus);
    // With no sibling left, and no own mutex left behind by the refused starts, it runs.
    Program p;
    HWND main = p.MainWindow();
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(15000), 0u);
}

TEST_F(Driver, BadStoredValuesNeitherCrashNorSurvive) {
    SetRawText(kKey, "SideBarStyle", "7");
    SetRawDword(kKey, "SideBar Width", 900);
    SetRawDword(kKey, "Refresh", 0);
    SetRawText(kKey, "Transparency", "abc");
    SetRawDword(kKey, "Wallpaper", 12);
    SetRawText(kKey, "WPStyle", std::string(1000, 'x'));
    const BYTE junk[5] = {0xff, 0, 1, 2, 3};
    SetRaw(kKey, "ShowSplash", REG_BINARY, junk, 5);

    Program p;
    HWND main = p.MainWindow();
    ASSERT_NE(main, nullptr);
    RawValue refresh = GetRaw(HKEY_CURRENT_USER, kKey, "Refresh");
    EXPECT_EQ(refresh.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(refresh.number, 20u);
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_EQ(p.WaitExit(15000), 0u);

    EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, kKey, "SideBarStyle").text, L"1");
    EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, kKey, "SideBar Width").number, 400u);
    RawValue t = GetRaw(HKEY_CURRENT_USER, kKey, "Transparency");
    EXPECT_EQ(t.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(t.number, 30u);
    EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, kKey, "ShowSplash").text, L"TRUE");
    EXPECT_EQ(GetRaw(HKEY_CURRENT_USER, kKey, "Wallpaper").type, static_cast<DWORD>(REG_SZ));
}

// The program declares itself per-monitor DPI aware (so the wallpaper is composed
// in the screen's physical pixels), wants common controls 6, runs as the invoker
// and names the systems it supports.
TEST(ProgramFile, CarriesItsApplicationManifest) {
    HMODULE exe = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(exe) << GetLastError();
    HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_TRUE(found) << GetLastError();
    const char* data = static_cast<const char*>(LockResource(LoadResource(exe, found)));
    ASSERT_TRUE(data);
    const std::string manifest(data, SizeofResource(exe, found));
    FreeLibrary(exe);
    for (const char* must : {"PerMonitorV2", "true/pm", "Microsoft.Windows.Common-Controls", "6.0.0.0",
                             "asInvoker", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(manifest.find(must), std::string::npos) << must;
}

// The read-only data of the program file (its string literals): the section ".rdata".
std::string ReadOnlyData(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    const BOOL ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok || read != bytes.size() || bytes.size() < sizeof(IMAGE_DOS_HEADER)) return {};
    IMAGE_DOS_HEADER dos;
    memcpy(&dos, bytes.data(), sizeof dos);
    IMAGE_NT_HEADERS64 nt;
    if (static_cast<size_t>(dos.e_lfanew) + sizeof nt > bytes.size()) return {};
    memcpy(&nt, bytes.data() + dos.e_lfanew, sizeof nt);
    size_t at = dos.e_lfanew + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + nt.FileHeader.SizeOfOptionalHeader;
    for (int i = 0; i < nt.FileHeader.NumberOfSections && at + sizeof(IMAGE_SECTION_HEADER) <= bytes.size();
         ++i, at += sizeof(IMAGE_SECTION_HEADER)) {
        IMAGE_SECTION_HEADER section;
        memcpy(&section, bytes.data() + at, sizeof section);
        if (memcmp(section.Name, ".rdata\0", 7) == 0 &&
            section.PointerToRawData + section.SizeOfRawData <= bytes.size())
            return bytes.substr(section.PointerToRawData, section.SizeOfRawData);
    }
    return {};
}

// The shipped program carries no switch for the tests: no text of it names an ORVANTA_
// variable (in either character width), for it reads none from its environment; the
// tests find what they need through the program's own ways, or compose it themselves.
TEST(ProgramFile, ReadsNoVariableOfTheTestsFromItsEnvironment) {
    const std::string texts = ReadOnlyData(ProgramPath());
    ASSERT_GT(texts.size(), 4096u) << "no read-only data in " << Narrow(ProgramPath());
    auto inName = [&](size_t at) {
        const unsigned char c = static_cast<unsigned char>(texts[at]);
        return isupper(c) || isdigit(c) || c == '_';
    };
    const std::string wide("O\0R\0V\0A\0N\0T\0A\0_\0", 16);
    for (const std::string& name : {std::string("ORVANTA_"), wide}) {
        const size_t step = name == wide ? 2 : 1;
        // A whole name, not the tail of a longer one (a mutex's name holds one).
        for (size_t at = texts.find(name); at != std::string::npos; at = texts.find(name, at + 1))
            EXPECT_TRUE(at >= step && inName(at - step)) << texts.substr(at, 40);
    }
}

} // namespace
