// The Linux ports against real files, locks and processes.
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/stat.h>

#include "PosixTestUtil.h"
#include "platform/posix/PosixMutex.h"
#include "platform/posix/PosixRegistry.h"
#include "platform/posix/PosixSystem.h"
#include "settings/Settings.h"
#include "system/Registry.h"

namespace {

const char* kKey = "Software\\Kestrova\\Orvanta for Outlook\\3.5";

TEST(PosixRegistry, ValuesPersistInTheRegFileAndOtherProcessesSeeThem) {
    TempDir dir;
    CPosixFileRegistry a(dir.Path() + "/orvanta");
    CPosixFileRegistry b(dir.Path() + "/orvanta"); // another process's view
    CRegistry ra(&a);
    ASSERT_TRUE(ra.CreateKeyPath(RegRoot::CurrentUser, kKey, "REG_BINARY"));
    ASSERT_TRUE(ra.Open(RegRoot::CurrentUser, kKey, RegAccess::ReadWrite));
    ASSERT_TRUE(ra.WriteNumber("Refresh", 20));
    ASSERT_TRUE(ra.WriteText("Wallpaper", "/home/u/Bilder/Gr\xC3\xBC\xC3\x9F" "e \"x\".jpg"));

    std::string file = ReadFile(a.FilePath(RegRoot::CurrentUser));
    EXPECT_EQ(file.rfind("Windows Registry Editor Version 5.00\n", 0), 0u);
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Kestrova\\Orvanta for Outlook\\3.5]\n"
                        "\"Refresh\"=dword:00000014\n"),
              std::string::npos);

    CRegistry rb(&b);
    ASSERT_TRUE(rb.Open(RegRoot::CurrentUser, kKey, RegAccess::ReadWrite));
    int32_t n = 0;
    EXPECT_TRUE(rb.ReadNumber("refresh", n));
    EXPECT_EQ(n, 20);
    ASSERT_TRUE(rb.WriteNumber("Refresh", 45));
    EXPECT_TRUE(ra.ReadNumber("Refresh", n)); // a's view follows the file
    EXPECT_EQ(n, 45);
    std::string text;
    EXPECT_TRUE(ra.ReadText("Wallpaper", text));
    EXPECT_EQ(text, "/home/u/Bilder/Gr\xC3\xBC\xC3\x9F" "e \"x\".jpg");
    EXPECT_FALSE(Exists(a.FilePath(RegRoot::LocalMachine))); // untouched roots have no file
}

TEST(PosixRegistry, DamagedFileIsReportedKeptAndReplacedByDefaults) {
    TempDir dir;
    const std::string base = dir.Path() + "/orvanta";
    ::mkdir(base.c_str(), 0700);
    CPosixFileRegistry reg(base);
    const std::string file = reg.FilePath(RegRoot::CurrentUser);
    const std::string damaged =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Kestrova\\Orvanta for "
        "Outlook\\3.5]\n\"Transparency\"=dword:0000005\n\"Wallp";
    WriteFile(file, damaged);

    testing::internal::CaptureStderr();
    CSettings s(kKey, &reg);
    s.Open();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("is damaged (line 5: "), std::string::npos) << err;
    EXPECT_NE(err.find(file + ".damaged"), std::string::npos) << err;
    EXPECT_EQ(ReadFile(file + ".damaged"), damaged); // the user's file is kept as it was
    EXPECT_EQ(s.m_transparency, 30);                 // defaults are used
    EXPECT_NE(ReadFile(file).find("\"Refresh\"=dword:00000014"), std::string::npos);

    // A second damage keeps the first backup too.
    WriteFile(file, "garbage");
    testing::internal::CaptureStderr();
    CSettings t(kKey, &reg);
    t.Open();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadFile(file + ".damaged"), damaged);
    EXPECT_EQ(ReadFile(file + ".damaged.1"), "garbage");
}

TEST(PosixRegistry, FailedWriteLeavesTheOldFileWhole) {
    TempDir dir;
    const std::string base = dir.Path() + "/orvanta";
    CPosixFileRegistry reg(base);
    CRegistry r(&reg);
    ASSERT_TRUE(r.CreateKeyPath(RegRoot::CurrentUser, kKey, ""));
    ASSERT_TRUE(r.Open(RegRoot::CurrentUser, kKey, RegAccess::ReadWrite));
    ASSERT_TRUE(r.WriteNumber("Refresh", 20));
    const std::string before = ReadFile(reg.FilePath(RegRoot::CurrentUser));
    // The temporary file cannot be created where a folder of that name stands.
    const std::string tmp = reg.FilePath(RegRoot::CurrentUser) + ".tmp." + std::to_string(::getpid());
    ASSERT_EQ(::mkdir(tmp.c_str(), 0700), 0);
    EXPECT_FALSE(r.WriteNumber("Refresh", 60));
    EXPECT_EQ(r.LastError(), RegError::AccessDenied);
    EXPECT_EQ(ReadFile(reg.FilePath(RegRoot::CurrentUser)), before);
    int32_t n = 0;
    EXPECT_TRUE(r.ReadNumber("Refresh", n));
    EXPECT_EQ(n, 20); // memory did not run ahead of the file
    ::rmdir(tmp.c_str());
    EXPECT_TRUE(r.WriteNumber("Refresh", 60));
}

TEST(PosixMutex, HeldByAnotherProcessUntilItEnds) {
    TempDir dir;
    CPosixMutexPort port(dir.Path());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    if (child == 0) {
        MutexOutcome o;
        auto m = port.Create("CorvinelMutex", o);
        char c = o == MutexOutcome::Created ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        ::pause();
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    MutexOutcome o = MutexOutcome::Failed;
    auto held = port.Create("CorvinelMutex", o);
    EXPECT_EQ(o, MutexOutcome::AlreadyExists);
    EXPECT_TRUE(held);
    held.reset();
    ::kill(child, SIGKILL); // however it ends, the lock goes with it
    ::waitpid(child, nullptr, 0);
    auto mine = port.Create("CorvinelMutex", o);
    EXPECT_EQ(o, MutexOutcome::Created);
    ::close(ready[0]);
    ::close(ready[1]);
}

// A lock folder that another user made first, or that others can open, is refused
// rather than used; a missing one is made private.
TEST(PosixMutex, TheLockFolderMustBeOursAndPrivate) {
    TempDir dir;
    MutexOutcome o = MutexOutcome::Created;
    const std::string fresh = dir.Path() + "/orvanta-locks";
    EXPECT_TRUE(CPosixMutexPort(fresh).Create("OrvantaOutlookMutex", o));
    EXPECT_EQ(o, MutexOutcome::Created);
    struct stat st {};
    ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const std::string open = dir.Path() + "/open";
    ASSERT_EQ(::mkdir(open.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    EXPECT_FALSE(CPosixMutexPort(open).Create("OrvantaOutlookMutex", o));
    EXPECT_EQ(o, MutexOutcome::Failed);

    const std::string link = dir.Path() + "/link";
    ASSERT_EQ(::symlink(fresh.c_str(), link.c_str()), 0);
    EXPECT_FALSE(CPosixMutexPort(link).Create("OrvantaOutlookMutex", o));

    if (::getuid() == 0) { // only root can give a folder away
        const std::string theirs = dir.Path() + "/theirs";
        ASSERT_EQ(::mkdir(theirs.c_str(), 0700), 0);
        ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(CPosixMutexPort(theirs).Create("OrvantaOutlookMutex", o));
        EXPECT_EQ(o, MutexOutcome::Failed);
    }
}

TEST(PosixSystem, FoldersAndPaths) {
    TempDir dir;
    std::string data = dir.Path() + "/deep/data";
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    CPosixSystemPort sys;
    EXPECT_EQ(sys.SpecialFolderPath(SpecialFolder::AppData), data);
    EXPECT_TRUE(Exists(data)); // created as the shell does for this folder
    ::unsetenv("XDG_DATA_HOME");
    unsigned long error = 1;
    std::string self = sys.ModuleFileName(error);
    EXPECT_EQ(error, 0u);
    EXPECT_NE(self.find("orvanta_posix_tests"), std::string::npos);
    EXPECT_EQ(sys.ShortPath(self), self);
    EXPECT_EQ(sys.ShortPath(dir.Path() + "/missing"), "");
    EXPECT_TRUE(sys.MakeDirectory(dir.Path() + "/Kestrova"));
    EXPECT_FALSE(sys.MakeDirectory(dir.Path() + "/Kestrova"));
    std::vector<std::string> names;
    ASSERT_TRUE(sys.ListDirectory(dir.Path(), names));
    EXPECT_EQ(names.size(), 2u); // deep, Kestrova
    EXPECT_FALSE(sys.ListDirectory(dir.Path() + "/missing", names));
    // The override names one monitor; without it and without a display, 1920 x 1080.
    const char* display = std::getenv("DISPLAY");
    const std::string hadDisplay = display ? display : "";
    ::unsetenv("DISPLAY");
    ::setenv("ORVANTA_SCREEN", "2560x1440", 1);
    EXPECT_EQ(sys.GetScreenMetrics().virtualWidth, 2560);
    const std::vector<MonitorInfo> one = sys.GetMonitors();
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].work, (Rect{0, 0, 2560, 1440}));
    EXPECT_TRUE(one[0].primary);
    ::setenv("ORVANTA_SCREEN", "nonsense", 1);
    EXPECT_EQ(sys.GetScreenMetrics().virtualWidth, 1920);
    EXPECT_EQ(sys.GetMonitors().at(0).bounds, (Rect{0, 0, 1920, 1080}));
    ::unsetenv("ORVANTA_SCREEN");
    if (!hadDisplay.empty()) ::setenv("DISPLAY", hadDisplay.c_str(), 1);
}

} // namespace
