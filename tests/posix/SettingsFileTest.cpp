// The settings file and the lock folder against hostile names, broken folders, crashes
// and a second program writing at the same time.
#include <gtest/gtest.h>

#include <dirent.h>
#include <pwd.h>
#include <sys/inotify.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "PosixTestUtil.h"
#include "app/OrvantaDoc.h"
#include "desktop/ActiveWallpaper.h"
#include "outlook/store/SubstituteOutlook.h"
#include "outlook/store/StorePort.h"
#include "platform/common/MemoryRegistry.h"
#include "platform/common/RegistryTree.h"
#include "platform/posix/PosixMutex.h"
#include "platform/posix/PosixRegistry.h"
#include "system/Registry.h"
#include "settings/Settings.h"

namespace {

const char* kKey = "Software\\Kestrova\\Orvanta for Outlook\\3.5";

std::vector<std::string> Listing(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

size_t Temporaries(const std::string& dir) {
    auto names = Listing(dir);
    return std::count_if(names.begin(), names.end(),
                         [](const std::string& n) { return n.find(".tmp.") != std::string::npos; });
}

// A pid no process has: a child that has ended and been waited for.
pid_t DeadPid() {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

int32_t NumberOf(const CSettings& s, const std::string& name) {
    for (const auto& v : CSettings::SaveOrder())
        if (v.name == name) return s.*std::get<int32_t CSettings::*>(v.field);
    ADD_FAILURE() << name;
    return -1;
}

TEST(SettingsFile, NamesWithLineBreaksAreRefusedAndNothingIsLost) {
    TempDir dir;
    CPosixFileRegistry reg(dir.Path() + "/orvanta");
    std::unique_ptr<IRegistryKey> key;
    ASSERT_EQ(reg.CreateKey(RegRoot::CurrentUser, kKey, "", key), RegError::Success);
    ASSERT_EQ(key->SetValue("Kept", RegValue::Text("yes")), RegError::Success);
    const std::string file = reg.FilePath(RegRoot::CurrentUser);
    const std::string before = ReadFile(file);

    for (const char* bad : {"two\nlines", "carriage\rreturn", "trailing\n"})
        EXPECT_EQ(key->SetValue(bad, RegValue::Text("x")), RegError::InvalidParameter) << bad;
    std::unique_ptr<IRegistryKey> badKey;
    EXPECT_EQ(reg.CreateKey(RegRoot::CurrentUser, std::string(kKey) + "\\a\nb", "", badKey),
              RegError::InvalidParameter);
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_EQ(Listing(dir.Path() + "/orvanta"),
              (std::vector<std::string>{"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock"}));

    // Text that merely looks like the start of a continued hex list reads back as it was.
    ASSERT_EQ(key->SetValue("a=hex", RegValue::Text("=hex:00\\")), RegError::Success);
    ASSERT_EQ(key->SetValue("Next", RegValue::Number(7)), RegError::Success);
    CPosixFileRegistry other(dir.Path() + "/orvanta");
    CRegistry r(&other);
    ASSERT_TRUE(r.Open(RegRoot::CurrentUser, kKey));
    std::string text;
    EXPECT_TRUE(r.ReadText("a=hex", text));
    EXPECT_EQ(text, "=hex:00\\");
    int32_t n = 0;
    EXPECT_TRUE(r.ReadNumber("Next", n));
    EXPECT_EQ(n, 7);
    EXPECT_TRUE(r.ReadText("Kept", text));
    EXPECT_EQ(text, "yes");
}

TEST(SettingsFile, TemporariesOfDeadWritersGoWhenTheLockIsTaken) {
    TempDir dir;
    const std::string folder = dir.Path() + "/orvanta";
    CPosixFileRegistry reg(folder);
    std::unique_ptr<IRegistryKey> key;
    ASSERT_EQ(reg.CreateKey(RegRoot::CurrentUser, kKey, "", key), RegError::Success);

    const std::string dead = folder + "/HKEY_CURRENT_USER.reg.tmp." + std::to_string(DeadPid());
    const std::string deadOther = folder + "/HKEY_LOCAL_MACHINE.reg.tmp." + std::to_string(DeadPid());
    const std::string alive = folder + "/HKEY_CURRENT_USER.reg.tmp." + std::to_string(::getppid());
    const std::string unrelated = folder + "/notes.tmp.1";
    for (const auto& f : {dead, deadOther, alive, unrelated}) WriteFile(f, "partial");

    ASSERT_EQ(key->SetValue("Refresh", RegValue::Number(20)), RegError::Success);
    EXPECT_FALSE(Exists(dead));
    EXPECT_FALSE(Exists(deadOther));
    EXPECT_TRUE(Exists(alive)); // a writer that is still running keeps its file
    EXPECT_TRUE(Exists(unrelated));
}

TEST(SettingsFile, SeveralValuesAreWrittenInOneRewriteOrNotAtAll) {
    TempDir dir;
    CPosixFileRegistry reg(dir.Path() + "/orvanta");
    std::unique_ptr<IRegistryKey> key;
    ASSERT_EQ(reg.CreateKey(RegRoot::CurrentUser, kKey, "", key), RegError::Success);
    const std::string file = reg.FilePath(RegRoot::CurrentUser);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    const ino_t first = st.st_ino;

    EXPECT_EQ(key->SetValues({{"A", RegValue::Number(1)}, {"B", RegValue::Text("two")}, {"bad\n", RegValue::Number(3)}}),
              RegError::InvalidParameter);
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_ino, first); // not rewritten
    RegValue v;
    EXPECT_EQ(key->QueryValue("A", v), RegError::FileNotFound);

    ASSERT_EQ(key->SetValues({{"A", RegValue::Number(1)}, {"B", RegValue::Text("two")}}), RegError::Success);
    CPosixFileRegistry other(dir.Path() + "/orvanta");
    CRegistry r(&other);
    ASSERT_TRUE(r.Open(RegRoot::CurrentUser, kKey));
    int32_t a = 0;
    std::string b;
    EXPECT_TRUE(r.ReadNumber("A", a));
    EXPECT_TRUE(r.ReadText("B", b));
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, "two");

    // A key opened for reading refuses the batch as it refuses single writes.
    std::unique_ptr<IRegistryKey> readOnly;
    ASSERT_EQ(reg.OpenKey(RegRoot::CurrentUser, kKey, RegAccess::Read, readOnly), RegError::Success);
    EXPECT_EQ(readOnly->SetValues({{"A", RegValue::Number(9)}}), RegError::AccessDenied);
}

// A folder where the settings file should be is not damage: it is reported with the
// system's reason, kept, and never written over; the defaults are used.
TEST(SettingsFile, UnreadableFileIsReportedWithItsReasonAndLeftAlone) {
    TempDir dir;
    const std::string folder = dir.Path() + "/orvanta";
    ASSERT_TRUE(::mkdir(folder.c_str(), 0700) == 0);
    CPosixFileRegistry reg(folder);
    const std::string file = reg.FilePath(RegRoot::CurrentUser);
    ASSERT_EQ(::mkdir(file.c_str(), 0700), 0);
    WriteFile(file + "/inside", "mine");

    testing::internal::CaptureStderr();
    std::unique_ptr<IRegistryKey> key;
    long opened = reg.OpenKey(RegRoot::CurrentUser, kKey, RegAccess::Read, key);
    long created = reg.CreateKey(RegRoot::CurrentUser, kKey, "", key);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(opened, RegError::FileNotFound);
    EXPECT_EQ(created, RegError::AccessDenied);
    EXPECT_NE(err.find(file), std::string::npos) << err;
    EXPECT_NE(err.find(std::strerror(EISDIR)), std::string::npos) << err;
    EXPECT_EQ(err.find("header"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err; // said once
    EXPECT_EQ(ReadFile(file + "/inside"), "mine");
    EXPECT_EQ(Listing(folder), (std::vector<std::string>{"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock"}));

    // The settings go on with their defaults.
    CSettings settings(kKey, &reg);
    testing::internal::CaptureStderr();
    settings.Load();
    settings.Save();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(NumberOf(settings, "Transparency"), 30);
    EXPECT_EQ(ReadFile(file + "/inside"), "mine");
}

TEST(SettingsFile, FolderThatCannotBeWrittenIsReportedOnce) {
    TempDir dir;
    const std::string folder = dir.Path() + "/orvanta";
    WriteFile(folder, "a file where the folder should be");
    CPosixFileRegistry reg(folder);
    testing::internal::CaptureStderr();
    std::unique_ptr<IRegistryKey> key;
    long first = reg.CreateKey(RegRoot::CurrentUser, kKey, "", key);
    long second = reg.CreateKey(RegRoot::CurrentUser, kKey, "", key);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(first, RegError::AccessDenied);
    EXPECT_EQ(second, RegError::AccessDenied);
    EXPECT_NE(err.find("settings folder " + folder), std::string::npos) << err;
    EXPECT_NE(err.find(std::strerror(ENOTDIR)), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(ReadFile(folder), "a file where the folder should be");
}

TEST(SettingsFile, WithoutHomeInTheEnvironmentThePasswordDatabaseGivesIt) {
    std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    std::string savedXdg = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    ::unsetenv("HOME");
    ::unsetenv("XDG_CONFIG_HOME");
    std::string withoutHome = CPosixFileRegistry::DefaultDirectory();
    ::setenv("HOME", "relative/home", 1); // not a home either
    std::string relativeHome = CPosixFileRegistry::DefaultDirectory();
    ::setenv("HOME", "/somewhere", 1);
    std::string withHome = CPosixFileRegistry::DefaultDirectory();
    if (!savedHome.empty()) ::setenv("HOME", savedHome.c_str(), 1); else ::unsetenv("HOME");
    if (!savedXdg.empty()) ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);

    const passwd* pw = ::getpwuid(::getuid());
    ASSERT_TRUE(pw && pw->pw_dir);
    EXPECT_EQ(withoutHome, std::string(pw->pw_dir) + "/.config/orvanta");
    EXPECT_EQ(relativeHome, withoutHome);
    EXPECT_EQ(withHome, "/somewhere/.config/orvanta");
}

// A lock that cannot be made is a failure, not another running copy.
TEST(LockFolder, ALockThatCannotBeMadeFailsAndSaysWhere) {
    TempDir dir;
    MutexOutcome o = MutexOutcome::Created;
    const std::string file = dir.Path() + "/file";
    WriteFile(file, "x");
    for (const std::string& folder : {file, file + "/below"}) {
        testing::internal::CaptureStderr();
        EXPECT_FALSE(CPosixMutexPort(folder).Create("OrvantaOutlookMutex", o));
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(o, MutexOutcome::Failed) << folder;
        EXPECT_NE(err.find(folder), std::string::npos) << err;
    }

    // Missing parents are made.
    const std::string deep = dir.Path() + "/missing/parents/run";
    EXPECT_TRUE(CPosixMutexPort(deep).Create("OrvantaOutlookMutex", o));
    EXPECT_EQ(o, MutexOutcome::Created);

    // A read-only folder: only a user other than root is kept out of it.
    const std::string readOnly = dir.Path() + "/readonly";
    ASSERT_EQ(::mkdir(readOnly.c_str(), 0500), 0);
    pid_t child = ::fork();
    if (child == 0) {
        if (::getuid() == 0 && (::chown(dir.Path().c_str(), 65534, 65534) != 0 ||
                                ::chown(readOnly.c_str(), 65534, 65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        MutexOutcome out = MutexOutcome::Created;
        int fd = ::open("/dev/null", O_WRONLY);
        ::dup2(fd, 2);
        auto m = CPosixMutexPort(readOnly).Create("OrvantaOutlookMutex", out);
        ::_exit(!m && out == MutexOutcome::Failed ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// --- the settings save under crashes and concurrent use ---

// Every persisted value set from one number, so that two sets differ in every value.
void FillSet(CSettings& s, int set) {
    for (const auto& v : CSettings::SaveOrder()) {
        if (auto t = std::get_if<std::string CSettings::*>(&v.field)) s.*(*t) = "set " + std::to_string(set);
        if (auto n = std::get_if<int32_t CSettings::*>(&v.field)) s.*(*n) = 40 + set;
        if (auto b = std::get_if<bool CSettings::*>(&v.field)) s.*(*b) = set % 2 == 0;
    }
}

using Snapshot = std::map<std::string, std::vector<uint8_t>>;

// The program's key as the file holds it; fails the test when the file does not parse.
Snapshot Read(const std::string& file) {
    CRegistryTree tree("HKEY_CURRENT_USER");
    std::string error;
    EXPECT_TRUE(tree.Parse(ReadFile(file), error)) << error;
    Snapshot s;
    for (const auto& [name, value] : tree.Values(kKey)) s[name] = value.data;
    return s;
}

Snapshot Expected(int set) {
    TempDir dir;
    CPosixFileRegistry reg(dir.Path());
    CSettings s(kKey, &reg);
    FillSet(s, set);
    s.Save();
    return Read(reg.FilePath(RegRoot::CurrentUser));
}

// A child that saves set a, then b, then a ... until it is killed.
pid_t StartSaving(const std::string& folder, int a, int b) {
    pid_t pid = ::fork();
    if (pid == 0) {
        CPosixFileRegistry reg(folder);
        CSettings s(kKey, &reg);
        for (int i = 0;; ++i) {
            FillSet(s, i % 2 ? b : a);
            s.Save();
        }
    }
    return pid;
}

TEST(SettingsSave, KilledAtRandomMomentsLeavesTheOldOrTheNewSettingsWhole) {
    TempDir dir;
    const std::string folder = dir.Path() + "/orvanta";
    const Snapshot setA = Expected(0), setB = Expected(1);
    ASSERT_NE(setA, setB);
    ASSERT_EQ(setA.size(), setB.size());
    {
        CPosixFileRegistry reg(folder);
        CSettings s(kKey, &reg);
        FillSet(s, 0);
        s.Save();
    }
    const std::string file = folder + "/HKEY_CURRENT_USER.reg";
    std::mt19937 random(20261208);
    int sawA = 0, sawB = 0, leftTemporaries = 0;
    int window = 8000; // microseconds
    for (int kill = 0; kill < 220; ++kill) {
        // A busy machine may not bring the writer to its second save within the window:
        // it widens until both sets have been seen.
        if (kill % 20 == 19 && (sawA == 0 || sawB == 0) && window < 512000) window *= 2;
        pid_t child = StartSaving(folder, 0, 1);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, window)(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        Snapshot now = Read(file);
        if (now == setA)
            ++sawA;
        else if (now == setB)
            ++sawB;
        else
            ADD_FAILURE() << "after kill " << kill << " the file holds a mixture";
        leftTemporaries += Temporaries(folder) > 0;
        if (testing::Test::HasFailure()) break;
    }
    // Both sets were seen, and the kills really came in the middle of writes.
    EXPECT_GT(sawA, 0);
    EXPECT_GT(sawB, 0);
    EXPECT_GT(leftTemporaries, 0);

    // The next start takes the lock and clears what the killed writers left.
    CPosixFileRegistry reg(folder);
    CSettings next(kKey, &reg);
    testing::internal::CaptureStderr();
    next.Open();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(Temporaries(folder), 0u);
    EXPECT_FALSE(Exists(file + ".damaged"));
}

TEST(SettingsSave, TwoProgramsSavingAtOnceLeaveOneProgramsSettingsWhole) {
    TempDir dir;
    const std::string folder = dir.Path() + "/orvanta";
    const Snapshot setA = Expected(2), setB = Expected(3);
    const std::string file = folder + "/HKEY_CURRENT_USER.reg";
    {
        CPosixFileRegistry reg(folder);
        CSettings s(kKey, &reg);
        FillSet(s, 2);
        s.Save();
    }
    for (int round = 0; round < 20; ++round) {
        pid_t one = StartSaving(folder, 2, 2);
        pid_t two = StartSaving(folder, 3, 3);
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + round));
        ::kill(one, SIGSTOP);
        ::kill(two, SIGSTOP);
        // Stopped writers may hold the lock; what the file holds is settled already.
        Snapshot now = Read(file);
        EXPECT_TRUE(now == setA || now == setB) << "round " << round;
        for (pid_t p : {one, two}) {
            ::kill(p, SIGKILL);
            ::waitpid(p, nullptr, 0);
        }
        if (testing::Test::HasFailure()) break;
    }
}

// A first start that ended before its save left only some values: the next start
// finds them missing and writes all of them.
TEST(SettingsSave, AStartThatFindsValuesMissingWritesThem) {
    TempDir dir;
    CPosixFileRegistry reg(dir.Path() + "/orvanta");
    std::unique_ptr<IRegistryKey> key;
    ASSERT_EQ(reg.CreateKey(RegRoot::CurrentUser, kKey, "", key), RegError::Success);
    ASSERT_EQ(key->SetValue("Transparency", RegValue::Number(55)), RegError::Success);
    ASSERT_EQ(key->SetValue("Refresh", RegValue::Number(20)), RegError::Success);

    CSettings s(kKey, &reg);
    s.Open();
    EXPECT_FALSE(s.CreatedKey());
    Snapshot now = Read(reg.FilePath(RegRoot::CurrentUser));
    for (const auto& v : CSettings::SaveOrder()) EXPECT_EQ(now.count(v.name), 1u) << v.name;
    EXPECT_EQ(now["Transparency"], RegValue::Number(55).data); // what was there is kept
}

// Counts the rewrites of the files in a folder as the system sees them: every rewrite
// is a finished temporary renamed onto the file. The closes are watched too, though
// not counted: the system folds an event into an identical one still unread, and a
// close (of the temporary, of the lock) comes between two renames.
class RewriteCounter {
public:
    explicit RewriteCounter(const std::string& folder) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (m_fd >= 0 && ::inotify_add_watch(m_fd, folder.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~RewriteCounter() {
        if (m_fd >= 0) ::close(m_fd);
    }
    RewriteCounter(const RewriteCounter&) = delete;
    RewriteCounter& operator=(const RewriteCounter&) = delete;
    bool Watching() const { return m_fd >= 0; }
    // Rewrites of the named file since the last call.
    int Take(const std::string& name) {
        int n = 0;
        alignas(inotify_event) char buf[8192];
        for (ssize_t got; (got = ::read(m_fd, buf, sizeof buf)) > 0;)
            for (char* p = buf; p < buf + got;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                if ((e->mask & IN_MOVED_TO) && e->len > 0 && name == e->name) ++n;
                p += sizeof(inotify_event) + e->len;
            }
        return n;
    }

private:
    int m_fd;
};

// The running program's refresh tick with nothing changed, on the real settings file
// and the sample store: the wallpaper checks (the timer's and the tick's), the capture
// and the settings read again by the data load, the store read and the signature. Not
// one of them writes the file; a save that changes a value writes it once, and saving
// the same values again writes nothing.
TEST(SettingsSave, ARefreshTickWithNothingChangedWritesNothing) {
    TempDir dir;
    const std::string folder = dir.Path() + "/orvanta";
    CPosixFileRegistry registry(folder);
    ScopedPort<IRegistryPort> withRegistry(registry);
    StorePort outlook;
    ScopedPort<IAutomationPort> withOutlook(outlook);
    const COleDateTime now(2026, 12, 7, 10, 0, 0);
    std::string error;
    outlook.store = CSubstituteOutlook::LoadFile(ORVANTA_SOURCE_DIR "/examples/sample-store.json",
                                                 std::floor(now.m_dt), error);
    ASSERT_TRUE(outlook.store) << error;

    CSettings settings(kKey);
    settings.Open();
    CActiveWallpaper wallpaper(settings);
    COrvantaDoc doc(settings);
    const std::string output = dir.Path() + "/orvanta.bmp";
    doc.m_clock = [now] { return now; };
    doc.m_beforeRead = [&] { return wallpaper.Capture(output); };
    ASSERT_TRUE(doc.Engine().EnsureConnected());
    doc.RefreshAndCompare();
    // Our picture is the wallpaper, as after the program's first tick.
    std::unique_ptr<IRegistryKey> desktop;
    ASSERT_EQ(registry.CreateKey(RegRoot::CurrentUser, CActiveWallpaper::kDesktopKey, "", desktop), 0);
    ASSERT_EQ(desktop->SetValue("Wallpaper", RegValue::Text(output)), 0);
    doc.RefreshAndCompare();

    RewriteCounter rewrites(folder);
    ASSERT_TRUE(rewrites.Watching());
    const std::string file = CMemoryRegistry::RootName(RegRoot::CurrentUser) + std::string(".reg");
    constexpr int kTicks = 10;
    int changed = 0;
    for (int tick = 0; tick < kTicks; ++tick) {
        changed += wallpaper.AdoptChanged(CActiveWallpaper::Check::Timer);
        changed += wallpaper.AdoptChanged(CActiveWallpaper::Check::RefreshTick);
        changed += doc.RefreshAndCompare();
    }
    ASSERT_EQ(changed, 0) << "the data or the wallpaper changed between ticks";
    EXPECT_EQ(rewrites.Take(file), 0) << "rewrites of the settings file over " << kTicks << " ticks";

    settings.m_transparency = settings.m_transparency == 55 ? 56 : 55;
    settings.Save();
    EXPECT_EQ(rewrites.Take(file), 1) << "a changed value";
    settings.Save();
    EXPECT_EQ(rewrites.Take(file), 0) << "the same values saved again";
    CSettings stored(kKey);
    stored.Load();
    EXPECT_EQ(stored.m_transparency, settings.m_transparency);
}

} // namespace
