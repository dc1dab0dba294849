// "orvanta sources" against the real settings file, without a running copy.
#include <gtest/gtest.h>

#include <ctime>

#include "PosixTestUtil.h"

namespace {

class SourcesCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ::mkdir((dir.Path() + "/run").c_str(), 0700);
        env = {{"XDG_CONFIG_HOME", dir.Path() + "/config"}, {"XDG_DATA_HOME", dir.Path() + "/data"},
               {"XDG_RUNTIME_DIR", dir.Path() + "/run"}, {"ORVANTA_SCREEN", "1280x1024"},
               {"ORVANTA_WALLPAPER_COMMAND", "true"}};
    }
    int Run(const std::vector<std::string>& args) {
        const std::string outPath = dir.Path() + "/out", errPath = dir.Path() + "/err";
        const int rc = RunToEnd(ORVANTA_PROGRAM, env, args, outPath, errPath);
        out = ReadFile(outPath);
        err = ReadFile(errPath);
        return rc;
    }
    std::string Reg() const { return ReadFile(dir.Path() + "/config/orvanta/HKEY_CURRENT_USER.reg"); }

    TempDir dir;
    std::map<std::string, std::string> env;
    std::string out, err;
};

// Each kind told from the argument, listed in order, removed by number with the rest
// renumbered; the feed's secret never printed.
TEST_F(SourcesCommand, AddListAndRemoveEveryKind) {
    const std::string d = dir.Path();
    ::mkdir((d + "/cals").c_str(), 0700);
    ::mkdir((d + "/Maildir").c_str(), 0700);
    for (const char* sub : {"cur", "new", "tmp"}) ::mkdir((d + "/Maildir/" + sub).c_str(), 0700);
    WriteFile(d + "/holidays.ics", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
    const std::string feed = "webcal://p52-caldav.icloud.com/published/2/MTIzNDU2Nzg5MTIzNDU2N4XbYqA3Zz_kq9Tt";

    ASSERT_EQ(Run({"sources"}), 0) << err;
    EXPECT_EQ(out, "No calendar sources beside Outlook. \"orvanta sources add PATH|URL\" adds one.\n");

    ASSERT_EQ(Run({"sources", "add", feed}), 0) << err;
    EXPECT_EQ(out.find("MTIzNDU2Nzg5MTIz"), std::string::npos) << out;
    EXPECT_EQ(out.rfind("Added: 0  Feed    shown   webcal://p52-caldav.icloud.com/published/2/MTIz\xE2\x80\xA6\n", 0), 0u)
        << out;
    ASSERT_EQ(Run({"sources", "add", d + "/cals/"}), 0) << err;
    ASSERT_EQ(Run({"sources", "add", d + "/Maildir"}), 0) << err;
    ASSERT_EQ(Run({"sources", "add", d + "/holidays.ics"}), 0) << err;

    ASSERT_EQ(Run({"sources"}), 0) << err;
    EXPECT_EQ(out, "0  Feed    shown   webcal://p52-caldav.icloud.com/published/2/MTIz\xE2\x80\xA6\n"
                   "1  Folder  shown   \"" + d + "/cals\"\n"
                   "2  Maildir shown   \"" + d + "/Maildir\"\n"
                   "3  File    shown   \"" + d + "/holidays.ics\"\n");
    EXPECT_EQ(err, "");
    const std::string reg = Reg();
    EXPECT_NE(reg.find("\\Sources\\2]\n\"Kind\"=\"Maildir\"\n"), std::string::npos) << reg;
    EXPECT_NE(reg.find(feed), std::string::npos) << "the settings keep the whole address";

    // Refused: the same source again, nothing there, another scheme.
    EXPECT_EQ(Run({"sources", "add", d + "/holidays.ics"}), 1);
    EXPECT_EQ(err, "orvanta: that is source 3 already.\n");
    EXPECT_EQ(Run({"sources", "add", "https://p52-caldav.icloud.com/published/2/MTIzNDU2Nzg5MTIzNDU2N4XbYqA3Zz_kq9Tt"}), 1)
        << "webcal and https name the same feed";
    EXPECT_EQ(Run({"sources", "add", d + "/nothing.ics"}), 1);
    EXPECT_EQ(err, "orvanta: there is no file or folder \"" + d + "/nothing.ics\".\n");
    EXPECT_EQ(Run({"sources", "add", "ftp://jane:pw@example.org/x.ics"}), 1);
    EXPECT_EQ(err, "orvanta: ftp://\xE2\x80\xA6@example.org/x.ics is no http, https or webcal address; only those are "
                   "read as feeds.\n");
    EXPECT_EQ(Run({"sources", "remove", "4"}), 1);
    EXPECT_EQ(err, "orvanta: there is no source 4 (4 sources).\n");
    EXPECT_EQ(Run({"sources", "remove", "one"}), 2);
    EXPECT_EQ(Reg(), reg) << "nothing refused changes the settings";

    ASSERT_EQ(Run({"sources", "remove", "1"}), 0) << err;
    EXPECT_EQ(out.rfind("Removed: 1  Folder  shown   \"" + d + "/cals\"\n", 0), 0u) << out;
    ASSERT_EQ(Run({"sources"}), 0);
    EXPECT_EQ(out, "0  Feed    shown   webcal://p52-caldav.icloud.com/published/2/MTIz\xE2\x80\xA6\n"
                   "1  Maildir shown   \"" + d + "/Maildir\"\n"
                   "2  File    shown   \"" + d + "/holidays.ics\"\n");
    EXPECT_EQ(Reg().find("\\Sources\\3]"), std::string::npos);
}

// A Maildir source gives the mail-folder list its folders and unread counts, after
// the store's.
TEST_F(SourcesCommand, AMaildirSourceFeedsTheFolderList) {
    const std::string m = dir.Path() + "/Maildir";
    for (const char* sub : {"", "/cur", "/new", "/tmp", "/.Sent", "/.Sent/cur", "/.Sent/new", "/.Sent/tmp"})
        ::mkdir((m + sub).c_str(), 0700);
    WriteFile(m + "/new/1.host", "x");
    WriteFile(m + "/cur/2.host:2,S", "x");
    WriteFile(m + "/cur/3.host:2,", "x");
    WriteFile(m + "/.Sent/cur/4.host:2,S", "x");
    env["ORVANTA_STORE"] = std::string(ORVANTA_SOURCE_DIR) + "/examples/sample-store.json";
    ASSERT_EQ(Run({"agenda"}), 0) << err;
    const std::string before = out;
    ASSERT_EQ(Run({"sources", "add", m}), 0) << err;
    ASSERT_EQ(Run({"agenda"}), 0) << err;
    const size_t folders = out.find("Folders\n");
    ASSERT_NE(folders, std::string::npos) << out;
    EXPECT_NE(out.find("  Inbox  2\n  Sent  0\n", folders), std::string::npos) << out;
    EXPECT_EQ(before.find("  Sent  0\n"), std::string::npos) << before;
}

// The sample week stands in for a user without data of their own: with a calendar file
// configured and no store named, the agenda is that file's alone, and says nothing of a
// missing Outlook; a store named is read beside it.
TEST_F(SourcesCommand, ConfiguredSourcesTakeThePlaceOfTheSampleWeek) {
    const std::string ics = dir.Path() + "/mine.ics";
    WriteFile(ics, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:mine-1\r\n"
                   "DTSTAMP:20261201T000000Z\r\nDTSTART:20261207T110000\r\nDTEND:20261207T120000\r\n"
                   "SUMMARY:Dentist\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    ASSERT_EQ(Run({"agenda", "--from", "2026-12-07", "--days", "1"}), 0) << err;
    const std::string sample = out;
    ASSERT_NE(sample.find("  Inbox  "), std::string::npos) << sample; // the sample week's folders
    ASSERT_EQ(Run({"sources", "add", ics}), 0) << err;
    ASSERT_EQ(Run({"agenda", "--from", "2026-12-07", "--days", "1"}), 0) << err;
    EXPECT_NE(out.find("Dentist"), std::string::npos) << out;
    EXPECT_NE(out.find("Folders\n  (none)\n"), std::string::npos) << "no sample folders: " << out;
    EXPECT_EQ(out.find("Nothing could be read"), std::string::npos) << out;
    EXPECT_EQ(err, "");
    env["ORVANTA_STORE"] = std::string(ORVANTA_SOURCE_DIR) + "/examples/sample-store.json";
    ASSERT_EQ(Run({"agenda", "--from", "2026-12-07", "--days", "1"}), 0) << err;
    EXPECT_NE(out.find("Dentist"), std::string::npos) << out;
    EXPECT_NE(out.find("  Inbox  "), std::string::npos) << out;
    // The wallpaper `orvanta compose` and `orvanta regions` make shows the file's items
    // too: an appointment of today's is there, clickable.
    env.erase("ORVANTA_STORE");
    char today[9];
    const std::time_t now = std::time(nullptr);
    std::strftime(today, sizeof today, "%Y%m%d", std::localtime(&now));
    WriteFile(ics, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:today-1\r\n"
                   "DTSTAMP:20261201T000000Z\r\nDTSTART:" + std::string(today) + "T235800\r\nDTEND:" +
                       std::string(today) + "T235900\r\nSUMMARY:Dentist\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    ASSERT_EQ(Run({"regions"}), 0) << err;
    EXPECT_NE(out.find("today-1"), std::string::npos) << out;
}

// An entry spoilt by hand is left out with one message on standard error; the others
// are listed.
TEST_F(SourcesCommand, ASpoiltEntryIsSaidAndLeftOut) {
    ASSERT_EQ(Run({"sources", "add", "https://example.org/a.ics"}), 0) << err;
    ASSERT_EQ(Run({"sources", "add", "https://example.org/b.ics"}), 0) << err;
    std::string reg = Reg();
    const std::string good = "\"Kind\"=\"Feed\"\n\"Location\"=\"https://example.org/a.ics\"";
    ASSERT_NE(reg.find(good), std::string::npos) << reg;
    reg.replace(reg.find(good), good.size(), "\"Kind\"=dword:00000002\n\"Location\"=\"https://example.org/a.ics\"");
    WriteFile(dir.Path() + "/config/orvanta/HKEY_CURRENT_USER.reg", reg);
    ASSERT_EQ(Run({"sources"}), 0);
    EXPECT_EQ(out, "0  Feed    shown   https://example.org/b.ics\n"); // numbered as "sources remove" takes them
    EXPECT_NE(err.find("The calendar source Sources\\0 is left out: its \"Kind\" is none of File, Folder, Feed and "
                       "Maildir."),
              std::string::npos)
        << err;
}

} // namespace
