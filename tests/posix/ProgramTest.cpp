// Starts the real Linux program with private XDG folders and checks what it did.
#include <gtest/gtest.h>

#include <elf.h>
#include <sys/file.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>

#include "PosixTestUtil.h"

namespace {

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        config = dir.Path() + "/config";
        data = dir.Path() + "/data";
        run = dir.Path() + "/run";
        ::mkdir(run.c_str(), 0700);
        env = {{"XDG_CONFIG_HOME", config}, {"XDG_DATA_HOME", data}, {"XDG_RUNTIME_DIR", run},
               {"ORVANTA_SCREEN", "1600x900"},
               // The program sets the wallpaper once it has drawn it: never the
               // desktop of whoever runs the tests.
               {"ORVANTA_WALLPAPER_COMMAND", "true"}};
    }
    std::string RegFile() const { return config + "/orvanta/HKEY_CURRENT_USER.reg"; }
    std::string Err(int n) const { return dir.Path() + "/stderr" + std::to_string(n); }

    TempDir dir;
    std::string config, data, run;
    std::map<std::string, std::string> env;
};

TEST_F(Program, FirstStartWritesSettingsAndStopsOnSignals) {
    {
        ChildProgram p(ORVANTA_PROGRAM, env, Err(1));
        ASSERT_TRUE(p.WaitReady()) << ReadFile(Err(1));
        std::string reg = ReadFile(RegFile());
        EXPECT_NE(reg.find("[HKEY_CURRENT_USER\\Software\\Kestrova\\Orvanta for Outlook\\3.5]\n"
                           "\"Refresh\"=dword:00000014\n"),
                  std::string::npos)
            << reg;
        EXPECT_NE(reg.find("\"SideBar Width\"=dword:00000140\n"), std::string::npos); // 1600 * 20 %
        EXPECT_NE(reg.find("\"Hide Data\"=\"FALSE\"\n"), std::string::npos);
        EXPECT_NE(reg.find("\"SideBarCalPosY\"=\"516\"\n"), std::string::npos);
        EXPECT_NE(reg.find("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
                           "\"Orvanta for Outlook\"=\"" ORVANTA_PROGRAM "\""),
                  std::string::npos);
        EXPECT_TRUE(Exists(data + "/Kestrova/Orvanta for Outlook"));
        ::kill(p.Pid(), SIGTERM);
        EXPECT_EQ(p.WaitExit(), 0);
        EXPECT_EQ(ReadFile(Err(1)), "");
    }
    ChildProgram again(ORVANTA_PROGRAM, env, Err(2));
    ASSERT_TRUE(again.WaitReady()) << ReadFile(Err(2));
    ::kill(again.Pid(), SIGINT);
    EXPECT_EQ(again.WaitExit(), 0);
}

TEST_F(Program, SecondCopySaysItIsAlreadyActive) {
    ChildProgram first(ORVANTA_PROGRAM, env, Err(1));
    ASSERT_TRUE(first.WaitReady());
    ChildProgram second(ORVANTA_PROGRAM, env, Err(2));
    EXPECT_EQ(second.WaitExit(), 1);
    EXPECT_EQ(ReadFile(Err(2)), "Orvanta for Outlook: Orvanta for Outlook is already active\n");
    EXPECT_FALSE(first.Finished(0));
    ::kill(first.Pid(), SIGTERM);
    EXPECT_EQ(first.WaitExit(), 0);
}

// A lock folder that cannot be used is a failed start that says why, never "already active".
TEST_F(Program, ALockFolderThatCannotBeUsedFailsTheStartAndSaysWhy) {
    const std::string file = dir.Path() + "/not-a-folder";
    WriteFile(file, "x");
    for (const std::string& bad : {file, file + "/run"}) {
        env["XDG_RUNTIME_DIR"] = bad;
        ChildProgram p(ORVANTA_PROGRAM, env, Err(1));
        EXPECT_EQ(p.WaitExit(), 1) << bad;
        std::string err = ReadFile(Err(1));
        EXPECT_NE(err.find("lock folder " + bad), std::string::npos) << err;
        EXPECT_NE(err.find("cannot start"), std::string::npos) << err;
        EXPECT_EQ(err.find("already active"), std::string::npos) << err;
        EXPECT_FALSE(Exists(RegFile())); // it stopped before touching the settings
    }
}

TEST_F(Program, RunningSiblingIsNamedFirstRowFirst) {
    int corvinel = ::open((run + "/CorvinelMutex.lock").c_str(), O_RDWR | O_CREAT, 0600);
    int lotus = ::open((run + "/OrvantaLotusMutex.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(corvinel, LOCK_EX), 0);
    ASSERT_EQ(::flock(lotus, LOCK_EX), 0);
    {
        ChildProgram p(ORVANTA_PROGRAM, env, Err(1));
        EXPECT_EQ(p.WaitExit(), 1);
        std::string err = ReadFile(Err(1));
        EXPECT_NE(err.find("Orvanta for Outlook: Orvanta for Outlook can not start because Corvinel is already "
                           "running. You first have to exit Corvinel and then start Orvanta for Outlook again.\n"),
                  std::string::npos)
            << err;
        EXPECT_NE(err.find("\"launch on startup\""), std::string::npos);
        EXPECT_EQ(err.find("Lotus"), std::string::npos);
    }
    ::close(corvinel);
    ::close(lotus);
    ChildProgram p(ORVANTA_PROGRAM, env, Err(2));
    ASSERT_TRUE(p.WaitReady()) << ReadFile(Err(2));
    ::kill(p.Pid(), SIGTERM);
    EXPECT_EQ(p.WaitExit(), 0);
}

TEST_F(Program, DamagedSettingsFileIsKeptAndDefaultsUsed) {
    ::mkdir(config.c_str(), 0700);
    ::mkdir((config + "/orvanta").c_str(), 0700);
    const std::string garbled = "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\n\"x\"=\x01\x02";
    WriteFile(RegFile(), garbled);
    ChildProgram p(ORVANTA_PROGRAM, env, Err(1));
    ASSERT_TRUE(p.WaitReady()) << ReadFile(Err(1));
    std::string err = ReadFile(Err(1));
    EXPECT_NE(err.find("orvanta: the settings file " + RegFile() + " is damaged (line 2: "), std::string::npos)
        << err;
    EXPECT_EQ(ReadFile(RegFile() + ".damaged"), garbled);
    EXPECT_NE(ReadFile(RegFile()).find("\"Refresh\"=dword:00000014"), std::string::npos);
    ::kill(p.Pid(), SIGTERM);
    EXPECT_EQ(p.WaitExit(), 0);
}

TEST_F(Program, BadStoredValuesAreMendedOnSave) {
    ::mkdir(config.c_str(), 0700);
    ::mkdir((config + "/orvanta").c_str(), 0700);
    WriteFile(RegFile(),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software\\Kestrova\\Orvanta for Outlook\\3.5]\n"
              "\"SideBarStyle\"=\"7\"\n\"SideBar Width\"=dword:00000384\n\"Refresh\"=dword:00000000\n"
              "\"Transparency\"=\"abc\"\n\"Wallpaper\"=dword:00000001\n");
    ChildProgram p(ORVANTA_PROGRAM, env, Err(1));
    ASSERT_TRUE(p.WaitReady()) << ReadFile(Err(1));
    EXPECT_NE(ReadFile(RegFile()).find("\"Refresh\"=dword:00000014"), std::string::npos);
    ::kill(p.Pid(), SIGTERM);
    EXPECT_EQ(p.WaitExit(), 0);
    std::string reg = ReadFile(RegFile());
    EXPECT_NE(reg.find("\"SideBarStyle\"=\"1\""), std::string::npos) << reg;
    EXPECT_NE(reg.find("\"SideBar Width\"=dword:00000190"), std::string::npos) << reg;
    EXPECT_NE(reg.find("\"Transparency\"=dword:0000001e"), std::string::npos) << reg;
    EXPECT_NE(reg.find("\"Wallpaper\"=\"\""), std::string::npos) << reg;
    EXPECT_EQ(ReadFile(Err(1)), "");
}
} // namespace

namespace {

// Runs the program with the arguments; its standard output is the result.
std::string RunCommand(const std::map<std::string, std::string>& env, const std::string& errPath, int& rc,
                       const std::vector<std::string>& args) {
    const std::string outPath = errPath + ".out";
    rc = RunToEnd(ORVANTA_PROGRAM, env, args, outPath, errPath);
    return ReadFile(outPath);
}

std::string RunAgenda(const std::map<std::string, std::string>& env, const std::string& errPath, int& rc) {
    return RunCommand(env, errPath, rc, {"agenda"});
}

// Every line: kind, rectangle, tooltip, and what a click does.
TEST_F(Program, RegionsListsEveryClickableSpotOfThePicture) {
    env["LANG"] = env["LC_ALL"] = "en_US.UTF-8";
    int rc = -1;
    const std::string out = RunCommand(env, Err(1), rc, {"regions"});
    ASSERT_EQ(rc, 0) << ReadFile(Err(1));
    std::map<std::string, int> kinds;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string kind, rect;
        fields >> kind >> rect;
        ++kinds[kind];
        int l = 0, t = 0, r = 0, b = 0;
        ASSERT_EQ(std::sscanf(rect.c_str(), "%d,%d-%d,%d", &l, &t, &r, &b), 4) << line;
        EXPECT_TRUE(l < r && t < b && r <= 1600 && b <= 900) << line; // on the 1600x900 screen
        EXPECT_NE(line.find(" \"Double click to open "), std::string::npos) << line;
        EXPECT_NE(line.find("\" -> "), std::string::npos) << line;
    }
    // The sample week: its folders, its tasks, its days' appointments, this month's 31
    // days and the small months' days, the header's two buttons and three strips.
    EXPECT_EQ(kinds["folder"], 3);
    EXPECT_GE(kinds["task"], 5);
    EXPECT_GE(kinds["appointment"], 10);
    EXPECT_GE(kinds["day"], 31 + 2 * 35);
    EXPECT_EQ(kinds["header"], 5);
    EXPECT_NE(out.find("\" -> open folder "), std::string::npos);
    EXPECT_NE(out.find("\"Double click to open Outlook\" -> start Outlook"), std::string::npos) << out;

    const std::string popup = RunCommand(env, Err(2), rc, {"regions", "--popup"});
    ASSERT_EQ(rc, 0) << ReadFile(Err(2));
    EXPECT_EQ(popup.find("Double click"), std::string::npos); // one click opens in the pop-up
    EXPECT_NE(popup.find("header 0,0-120,32 \"Click to open Outlook\""), std::string::npos) << popup;
    EXPECT_EQ(RunCommand(env, Err(3), rc, {"regions", "--everything"}), "");
    EXPECT_EQ(rc, 2);

    // Without a display and without ORVANTA_SCREEN the size is assumed, and said.
    env["ORVANTA_SCREEN"] = env["DISPLAY"] = "";
    const std::string assumed = RunCommand(env, Err(4), rc, {"regions"});
    ASSERT_EQ(rc, 0) << ReadFile(Err(4));
    EXPECT_NE(ReadFile(Err(4)).find("there is no display to ask for the monitors (DISPLAY is not set); the screen is "
                                    "taken to be 1920 x 1080 pixels"),
              std::string::npos)
        << ReadFile(Err(4));
    // The column at the right edge of the 1920 pixels assumed, no longer of the 1600.
    int rightmost = 0;
    std::istringstream assumedLines(assumed);
    for (std::string line; std::getline(assumedLines, line);) {
        int l = 0, t = 0, r = 0, b = 0;
        if (std::sscanf(line.c_str(), "%*s %d,%d-%d,%d", &l, &t, &r, &b) == 4) rightmost = std::max(rightmost, r);
    }
    EXPECT_GT(rightmost, 1600) << assumed;
    EXPECT_LE(rightmost, 1920) << assumed;
}

TEST_F(Program, AgendaPrintsTheSampleWeekAndItsSignature) {
    env["LANG"] = "en_US.UTF-8";
    env["LC_ALL"] = "en_US.UTF-8";
    int rc = -1;
    std::string out = RunAgenda(env, Err(1), rc);
    EXPECT_EQ(rc, 0) << ReadFile(Err(1));
    EXPECT_NE(out.find("Team stand-up"), std::string::npos) << out;
    EXPECT_NE(out.find("Conference trip to Lyon"), std::string::npos);
    EXPECT_NE(out.find("Tasks\n"), std::string::npos);
    EXPECT_NE(out.find("Folders\n  Inbox  7\n  Drafts  2\n  Outbox  1\n"), std::string::npos) << out;
    std::string last = out.substr(out.rfind("signature"));
    ASSERT_EQ(last.size(), std::string("signature CRC-32: 0x12345678\n").size()) << last;
    EXPECT_EQ(last.rfind("signature CRC-32: 0x", 0), 0u);
    int rc2 = -1;
    EXPECT_EQ(RunAgenda(env, Err(2), rc2).substr(out.rfind("signature")), last); // same data, same CRC
}

// `agenda --source` reads only the calendar files named (a file and a folder), for the
// days --from and --days choose, in the user's zone (TZ); a folder's broken file is
// named once on standard error; the options are checked.
TEST_F(Program, AgendaReadsTheCalendarSourcesNamedForTheDaysAsked) {
    env["LANG"] = env["LC_ALL"] = "en_US.UTF-8";
    env["TZ"] = "Europe/Berlin";
    const std::string folder = dir.Path() + "/vdir";
    ::mkdir(folder.c_str(), 0700);
    ::mkdir((folder + "/work").c_str(), 0700);
    WriteFile(folder + "/work/review.ics", ReadFile(ORVANTA_SOURCE_DIR "/tests/fixtures/ics/tasks.ics"));
    WriteFile(folder + "/work/broken.ics", "BEGIN:VEVENT\r\n");
    WriteFile(folder + "/work/draft.ics.tmp", "BEGIN:VCALENDAR\r\n");
    int rc = -1;
    const std::string out = RunCommand(env, Err(1), rc,
                                       {"agenda", "--from", "2026-03-09", "--days", "3", "--source",
                                        ORVANTA_SOURCE_DIR "/tests/fixtures/ics/outlook-exchange.ics", "--source", folder});
    EXPECT_EQ(rc, 0) << ReadFile(Err(1));
    const std::string expected = "Monday, March 9 2026\n"
                                 "  multi-day  Company offsite\n"
                                 "  09:00am - 09:15am  Team stand-up  [recurring]\n"
                                 "Tuesday, March 10 2026\n"
                                 "  (no appointments)\n"
                                 "Wednesday, March 11 2026\n"
                                 "  02:00pm - 02:15pm  Team stand-up (moved)  [recurring]\n"
                                 "Tasks\n";
    EXPECT_EQ(out.substr(0, expected.size()), expected) << out;
    EXPECT_NE(out.find("Overdue report  (due "), std::string::npos) << out;
    EXPECT_EQ(out.find("Sample"), std::string::npos) << out; // not the sample store
    const std::string err = ReadFile(Err(1));
    EXPECT_EQ(err, "orvanta: The calendar file " + folder + "/work/broken.ics could not be read whole: it is not an "
                   "iCalendar file (no BEGIN:VCALENDAR).\n");
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"agenda", "--days", "8"}, {"agenda", "--from", "2026-02-30"}, {"agenda", "--source"}, {"agenda", "--x", "1"}}) {
        int badRc = -1;
        RunCommand(env, Err(2), badRc, bad);
        EXPECT_EQ(badRc, 2) << bad[1];
        EXPECT_EQ(ReadFile(Err(2)).rfind("orvanta: agenda: ", 0), 0u) << ReadFile(Err(2));
    }
}

TEST_F(Program, AgendaWithADamagedStoreSaysWhereAndFails) {
    const std::string store = dir.Path() + "/store.json";
    WriteFile(store, R"({"folders": [{"name": "Calendar", "role": "calendar",
                          "appointments": [{"subject": "x", "start": "2026-13-01"}]}]})");
    env["ORVANTA_STORE"] = store;
    int rc = -1;
    std::string out = RunAgenda(env, Err(1), rc);
    EXPECT_EQ(rc, 1);
    std::string err = ReadFile(Err(1));
    EXPECT_EQ(err, "Orvanta: The Outlook store file could not be read: " + store +
                       ": /folders/0/appointments/0/start: no such day: \"2026-13-01\".\nIt was looked for at " + store +
                       " because ORVANTA_STORE names it.\n");
    EXPECT_NE(out.find("signature CRC-32: 0x"), std::string::npos);
}

TEST_F(Program, AgendaWithoutAReachableStoreSaysSoOnceAndShowsRealDays) {
    env["LANG"] = "en_US.UTF-8";
    env["LC_ALL"] = "en_US.UTF-8";
    env["ORVANTA_STORE"] = dir.Path() + "/no-such-store.json";
    int rc = -1;
    std::string out = RunAgenda(env, Err(1), rc);
    EXPECT_EQ(rc, 1);
    // One message, none per day: what could not be read and where it was looked for,
    // never the result code of an automation call.
    const std::string store = env["ORVANTA_STORE"];
    EXPECT_EQ(ReadFile(Err(1)), "Orvanta: The Outlook store file could not be read: " + store +
                                    ": cannot be read (No such file or directory).\nIt was looked for at " + store +
                                    " because ORVANTA_STORE names it.\n");
    EXPECT_NE(out.find("Nothing could be read from Outlook."), std::string::npos) << out;
    EXPECT_EQ(out.find("1899"), std::string::npos) << out;
    EXPECT_NE(out.find("(no appointments)"), std::string::npos) << out;
}

// Screens too large for one wallpaper: one message with the size and the limit, the
// previous wallpaper untouched.
TEST_F(Program, ScreensTooLargeForOneWallpaperAreSaidOnceAndThePreviousOneStays) {
    int rc = -1;
    const std::string written = RunCommand(env, Err(1), rc, {"compose"});
    ASSERT_EQ(rc, 0) << ReadFile(Err(1));
    const std::string output = written.substr(0, written.find('\n'));
    const std::string previous = ReadFile(output);
    ASSERT_FALSE(previous.empty()) << output;
    env["ORVANTA_SCREEN"] = "16384x4320";
    EXPECT_EQ(RunCommand(env, Err(2), rc, {"compose"}), "");
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(ReadFile(Err(2)), "Orvanta for Outlook: The screens together measure 16384 x 4320 pixels (70778880 pixels); "
                                "one wallpaper can have at most 67108864 pixels (64 megapixels). The wallpaper is not "
                                "made for these screens; the previous one stays.\n");
    EXPECT_EQ(ReadFile(output), previous);
}

// Only "run" (or nothing) starts the program; help is asked for or given on a
// mistake, and a mistyped command never starts a second daemon.
TEST_F(Program, CommandLineHelpAndUnknownCommands) {
    auto run = [&](const char* arg, std::string& out, std::string& err) {
        const int rc = RunToEnd(ORVANTA_PROGRAM, env, {arg}, Err(9) + ".out", Err(9));
        out = ReadFile(Err(9) + ".out");
        err = ReadFile(Err(9));
        return rc;
    };
    std::string out, err;
    for (const char* help : {"--help", "-h"}) {
        EXPECT_EQ(run(help, out, err), 0) << help;
        EXPECT_EQ(err, "");
        for (const char* command : {"  run ", "  agenda ", "  help "})
            EXPECT_NE(out.find(command), std::string::npos) << command << "\n" << out;
    }
    EXPECT_EQ(run("no-such-command", out, err), 2);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("unknown command \"no-such-command\""), std::string::npos) << err;
    EXPECT_NE(err.find("Usage: orvanta"), std::string::npos) << err;
    EXPECT_FALSE(Exists(RegFile())) << "a mistyped command must not start the program";
}
} // namespace

namespace {

// What a program given these pictures must do quickly; only guards a failing test.
constexpr int kPictureGuardMs = 5000;

// The user's wallpaper as the desktop has it, and as the program last captured it.
void SetPicture(const std::string& regFile, const std::string& picture, const char* style) {
    ::mkdir(regFile.substr(0, regFile.rfind("/orvanta/")).c_str(), 0700);
    ::mkdir(regFile.substr(0, regFile.rfind('/')).c_str(), 0700);
    const std::string value = "\"Wallpaper\"=\"" + picture + "\"\n";
    WriteFile(regFile, "Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n" + value + "\"WallpaperStyle\"=\"" + style +
                           "\"\n\"TileWallpaper\"=\"0\"\n\n"
                           "[HKEY_CURRENT_USER\\Software\\Kestrova\\Orvanta for Outlook\\3.5]\n" + value +
                           "\"WPStyle\"=\"" + style + "\"\n\n");
}

// Files that are no picture the program can take: each is refused at once with one
// message naming it, and the wallpaper is still drawn (in the desktop colour).
TEST_F(Program, PicturesThatAreNoRegularFileOrTooLargeAreRefusedAtOnce) {
    const std::string fifo = dir.Path() + "/fifo.jpg", link = dir.Path() + "/zero.jpg",
                      huge = dir.Path() + "/huge.bmp", folder = dir.Path() + "/folder.bmp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", link.c_str()), 0);
    WriteFile(huge, "BM");
    ASSERT_EQ(::truncate(huge.c_str(), 300LL << 20), 0); // sparse: no disk space taken
    ::mkdir(folder.c_str(), 0700);
    const std::string output = data + "/Kestrova/Orvanta for Outlook/orvanta.bmp";
    struct Case {
        std::string picture;
        const char* why;
    } cases[] = {
        {fifo, "is not a regular file"}, {"/dev/zero", "is not a regular file"}, {link, "is not a regular file"},
        {folder, "is not a regular file"}, {huge, "is larger than 256 MB"},
    };
    for (const Case& c : cases) {
        SetPicture(RegFile(), c.picture, "0");
        ::unlink(output.c_str());
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(RunToEnd(ORVANTA_PROGRAM, env, {"compose"}, Err(1) + ".out", Err(1), kPictureGuardMs), 0)
            << c.picture << "\n" << ReadFile(Err(1));
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        std::cout << "[ measured ] " << c.picture << " refused in " << ms << " ms\n";
        const std::string err = ReadFile(Err(1));
        EXPECT_EQ(err, "Orvanta for Outlook: The background picture \"" + c.picture + "\" " + c.why +
                           (c.picture == huge ? ", more than a picture can be" : " (a folder, device, pipe or socket)") +
                           "; the desktop colour is shown instead.\n")
            << c.picture;
        EXPECT_TRUE(Exists(output)) << c.picture;
    }
}

// The running copy with a FIFO as the user's picture: the picture is drawn, commands
// are answered and a stop signal is acted on.
TEST_F(Program, AFifoAsThePictureHoldsUpNeitherTheDaemonNorItsExit) {
    const std::string fifo = dir.Path() + "/fifo.jpg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    SetPicture(RegFile(), fifo, "2");
    const std::string output = data + "/Kestrova/Orvanta for Outlook/orvanta.bmp";
    ChildProgram p(ORVANTA_PROGRAM, env, Err(1));
    ASSERT_TRUE(p.WaitReady()) << ReadFile(Err(1));
    EXPECT_TRUE(WaitFor([&] { return Exists(output); }, kPictureGuardMs)) << ReadFile(Err(1));
    EXPECT_EQ(RunToEnd(ORVANTA_PROGRAM, env, {"refresh"}, "", Err(2), kPictureGuardMs), 0) << ReadFile(Err(2));
    ::kill(p.Pid(), SIGTERM);
    EXPECT_EQ(p.WaitExit(kPictureGuardMs), 0);
    EXPECT_NE(ReadFile(Err(1)).find("fifo.jpg\" is not a regular file"), std::string::npos) << ReadFile(Err(1));
}

// The read-only data of an ELF file (its string literals); empty when it has none.
std::string ReadOnlyData(const std::string& file) {
    const std::string elf = ReadFile(file);
    if (elf.size() < sizeof(Elf64_Ehdr) || elf.compare(0, 4, ELFMAG) != 0) return {};
    Elf64_Ehdr header;
    std::memcpy(&header, elf.data(), sizeof header);
    auto section = [&](size_t i) {
        Elf64_Shdr sh{};
        const size_t at = header.e_shoff + i * header.e_shentsize;
        if (at + sizeof sh <= elf.size()) std::memcpy(&sh, elf.data() + at, sizeof sh);
        return sh;
    };
    const Elf64_Shdr names = section(header.e_shstrndx);
    for (size_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr sh = section(i);
        if (names.sh_offset + sh.sh_name < elf.size() &&
            std::strcmp(elf.c_str() + names.sh_offset + sh.sh_name, ".rodata") == 0 &&
            sh.sh_offset + sh.sh_size <= elf.size())
            return elf.substr(sh.sh_offset, sh.sh_size);
    }
    return {};
}

// The shipped program carries no switch for the tests: every ORVANTA_ variable its
// texts name is one the README tells users about.
TEST(ProgramFile, ReadsOnlyTheVariablesTheReadmeNames) {
    const std::string texts = ReadOnlyData(ORVANTA_PROGRAM), readme = ReadFile(ORVANTA_SOURCE_DIR "/README.md");
    ASSERT_NE(texts.find("Orvanta for Outlook"), std::string::npos) << "no texts read from " ORVANTA_PROGRAM;
    auto inName = [](const std::string& text, size_t at) {
        const unsigned char c = at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
        return std::isupper(c) || std::isdigit(c) || c == '_';
    };
    // A whole name: not the tail of a longer one (such as a mutex's name).
    std::set<std::string> names;
    for (size_t at = texts.find("ORVANTA_"); at != std::string::npos; at = texts.find("ORVANTA_", at + 1)) {
        if (at > 0 && inName(texts, at - 1)) continue;
        size_t end = at + 8;
        while (inName(texts, end)) ++end;
        names.insert(texts.substr(at, end - at));
    }
    EXPECT_TRUE(names.count("ORVANTA_STORE")) << "not even ORVANTA_STORE, which the program reads";
    for (const std::string& name : names) {
        bool told = false;
        for (size_t at = readme.find("`" + name); at != std::string::npos && !told; at = readme.find("`" + name, at + 1))
            told = !inName(readme, at + 1 + name.size());
        EXPECT_TRUE(told) << name << " is read but not in the README";
    }
}
} // namespace
