#include <gtest/gtest.h>

#include "FakePorts.h"
#include "util/BuildStamp.h"
#include "system/FileSystem.h"
#include "util/Parser.h"
#include "util/SplitPath.h"
#include "util/Strings.h"
#include "util/Utf8.h"
#include "system/SystemInfo.h"

namespace {

TEST(SplitPath, WindowsRules) {
    CSplitPath p("C:\\Pictures\\Beach.JPG");
    EXPECT_EQ(p.Drive(), "C:");
    EXPECT_EQ(p.Dir(), "\\Pictures\\");
    EXPECT_EQ(p.FileName(), "Beach");
    EXPECT_EQ(p.Ext(), ".JPG");

    CSplitPath q("C:\\my.pictures\\README");
    EXPECT_EQ(q.Dir(), "\\my.pictures\\");
    EXPECT_EQ(q.FileName(), "README");
    EXPECT_EQ(q.Ext(), "");

    CSplitPath r("/home/u/photo.tar.jpeg");
    EXPECT_EQ(r.Drive(), "");
    EXPECT_EQ(r.Dir(), "/home/u/");
    EXPECT_EQ(r.Ext(), ".jpeg");

    CSplitPath longOne(std::string(400, 'a') + ".jpg");
    EXPECT_EQ(longOne.Path().size(), 259u);
    EXPECT_LE(longOne.FileName().size(), 255u);
    EXPECT_EQ(CSplitPath().Ext(), "");
}

TEST(FileSystem, PathParts) {
    EXPECT_EQ(EFileSystem::Extension("C:\\Pictures\\Beach.JPG", true), "jpg");
    EXPECT_EQ(EFileSystem::Extension("C:\\Pictures\\Beach.JPG", false), "JPG");
    EXPECT_EQ(EFileSystem::Extension("C:\\Pictures\\README", true), "");
    EXPECT_EQ(EFileSystem::Extension("C:\\a.b\\README", true), "");
    EXPECT_EQ(EFileSystem::DirectoryPart("C:\\Program Files\\App\\app.exe"), "C:\\Program Files\\App\\");
    EXPECT_EQ(EFileSystem::FileNamePart("C:\\Program Files\\App\\app.exe"), "app.exe");
    EXPECT_EQ(EFileSystem::DirectoryPart("app.exe"), "");
}

TEST(FileSystem, DirectoryChainCreatesMissingLevelsAndReportsTheFailingFolder) {
    FakeEnvironment env;
    const std::string base = env.system.appData;
    env.system.dirs.insert(base + "\\KESTROVA"); // present in another case
    ASSERT_TRUE(EFileSystem::EnsureDirectoryChain(base, {"Kestrova", "Orvanta for Outlook"}));
    EXPECT_TRUE(env.system.dirs.count(base + "\\Kestrova\\Orvanta for Outlook"));
    EXPECT_EQ(env.system.dirs.size(), 3u); // the existing folder was used, not created again
    ASSERT_TRUE(EFileSystem::EnsureDirectoryChain(base, {"Kestrova", "Orvanta for Outlook"}));
    EXPECT_EQ(env.system.dirs.size(), 3u);
    EXPECT_TRUE(env.ui.boxes.empty());

    env.system.failingDirs.insert(base + "\\Kestrova\\Blocked");
    EXPECT_FALSE(EFileSystem::EnsureDirectoryChain(base, {"Kestrova", "Blocked", "Deeper"}));
    ASSERT_EQ(env.ui.boxes.size(), 1u);
    EXPECT_EQ(env.ui.boxes[0].text, "Error while creating directory [" + base + "\\Kestrova]!");

    EXPECT_FALSE(EFileSystem::DirectoryContains("", "x"));
    EXPECT_FALSE(EFileSystem::DirectoryContains(base, ""));
    EXPECT_TRUE(EFileSystem::DirectoryContains(base + "\\", "kestrova"));
}

TEST(FileSystem, ProgramPathInShortFormOrEmptyOnFailure) {
    FakeEnvironment env;
    EXPECT_EQ(EFileSystem::ProgramFilePath(false), env.system.modulePath);
    EXPECT_EQ(EFileSystem::ProgramFilePath(true), env.system.shortModulePath);
    env.system.modulePath.clear();
    EXPECT_EQ(EFileSystem::ProgramFilePath(true), "");
}

TEST(SystemInfo, OperatingSystemClasses) {
    struct Case {
        OsVersion v;
        int cls;
        bool newerThan2000;
    } cases[] = {
        {{3, 10, 0, 0, 1}, 0, false},  {{4, 0, 950, 1, 1}, 1, false}, {{4, 10, 0, 1, 1}, 2, false},
        {{4, 90, 0, 1, 1}, 2, false},  {{4, 0, 1381, 2, 1}, 3, false}, {{5, 0, 2195, 2, 1}, 4, false},
        {{5, 1, 2600, 2, 1}, 5, true}, {{5, 2, 3790, 2, 3}, 7, true},  {{6, 0, 6000, 2, 1}, 8, true},
        {{6, 0, 6001, 2, 3}, 9, true}, {{6, 1, 7601, 2, 1}, 10, true}, {{10, 0, 19045, 2, 1}, 10, true},
        {{6, 0, 0, 9, 1}, -1, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ESystemInfo::OsClass(c.v), c.cls) << c.v.major << "." << c.v.minor;
        EXPECT_EQ(ESystemInfo::NewerThanWindows2000(c.v), c.newerThan2000) << c.v.major << "." << c.v.minor;
    }
    FakeEnvironment env;
    env.system.versionKnown = false;
    EXPECT_EQ(ESystemInfo::OsClass(), -1);
    EXPECT_FALSE(ESystemInfo::IsNtFamily());
}

TEST(SystemInfo, VirtualScreenSpansAllMonitors) {
    ScreenMetrics two{2, -1920, 0, 3840, 1200, 1920, 1080, 1920};
    EXPECT_EQ(ESystemInfo::VirtualScreenRect(two), (Rect{-1920, 0, 1920, 1200}));
    ScreenMetrics none{0, 5, 5, 10, 10, 1024, 768, 1024};
    EXPECT_EQ(ESystemInfo::VirtualScreenRect(none), (Rect{0, 0, 1024, 768}));
}

TEST(SystemInfo, BrowserCommandParsing) {
    EXPECT_EQ(ESystemInfo::BrowserFromCommand("  \"C:\\Program Files\\Web\\BROWSER.EXE\" -- \"%1\""),
              "c:\\program files\\web\\browser.exe");
    EXPECT_EQ(ESystemInfo::BrowserFromCommand("C:\\WEB\\B.EXE -nohome %1"), "c:\\web\\b.exe");
    EXPECT_EQ(ESystemInfo::BrowserFromCommand(""), "");
}

TEST(SystemInfo, BrowserLaunchFallsBackStepByStep) {
    FakeEnvironment env;
    auto& hkcr = env.registry.Tree(RegRoot::ClassesRoot);
    // No browser registered: the shell opens the document itself.
    EXPECT_TRUE(ESystemInfo::OpenInBrowser("C:\\App\\help\\Index.html"));
    ASSERT_EQ(env.system.shellCalls.size(), 1u);
    EXPECT_EQ(env.system.shellCalls[0], "open|C:\\App\\help\\Index.html|");

    hkcr.CreateKey("HTTP\\shell\\view\\command");
    hkcr.SetValue("HTTP\\shell", "", RegValue::Text("view"));
    hkcr.SetValue("HTTP\\shell\\view\\command", "", RegValue::Text("\"C:\\Web\\View.exe\" %1"));
    hkcr.CreateKey("HTTP\\shell\\open\\command");
    hkcr.SetValue("HTTP\\shell\\open\\command", "", RegValue::Text("C:\\Web\\Open.exe %1"));
    env.system.shellCalls.clear();
    EXPECT_TRUE(ESystemInfo::OpenInBrowser("C:\\Program Files\\App\\help\\Index.html"));
    ASSERT_EQ(env.system.shellCalls.size(), 1u);
    EXPECT_EQ(env.system.shellCalls[0], "open|c:\\web\\view.exe|\"C:\\Program Files\\App\\help\\Index.html\"");

    env.system.shellResults["c:\\web\\view.exe"] = 2;
    env.system.shellResults["c:\\web\\open.exe"] = 31;
    env.system.shellResults["x.html"] = 0;
    env.system.shellCalls.clear();
    EXPECT_FALSE(ESystemInfo::OpenInBrowser("x.html")); // every attempt failed
    EXPECT_EQ(env.system.shellCalls,
              (std::vector<std::string>{"open|c:\\web\\view.exe|x.html", "open|c:\\web\\open.exe|x.html",
                                        "open|x.html|"}));
}

TEST(SystemInfo, ActiveDesktopShownByWindowOrBySetting) {
    FakeEnvironment env;
    EXPECT_FALSE(ESystemInfo::ActiveDesktopShown(0));
    env.system.webView = true;
    EXPECT_TRUE(ESystemInfo::ActiveDesktopShown(0));
    // Mode 1 needs both Internet Explorer's version and the shell setting.
    env.system.desktopHtml = true;
    EXPECT_FALSE(ESystemInfo::ActiveDesktopShown(1));
    auto& hklm = env.registry.Tree(RegRoot::LocalMachine);
    hklm.CreateKey("Software\\Microsoft\\Internet Explorer");
    hklm.SetValue("Software\\Microsoft\\Internet Explorer", "Version", RegValue::Text("9.11.19041.0"));
    EXPECT_TRUE(ESystemInfo::ActiveDesktopShown(1));
    env.system.desktopHtml = false;
    EXPECT_FALSE(ESystemInfo::ActiveDesktopShown(1));
    EXPECT_FALSE(ESystemInfo::ActiveDesktopShown(2));
}

TEST(Text, HelpersAndNumbers) {
    EXPECT_EQ(EParser::Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(EParser::TrimChars("\"\"x\"", "\""), "x");
    EXPECT_EQ(EParser::Trim("   "), "");
    EXPECT_EQ(EParser::ToUpper("true \xC3\xA4"), "TRUE \xC3\xA4");
    EXPECT_EQ(EParser::ToLower("C:\\PICS"), "c:\\pics");
    const uint8_t bytes[16] = {0, 1, 0xAB, 0xFF, 0x10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0x7F};
    EXPECT_EQ(EParser::HexText16(bytes), "0001ABFF10090807060504030201007F");
    EXPECT_EQ(EParser::ParseInt(" 42abc"), 42);
    EXPECT_EQ(EParser::ParseInt("-17"), -17);
    EXPECT_EQ(EParser::ParseInt("abc"), 0);
    EXPECT_EQ(EParser::ParseInt(""), 0);
    EXPECT_EQ(EParser::ParseInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(EParser::ParseInt("-99999999999999999999"), -2147483647 - 1);
}

TEST(Utf8, CharacterAtAPositionOrOneReplacementPerBadByte) {
    const std::string text = "a\xC3\xBC\xE6\x97\xA5\xF0\x9F\x98\x80"; // a, ü, 日, 😀
    struct Want {
        size_t at;
        char32_t code;
        size_t length;
    };
    for (const Want& w : {Want{0, U'a', 1}, Want{1, 0xFC, 2}, Want{3, 0x65E5, 3}, Want{6, 0x1F600, 4}}) {
        const Utf8Char c = Utf8CharAt(text, w.at);
        EXPECT_EQ(c.code, w.code) << "at " << w.at;
        EXPECT_EQ(c.length, w.length) << "at " << w.at;
    }
    // Each of these begins no valid character: the walk takes one byte as U+FFFD.
    const char* bad[] = {
        "\x80",             // continuation byte alone
        "\xC3",             // cut short at the end
        "\xC3(",            // cut short by an ASCII byte
        "\xC0\xAF",         // overlong '/'
        "\xE0\x80\xAF",     // overlong '/' in three bytes
        "\xED\xA0\x80",     // a surrogate
        "\xF4\x90\x80\x80", // above U+10FFFF
        "\xFF",
    };
    for (const char* b : bad) {
        const Utf8Char c = Utf8CharAt(b, 0);
        EXPECT_EQ(c.code, 0xFFFDu) << b;
        EXPECT_EQ(c.length, 1u) << b;
    }
    // The largest of each length are valid.
    EXPECT_EQ(Utf8CharAt("\x7F", 0).code, 0x7Fu);
    EXPECT_EQ(Utf8CharAt("\xDF\xBF", 0).code, 0x7FFu);
    EXPECT_EQ(Utf8CharAt("\xEF\xBF\xBF", 0).code, 0xFFFFu);
    EXPECT_EQ(Utf8CharAt("\xF4\x8F\xBF\xBF", 0).code, 0x10FFFFu);
}

// Text from the command line shown back to the user: nothing in it can move the
// cursor, colour the terminal, turn the line or end it, and it is cut to a length.
TEST(Utf8, QuotedForDisplayShowsEveryTextSafely) {
    const struct {
        std::string text;
        std::string shown;
    } cases[] = {
        {"Refresh", "\"Refresh\""},
        {"Bild \xC3\xA4 \xE6\x97\xA5", "\"Bild \xC3\xA4 \xE6\x97\xA5\""},          // ordinary letters stay
        {"\x1b[31mred\x1b[0m", "\"\\x1b[31mred\\x1b[0m\""},                     // escape sequences
        {"a\nb\tc\rd", "\"a\\nb\\tc\\rd\""},
        {std::string("nul\0x", 5), "\"nul\\x00x\""},
        {"\x7f", "\"\\x7f\""},
        {"\xC2\x9B" "31m", "\"\\u009b31m\""},                                        // the 8-bit escape
        {"\xE2\x80\xAE" "gpj.exe", "\"\\u202egpj.exe\""},                           // turns the line around
        {"line\xE2\x80\xA8" "next", "\"line\\u2028next\""},
        {"say \"hi\" \\", "\"say \\\"hi\\\" \\\\\""},
        {"\xFF\xC3", "\"\\xff\\xc3\""},                                             // no UTF-8
        {std::string(100000, 'x'), "\"" + std::string(64, 'x') + "\"..."},
        {std::string(64, 'x'), "\"" + std::string(64, 'x') + "\""},
        {std::string(70, '\n'), "\"" + [] { std::string s; for (int i = 0; i < 64; ++i) s += "\\n"; return s; }() + "\"..."},
    };
    for (const auto& c : cases) EXPECT_EQ(QuotedForDisplay(c.text), c.shown);
    EXPECT_EQ(QuotedForDisplay("\xE6\x97\xA5\xE6\x9C\xAC", 1), "\"\xE6\x97\xA5\"...");
}

TEST(BuildStamp, FromCompilerDate) {
    EXPECT_EQ(MakeBuildStamp("Nov  4 2008"), "081104");
    EXPECT_EQ(MakeBuildStamp("Dec 31 2026"), "261231");
    EXPECT_EQ(MakeBuildStamp("Foo 12 2010"), "10-112");
}

TEST(StringTable, TextsByNumber) {
    EXPECT_EQ(LoadResString(IDS_COMPANY), "Kestrova");
    EXPECT_EQ(LoadResString(IDS_APP_TITLE), "Orvanta for Outlook");
    EXPECT_EQ(LoadResString(IDS_VERSION), "3.5");
    std::string ole = LoadResString(IDS_OLE_INIT_FAILED);
    EXPECT_EQ(ole.back(), '"');
    EXPECT_NE(ole.find("versions \nof the OLE"), std::string::npos);
    EXPECT_EQ(LoadResString(12345), "");
    EXPECT_EQ(FormatText(LoadResString(IDS_RATIO).c_str(), 40, 60), "Appointments/Tasks ratio (40 : 60) %");
}

} // namespace
