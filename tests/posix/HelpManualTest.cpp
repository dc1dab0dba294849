// The user manual as the build puts it together (build/help: the manual, its stylesheet
// and its pictures), and "orvanta help", which opens it.
#include <gtest/gtest.h>

#include <algorithm>

#include "ManualChecker.h"
#include "PosixTestUtil.h"

namespace {

std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
}

bool IsPng(const std::string& path) { return ReadFile(path).rfind("\x89PNG\r\n\x1a\n", 0) == 0; }

// Width and height of a PNG file; 0 and 0 when it is none.
std::pair<unsigned, unsigned> PngSize(const std::string& path) {
    const std::string png = ReadFile(path);
    if (png.size() < 24 || png.rfind("\x89PNG\r\n\x1a\n", 0) != 0 || png.compare(12, 4, "IHDR") != 0) return {0, 0};
    auto word = [&](size_t at) {
        unsigned v = 0;
        for (size_t i = at; i < at + 4; ++i) v = v << 8 | static_cast<unsigned char>(png[i]);
        return v;
    };
    return {word(16), word(20)};
}

// The manual as each reader meets it: read in the tree (help/Index.html with the copies
// of its pictures in help/images), put together by a build alone (what scripts/run
// builds: no test has run, no screenshot of the Windows driver exists), and as the build
// tree holds it. Every picture is there and is the picture it should be: the wallpapers
// the build draws at the manual's screen size, the pop-up at its own, the settings pages
// real screenshots.
TEST(HelpManual, EveryPictureIsThereInTheTreeAndInABuildWithoutTests) {
    TempDir dir;
    const std::string staged = dir.Path() + "/help", noScreens = dir.Path() + "/screens";
    ::mkdir(noScreens.c_str(), 0700);
    ASSERT_EQ(std::system(("cmake -DHELP_SOURCE='" ORVANTA_SOURCE_DIR "/help' -DPICTURES='" ORVANTA_BINARY_DIR
                           "/manual-pictures' -DSCREENS='" + noScreens + "' -DDEST='" + staged +
                           "' -P '" ORVANTA_SOURCE_DIR "/cmake/StageHelp.cmake' >'" + dir.Path() + "/log' 2>&1")
                              .c_str()),
              0)
        << ReadFile(dir.Path() + "/log");
    struct Expected {
        const char* picture;
        unsigned width, height; // 0: any size of at least 300x300
    };
    const Expected pictures[] = {
        {"images/sidebar-blue.png", 1600, 900}, {"images/central-blue.png", 1600, 900},
        {"images/central-green.png", 1600, 900}, {"images/central-brown.png", 1600, 900},
        {"images/popup.png", 700, 526},         {"images/settings-general.png", 0, 0},
        {"images/settings-appearance.png", 0, 0},
    };
    for (const std::string& folder : {std::string(ORVANTA_SOURCE_DIR "/help"), staged, std::string(ORVANTA_HELP_DIR)}) {
        SCOPED_TRACE(folder);
        const std::string manual = folder + "/Index.html";
        const auto problems = CManualChecker::Check(manual);
        EXPECT_TRUE(problems.empty()) << Joined(problems);
        const auto files = CManualChecker::ReferencedFiles(manual);
        for (const Expected& e : pictures) {
            EXPECT_NE(std::find(files.begin(), files.end(), e.picture), files.end()) << e.picture;
            const auto [w, h] = PngSize(folder + "/" + e.picture);
            if (e.width) {
                EXPECT_EQ(w, e.width) << e.picture;
                EXPECT_EQ(h, e.height) << e.picture;
            } else {
                EXPECT_TRUE(w >= 300 && h >= 300) << e.picture << " is " << w << "x" << h;
            }
        }
    }
    // The build's wallpapers are the ones it drew now, not the tree's copies.
    for (const char* drawn : {"sidebar-blue.png", "central-blue.png", "popup.png"})
        EXPECT_EQ(ReadFile(staged + "/images/" + drawn), ReadFile(ORVANTA_BINARY_DIR "/manual-pictures/" + std::string(drawn)))
            << drawn;
}

// Every link, picture and in-page link of the staged manual leads somewhere, and the
// pictures are the PNG files the manual promises.
TEST(HelpManual, EveryLinkAndPictureOfTheStagedManualResolves) {
    const std::string manual = std::string(ORVANTA_HELP_DIR) + "/Index.html";
    ASSERT_TRUE(Exists(manual)) << "the build did not put the manual together in " ORVANTA_HELP_DIR;
    // The staged copy is the manual of this tree, not one left from an earlier build.
    EXPECT_EQ(ReadFile(manual), ReadFile(ORVANTA_SOURCE_DIR "/help/Index.html"));
    EXPECT_EQ(ReadFile(ORVANTA_HELP_DIR "/help.css"), ReadFile(ORVANTA_SOURCE_DIR "/help/help.css"));

    const auto problems = CManualChecker::Check(manual);
    EXPECT_TRUE(problems.empty()) << Joined(problems);

    const auto files = CManualChecker::ReferencedFiles(manual);
    int pictures = 0;
    for (const std::string& f : files) {
        if (f.rfind("images/", 0) != 0) continue;
        ++pictures;
        EXPECT_TRUE(IsPng(std::string(ORVANTA_HELP_DIR) + "/" + f)) << f;
    }
    // The wallpaper in both views and the three styles, the pop-up, and both settings pages.
    for (const char* shown : {"images/sidebar-blue.png", "images/central-blue.png", "images/central-green.png",
                              "images/central-brown.png", "images/popup.png", "images/settings-general.png",
                              "images/settings-appearance.png"})
        EXPECT_NE(std::find(files.begin(), files.end(), shown), files.end()) << shown;
    EXPECT_EQ(std::count(files.begin(), files.end(), "help.css"), 1);
    EXPECT_GE(pictures, 7);
}

// The checker itself: each kind of fault in a small page is reported, and a sound page
// (with an external link, an encoded file name and a fragment on a file) passes.
TEST(HelpManual, TheCheckerReportsEachKindOfBrokenPage) {
    TempDir dir;
    ::mkdir((dir.Path() + "/images").c_str(), 0700);
    WriteFile(dir.Path() + "/images/a b.png", "\x89PNG\r\n\x1a\n");
    WriteFile(dir.Path() + "/style.css", "p{}");
    const std::string head = "<!DOCTYPE html>\n<html><head><title>t</title>"
                             "<link rel=\"stylesheet\" href=\"style.css\"></head>\n<body>\n";
    const std::string sound = "<h1 id=\"top\">T</h1>\n<p><a href=\"#top\">up</a> <a href='https://example.org/x'>x</a>"
                              "<br><img src=\"images/a%20b.png\" alt=\"\"> <a href=\"style.css#x\">css</a></p>\n";
    const std::string tail = "</body></html>\n";
    auto check = [&](const std::string& body) {
        WriteFile(dir.Path() + "/Index.html", head + body + tail);
        return Joined(CManualChecker::Check(dir.Path() + "/Index.html"));
    };

    EXPECT_EQ(check(sound), "");
    struct Case {
        const char* what;
        std::string body;
        const char* expected;
    };
    const Case cases[] = {
        {"missing picture", sound + "<img src=\"images/gone.png\" alt=\"\">\n", "\"images/gone.png\" is missing"},
        {"missing page", sound + "<p><a href=\"other.html\">o</a></p>\n", "\"other.html\" is missing"},
        {"anchor without id", sound + "<p><a href=\"#nowhere\">n</a></p>\n", "line 6: the link #nowhere has no target id"},
        {"element left open", sound + "<section><p>x</p>\n", "line 6: <section> is never closed (</body> on line 7 comes first)"},
        {"crossed ends", sound + "<div><p>x</div></p>\n", "line 6: <p> is never closed (</div> on line 6 comes first)"},
        {"end of nothing", sound + "</ul>\n", "</ul> closes nothing"},
        {"repeated id", sound + "<p id=\"top\">again</p>\n", "the id \"top\" is given twice"},
        {"script", sound + "<script>document.write('<p>')</script>\n", "a script in a plain HTML manual"},
        {"script attribute", sound + "<p onclick=\"go()\">x</p>\n", "a script attribute onclick"},
        {"Windows path", sound + "<img src=\"images\\a b.png\" alt=\"\">\n", "not a relative address"},
        {"empty folder as picture", sound + "<img src=\"images\" alt=\"\">\n", "\"images\" is missing"},
        {"unclosed quote", sound + "<p class=\"x>y</p>\n", "is never closed"},
    };
    for (const Case& c : cases) {
        const std::string found = check(c.body);
        EXPECT_NE(found.find(c.expected), std::string::npos) << c.what << ":\n" << found;
    }
    EXPECT_NE(Joined(CManualChecker::Check(dir.Path() + "/absent.html")).find("cannot be read"), std::string::npos);
}

// "orvanta help" run with its own PATH and display, standard output kept.
class HelpCommand : public ::testing::Test {
protected:
    void SetUp() override {
        bin = dir.Path() + "/bin";
        ::mkdir(bin.c_str(), 0700);
        record = dir.Path() + "/opened";
    }

    // A stand-in for xdg-open on PATH that writes down what it was asked to open.
    void InstallOpener() {
        const std::string opener = bin + "/xdg-open";
        WriteFile(opener, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record + ".tmp' && /bin/mv '" + record + ".tmp' '" +
                              record + "'\n");
        ::chmod(opener.c_str(), 0700);
    }

    int Run(const std::string& program, const std::map<std::string, std::string>& env, std::string& out,
            std::string& err) {
        const std::string outPath = dir.Path() + "/out", errPath = dir.Path() + "/err";
        pid_t pid = ::fork();
        if (pid == 0) {
            ::unsetenv("DISPLAY");
            ::unsetenv("WAYLAND_DISPLAY");
            ::setenv("PATH", bin.c_str(), 1);
            for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
            int o = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int e = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(o, 1);
            ::dup2(e, 2);
            ::execl(program.c_str(), program.c_str(), "help", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        out = ReadFile(outPath);
        err = ReadFile(errPath);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // What the opener was given; empty when it was not started within the time.
    std::string Opened(int ms = 5000) {
        for (int waited = 0; waited <= ms; waited += 20) {
            if (Exists(record)) return ReadFile(record);
            ::usleep(20 * 1000);
        }
        return {};
    }

    TempDir dir;
    std::string bin, record;
};

TEST_F(HelpCommand, OpensTheManualOfTheBuildTreeWithTheDesktopsOpener) {
    InstallOpener();
    std::string out, err;
    EXPECT_EQ(Run(ORVANTA_PROGRAM, {{"DISPLAY", ":0"}}, out, err), 0) << err;
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
    std::string opened = Opened();
    ASSERT_FALSE(opened.empty()) << "the opener was not started";
    ASSERT_EQ(opened.back(), '\n');
    opened.pop_back();
    EXPECT_EQ(opened.find('\n'), std::string::npos) << "one argument: " << opened;
    EXPECT_TRUE(Exists(opened)) << opened;
    EXPECT_EQ(opened.substr(opened.size() - std::string("/help/Index.html").size()), "/help/Index.html");
    EXPECT_EQ(ReadFile(opened), ReadFile(ORVANTA_SOURCE_DIR "/help/Index.html"));
}

// Without a display, or without an opener on PATH, the path is printed instead; an
// installed program finds the manual beside itself before any other.
TEST_F(HelpCommand, PrintsThePathWhenNothingCanShowItAndPrefersTheManualBesideTheProgram) {
    InstallOpener();
    std::string out, err;
    // No display: the opener is not asked.
    EXPECT_EQ(Run(ORVANTA_PROGRAM, {}, out, err), 0) << err;
    ASSERT_FALSE(out.empty());
    ASSERT_EQ(out.back(), '\n');
    const std::string printed = out.substr(0, out.size() - 1);
    EXPECT_TRUE(Exists(printed)) << printed;
    EXPECT_EQ(ReadFile(printed), ReadFile(ORVANTA_SOURCE_DIR "/help/Index.html"));
    EXPECT_EQ(Opened(300), "") << "no display, yet the opener was started";

    // A display but no opener: the path again.
    ::unlink((bin + "/xdg-open").c_str());
    EXPECT_EQ(Run(ORVANTA_PROGRAM, {{"WAYLAND_DISPLAY", "wayland-0"}}, out, err), 0) << err;
    EXPECT_EQ(out, printed + "\n");

    // An installed copy: help/ beside the program is the one opened.
    const std::string installed = dir.Path() + "/opt/orvanta";
    ASSERT_EQ(std::system(("mkdir -p '" + installed + "/help' && cp '" ORVANTA_PROGRAM "' '" + installed +
                           "/orvanta' && printf '<html></html>' > '" + installed + "/help/Index.html'")
                              .c_str()),
              0);
    InstallOpener();
    EXPECT_EQ(Run(installed + "/orvanta", {{"DISPLAY", ":0"}}, out, err), 0) << err;
    EXPECT_EQ(Opened(), installed + "/help/Index.html\n");

    // No manual anywhere near the program: said on standard error.
    ::unlink((installed + "/help/Index.html").c_str());
    EXPECT_EQ(Run(installed + "/orvanta", {{"DISPLAY", ":0"}}, out, err), 1);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("the manual (help/Index.html) is not beside the program"), std::string::npos) << err;
}

} // namespace
