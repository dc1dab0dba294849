// "orvanta settings" against the real settings file, without a running copy.
#include <gtest/gtest.h>

#include "PosixTestUtil.h"

namespace {

class SettingsCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ::mkdir((dir.Path() + "/run").c_str(), 0700);
        env = {{"XDG_CONFIG_HOME", dir.Path() + "/config"}, {"XDG_DATA_HOME", dir.Path() + "/data"},
               {"XDG_RUNTIME_DIR", dir.Path() + "/run"}, {"ORVANTA_SCREEN", "1280x1024"},
               {"ORVANTA_WALLPAPER_COMMAND", "true"}};
    }
    // Runs "orvanta ARGS"; its exit code, with what it printed in out and err.
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

TEST_F(SettingsCommand, ListsEverySettingWithValueAndRange) {
    ASSERT_EQ(Run({"settings"}), 0) << err;
    EXPECT_NE(out.find("\"Refresh\"                 20     5 to 3600\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\"Orvanta style\"           0      0 Blue, 1 Green, 2 Brown\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\"SideBar Width\"           256    160 to 400; side bar view only\n"), std::string::npos)
        << out;
    // The header's room on a 1024-pixel screen with the 35-pixel footer.
    EXPECT_NE(out.find("\"Header Blank\"            0      0 to 861 "), std::string::npos) << out;
    EXPECT_NE(out.find("\"Private Items\"           0      0 shown as they are, 1 subject hidden, 2 left out\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\"Panel Scale\"             0      0 the monitor's scale, or 100 to 300 per cent\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 36);
}

TEST_F(SettingsCommand, RefusedValueChangesNothing) {
    ASSERT_EQ(Run({"settings"}), 0); // the first start writes the settings
    const std::string before = Reg();
    ASSERT_NE(before.find("\"Refresh\"=dword:00000014\n"), std::string::npos) << before;
    for (const char* bad : {"4", "3601", "abc"}) {
        EXPECT_EQ(Run({"settings", "Refresh", bad}), 1) << bad;
        EXPECT_EQ(out, "");
        EXPECT_EQ(Reg(), before) << bad;
    }
    EXPECT_EQ(Run({"settings", "Refresh", "4"}), 1);
    EXPECT_EQ(err, "orvanta: Refresh: Please enter an integer between 5 and 3600.\n");
    EXPECT_EQ(Run({"settings", "SideBar Width", "159"}), 1);
    EXPECT_EQ(err, "orvanta: SideBar Width: Please enter an integer between 160 and 400.\n");
    EXPECT_EQ(Run({"settings", "Colour", "1"}), 2);
    EXPECT_NE(err.find("\"Colour\" is not a setting"), std::string::npos) << err;
    EXPECT_EQ(Reg(), before);
}

// What the user typed comes back only quoted and cut: no control character of it
// reaches the terminal, however long it is.
TEST_F(SettingsCommand, AnUnknownNameIsShownQuotedAndCut) {
    const struct {
        std::string name;
        std::string shown;
    } cases[] = {
        {"\x1b[2J\x1b]0;owned\x07\nRefresh", "\"\\x1b[2J\\x1b]0;owned\\x07\\nRefresh\""},
        {std::string(100000, 'N'), "\"" + std::string(64, 'N') + "\"..."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run({"settings", c.name, "1"}), 2);
        EXPECT_EQ(err, "orvanta: " + c.shown + " is not a setting of the settings sheet. \"orvanta settings\" lists them.\n");
        EXPECT_EQ(out, "");
    }
    EXPECT_EQ(Run({"\x1b[31mrun"}), 2);
    EXPECT_EQ(err.rfind("orvanta: unknown command \"\\x1b[31mrun\"\n", 0), 0u) << err;
}

TEST_F(SettingsCommand, AcceptedValueIsSavedWithWhatItMoved) {
    EXPECT_EQ(Run({"settings", "Refresh", "3600"}), 0) << err;
    EXPECT_NE(Reg().find("\"Refresh\"=dword:00000e10\n"), std::string::npos);
    EXPECT_NE(out.find("not running"), std::string::npos) << out; // taken over at the next start

    // A header too large for the screen comes down and takes the footer with it, and
    // both are said.
    EXPECT_EQ(Run({"settings", "Header Blank", "99999"}), 0) << err;
    EXPECT_NE(out.find("\"Header Blank\"            896"), std::string::npos) << out;
    EXPECT_NE(out.find("\"Footer Blank\"            0"), std::string::npos) << out;
    EXPECT_NE(out.find("\"Header Blank\" 99999 does not fit the screen: it was brought down to 896. \"Footer Blank\" "
                       "went from 35 to 0 to make room.\n"),
              std::string::npos)
        << out;
    EXPECT_NE(Reg().find("\"Header Blank\"=\"896\"\n"), std::string::npos);
    EXPECT_NE(Reg().find("\"Footer Blank\"=\"0\"\n"), std::string::npos);

    // Turning the launch at log-on off removes the logon entry.
    ASSERT_NE(Reg().find("\"Orvanta for Outlook\"=\""), std::string::npos);
    EXPECT_EQ(Run({"settings", "LaunchAtStartup", "false"}), 0) << err;
    EXPECT_EQ(Reg().find("\"Orvanta for Outlook\"=\""), std::string::npos) << Reg();
    EXPECT_NE(Reg().find("\"LaunchAtStartup\"=\"FALSE\"\n"), std::string::npos);
}

} // namespace
