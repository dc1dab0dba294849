// The Linux program as a daemon on a private Xvfb display, with the X root window as
// its wallpaper: it draws the week over the user's picture, answers the command line
// over its socket, and puts the user's picture back when it ends.
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstring>
#include <random>
#include <sstream>

#include "PosixTestUtil.h"
#include "TwoColourBmp.h"
#include "platform/Platform.h"
#include "platform/common/MemoryRegistry.h"
#include "platform/posix/PosixWallpaper.h"

namespace {

// A private X server for one test, on a display number nobody uses. It must not
// reset when its last client leaves, as a bare server does: the root picture is kept
// by the server after the setter has gone, as in any session.
class PrivateDisplay {
public:
    PrivateDisplay(int width, int height) {
        std::random_device rd;
        for (int attempt = 0; attempt < 10 && m_pid <= 0; ++attempt) {
            const int number = 200 + static_cast<int>(rd() % 500);
            if (Exists("/tmp/.X11-unix/X" + std::to_string(number)) || Exists("/tmp/.X" + std::to_string(number) + "-lock"))
                continue;
            m_name = ":" + std::to_string(number);
            m_pid = ::fork();
            if (m_pid == 0) {
                int fd = ::open("/dev/null", O_WRONLY);
                ::dup2(fd, 1);
                ::dup2(fd, 2);
                const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
                ::execlp("Xvfb", "Xvfb", m_name.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", "-noreset",
                         static_cast<char*>(nullptr));
                ::_exit(127);
            }
            for (int waited = 0; waited < 10000; waited += 50) {
                if (Exists("/tmp/.X11-unix/X" + std::to_string(number))) {
                    xcb_connection_t* c = xcb_connect(m_name.c_str(), nullptr);
                    const bool up = !xcb_connection_has_error(c);
                    xcb_disconnect(c);
                    if (up) return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            Stop();
        }
    }
    ~PrivateDisplay() { Stop(); }
    const std::string& Name() const { return m_name; }
    bool Up() const { return m_pid > 0; }

    // The root window's pixels, 0x00RRGGBB, rows top down.
    std::vector<uint32_t> Root(int& width, int& height) const {
        std::vector<uint32_t> out;
        xcb_connection_t* c = xcb_connect(m_name.c_str(), nullptr);
        if (xcb_connection_has_error(c)) {
            xcb_disconnect(c);
            width = height = 0;
            return out;
        }
        xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        width = s->width_in_pixels;
        height = s->height_in_pixels;
        for (int y = 0; y < height; y += 100) { // in bands: one request is limited in size
            const int rows = std::min(100, height - y);
            xcb_get_image_reply_t* r = xcb_get_image_reply(
                c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, s->root, 0, static_cast<int16_t>(y),
                                 static_cast<uint16_t>(width), static_cast<uint16_t>(rows), ~0u),
                nullptr);
            if (!r) break;
            const auto* p = reinterpret_cast<const uint32_t*>(xcb_get_image_data(r));
            for (int i = 0; i < width * rows; ++i) out.push_back(p[i] & 0xFFFFFF);
            std::free(r);
        }
        xcb_disconnect(c);
        return out;
    }

    // The pixmap the root window shows, as root-window setters publish it.
    uint32_t RootPixmap() const {
        xcb_connection_t* c = xcb_connect(m_name.c_str(), nullptr);
        uint32_t id = 0;
        if (!xcb_connection_has_error(c)) {
            xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
            xcb_intern_atom_reply_t* a = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, 13, "_XROOTPMAP_ID"), nullptr);
            if (a) {
                xcb_get_property_reply_t* r =
                    xcb_get_property_reply(c, xcb_get_property(c, 0, s->root, a->atom, XCB_ATOM_PIXMAP, 0, 1), nullptr);
                if (r && xcb_get_property_value_length(r) == 4) std::memcpy(&id, xcb_get_property_value(r), 4);
                std::free(r);
                std::free(a);
            }
        }
        xcb_disconnect(c);
        return id;
    }

private:
    void Stop() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }
    std::string m_name;
    pid_t m_pid = -1;
};

// A 24-bit BMP of one colour with a stripe of another, so that position matters.
void WriteBmp(const std::string& path, int w, int h, uint32_t rgb, uint32_t stripe) {
    WriteFile(path, TwoColourBmp(w, h, rgb, stripe, 40));
}

// Runs "orvanta ARGS" with env; its exit code.
int Orvanta(const std::map<std::string, std::string>& env, const std::vector<std::string>& args,
            const std::string& errPath) {
    return RunToEnd(ORVANTA_PROGRAM, env, args, errPath + ".out", errPath);
}

class Daemon : public ::testing::Test {
protected:
    static constexpr int kW = 1024, kH = 600;
    void SetUp() override {
        ASSERT_TRUE(display.Up()) << "no Xvfb";
        config = dir.Path() + "/config";
        run = dir.Path() + "/run";
        ::mkdir(run.c_str(), 0700);
        ::mkdir(config.c_str(), 0700);
        ::mkdir((config + "/orvanta").c_str(), 0700);
        user = dir.Path() + "/user.bmp";
        WriteBmp(user, kW, kH, 0x205080, 0x802050);
        // The user's wallpaper, set beforehand: in the configuration and on the root.
        WriteFile(config + "/orvanta/HKEY_CURRENT_USER.reg",
                  "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                  "\"Wallpaper\"=\"" + user + "\"\n\"WallpaperStyle\"=\"0\"\n\"TileWallpaper\"=\"0\"\n\n");
        ::setenv("DISPLAY", display.Name().c_str(), 1);
        std::string error;
        ASSERT_TRUE(CPosixWallpaperPort::SetRootWindow(user, 0, error)) << error;
        ::unsetenv("DISPLAY");
        env = {{"XDG_CONFIG_HOME", config}, {"XDG_DATA_HOME", dir.Path() + "/data"}, {"XDG_RUNTIME_DIR", run},
               {"ORVANTA_SCREEN", std::to_string(kW) + "x" + std::to_string(kH)}, {"DISPLAY", display.Name()},
               {"XDG_CURRENT_DESKTOP", ""}, {"SWAYSOCK", ""}, {"ORVANTA_WALLPAPER_COMMAND", ""},
               {"ORVANTA_STORE", ORVANTA_SOURCE_DIR "/examples/sample-store.json"}};
        output = dir.Path() + "/data/Kestrova/Orvanta for Outlook/orvanta.bmp";
    }
    std::vector<uint32_t> Root() {
        int w = 0, h = 0;
        return display.Root(w, h);
    }
    // Waits until the root shows what pred accepts.
    bool WaitRoot(const std::function<bool(const std::vector<uint32_t>&)>& pred, int ms) {
        for (int waited = 0; waited <= ms; waited += 100) {
            const std::vector<uint32_t> r = Root();
            // A read the server refused (it can while another client sets the root) is no picture.
            if (r.size() == static_cast<size_t>(kW) * kH && pred(r)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    std::string Err(int n) const { return dir.Path() + "/err" + std::to_string(n); }

    TempDir dir;
    PrivateDisplay display{kW, kH};
    std::string config, run, user, output;
    std::map<std::string, std::string> env;
};

TEST_F(Daemon, DrawsOverTheUsersPictureAnswersCommandsAndRestoresOnExit) {
    const std::vector<uint32_t> userRoot = Root();
    ASSERT_EQ(userRoot.size(), static_cast<size_t>(kW) * kH);
    EXPECT_EQ(userRoot[0], 0x205080u);
    EXPECT_EQ(userRoot[40], 0x802050u);

    ChildProgram p(ORVANTA_PROGRAM, env, Err(0));
    ASSERT_TRUE(p.WaitReady()) << ReadFile(Err(0));
    // Within 5 s the root shows the composed picture: the user's picture with the panel.
    ASSERT_TRUE(WaitRoot([&](const auto& r) { return r != userRoot; }, 5000)) << ReadFile(Err(0));
    std::vector<uint32_t> ours = Root();
    EXPECT_EQ(ours[0], 0x205080u) << ReadFile(Err(0)); // the user's picture is the background
    EXPECT_TRUE(Exists(output)) << ReadFile(config + "/orvanta/HKEY_CURRENT_USER.reg");
    EXPECT_TRUE(Exists(run + "/orvanta.sock"));
    struct stat st {};
    ASSERT_EQ(::stat((run + "/orvanta.sock").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A second copy is refused; commands reach the first.
    EXPECT_EQ(Orvanta(env, {"run"}, Err(1)), 1);
    EXPECT_NE(ReadFile(Err(1)).find("Orvanta for Outlook is already active"), std::string::npos);
    // What a command did is said on standard output, a refusal on standard error.
    auto said = [&](int n) { return ReadFile(Err(n) + ".out") + ReadFile(Err(n)); };
    EXPECT_EQ(Orvanta(env, {"style", "green"}, Err(2)), 0) << ReadFile(Err(2));
    EXPECT_EQ(said(2), "The style is now green.\n");
    ASSERT_TRUE(WaitRoot([&](const auto& r) { return r != ours && r != userRoot; }, 5000));
    const std::vector<uint32_t> green = Root();
    EXPECT_EQ(Orvanta(env, {"hide"}, Err(3)), 0) << ReadFile(Err(3));
    EXPECT_EQ(said(3), "The data are hidden: the desktop shows the bare picture.\n");
    EXPECT_TRUE(WaitRoot([&](const auto& r) { return r == userRoot; }, 3000));
    EXPECT_EQ(Orvanta(env, {"hide"}, Err(4)), 0); // hiding what is hidden changes nothing
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(Root(), userRoot);
    EXPECT_EQ(Orvanta(env, {"show"}, Err(5)), 0);
    EXPECT_EQ(said(5), "The data are shown on the desktop again.\n");
    EXPECT_TRUE(WaitRoot([&](const auto& r) { return r == green; }, 3000));
    // Presenting: every subject drawn as "Busy" at once, and the same picture again when off.
    EXPECT_EQ(Orvanta(env, {"presenting", "on"}, Err(9)), 0) << ReadFile(Err(9));
    EXPECT_EQ(said(9), "Presenting: every subject is drawn as \"Busy\" until \"orvanta presenting off\".\n");
    EXPECT_TRUE(WaitRoot([&](const auto& r) { return r != green && r != userRoot; }, 5000)) << "not redrawn";
    EXPECT_EQ(Orvanta(env, {"presenting", "off"}, Err(9)), 0) << ReadFile(Err(9));
    EXPECT_EQ(said(9), "Presenting is off: the subjects are drawn again.\n");
    EXPECT_TRUE(WaitRoot([&](const auto& r) { return r == green; }, 5000)) << "the subjects did not come back";
    const struct {
        std::vector<std::string> args;
        int rc;
        const char* said;
    } refused[] = {
        {{"style", "purple"}, 2, "orvanta: style takes one value: blue, green or brown, not \"purple\"\n"},
        {{"style"}, 2, "orvanta: style takes one value: blue, green or brown\n"},
        {{"new", "meeting"}, 2, "orvanta: new takes one value: appointment, task or mail, not \"meeting\"\n"},
        {{"presenting"}, 2, "orvanta: presenting takes one value: on or off\n"},
        // The running copy has no pop-up window to open: said, never a silent "ok".
        {{"popup"}, 1, "orvanta: the Linux program has no pop-up window; the desktop shows the data\n"},
    };
    for (const auto& r : refused) {
        EXPECT_EQ(Orvanta(env, r.args, Err(6)), r.rc) << r.args[0];
        EXPECT_EQ(said(6), r.said);
    }
    EXPECT_EQ(Root(), green);

    EXPECT_EQ(Orvanta(env, {"exit"}, Err(7)), 0);
    EXPECT_EQ(p.WaitExit(), 0) << ReadFile(Err(0));
    EXPECT_EQ(Root(), userRoot);
    EXPECT_FALSE(Exists(run + "/orvanta.sock"));
    for (const char* command : {"refresh", "hide", "show"}) {
        EXPECT_EQ(Orvanta(env, {command}, Err(8)), 1) << command;
        EXPECT_EQ(said(8), "orvanta: Orvanta for Outlook is not running.\n") << command;
    }
}

// The root window's X resources (RESOURCE_MANAGER), as xrdb and the desktops set
// them; empty: none.
void SetXResources(const std::string& display, const std::string& resources) {
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    if (resources.empty())
        xcb_delete_property(c, root, XCB_ATOM_RESOURCE_MANAGER);
    else
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 8,
                            static_cast<uint32_t>(resources.size()), resources.data());
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // the server has done it
    xcb_disconnect(c);
}

// The panel is drawn at the desktop's scale: Xft.dpi among the root's X resources
// (192 is 200 %), else the monitor's physical size (Xvfb's is 96 DPI or so): the side
// bar's Outlook button, 120 x 32 at 100 %, grows with it.
TEST_F(Daemon, ThePanelIsDrawnAtTheDesktopsScale) {
    env.erase("ORVANTA_SCREEN"); // the display's own monitors and resources
    const struct {
        const char* resources;
        int width, height;
    } cases[] = {{"", 120, 32},
                 {"Xcursor.size:\t24\nXft.dpi:\t192\nXft.antialias:\t1\n", 240, 64},
                 {"Xft.dpi: 144\n", 180, 48},
                 {"Xft.dpi:\t120.5\n", 150, 40},
                 {"Xft.dpi:\t96\n", 120, 32}};
    for (const auto& c : cases) {
        SetXResources(display.Name(), c.resources);
        ASSERT_EQ(Orvanta(env, {"regions"}, Err(1)), 0) << ReadFile(Err(1));
        std::istringstream lines(ReadFile(Err(1) + ".out"));
        int found = 0;
        for (std::string line; std::getline(lines, line);) {
            if (line.find("open Outlook\"") == std::string::npos) continue;
            int l = 0, t = 0, r = 0, b = 0;
            ASSERT_EQ(std::sscanf(line.c_str(), "%*s %d,%d-%d,%d", &l, &t, &r, &b), 4) << line;
            EXPECT_EQ(r - l, c.width) << c.resources << line;
            EXPECT_EQ(b - t, c.height) << c.resources << line;
            EXPECT_LE(r, kW) << line;
            ++found;
        }
        EXPECT_EQ(found, 1) << c.resources;
    }
    SetXResources(display.Name(), "");
}

// Two RandR monitors side by side on the X server (xrandr --setmonitor), the left one
// primary: every region lies on it, the side bar runs down its right edge; when the
// right one becomes the primary, the running program moves the side bar there within
// 2 s, with no restart.
TEST_F(Daemon, ThePanelIsOnThePrimaryMonitorAndFollowsTheMonitors) {
    env.erase("ORVANTA_SCREEN"); // the display's own monitors
    auto xrandr = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--display", display.Name()});
        return RunToEnd("/usr/bin/xrandr", {}, args, Err(9) + ".out", Err(9));
    };
    // A picture of one colour: where the screens put it does not matter, only the panel shows.
    WriteBmp(user, kW, kH, 0x205080, 0x205080);
    ::setenv("DISPLAY", display.Name().c_str(), 1);
    std::string error;
    ASSERT_TRUE(CPosixWallpaperPort::SetRootWindow(user, 0, error)) << error;
    ::unsetenv("DISPLAY");
    ASSERT_EQ(xrandr({"--setmonitor", "*left", "512/135x600/170+0+0", "screen"}), 0) << ReadFile(Err(9));
    ASSERT_EQ(xrandr({"--setmonitor", "right", "512/135x600/170+512+0", "none"}), 0) << ReadFile(Err(9));

    ASSERT_EQ(Orvanta(env, {"regions"}, Err(1)), 0) << ReadFile(Err(1));
    std::istringstream lines(ReadFile(Err(1) + ".out"));
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        int l = 0, t = 0, r = 0, b = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%*s %d,%d-%d,%d", &l, &t, &r, &b), 4) << line;
        EXPECT_TRUE(l >= 0 && r <= 512 && t >= 0 && b <= 600) << line;
        ++count;
    }
    EXPECT_GT(count, 20);

    const std::vector<uint32_t> userRoot = Root();
    ASSERT_EQ(userRoot.size(), static_cast<size_t>(kW) * kH);
    // Below the header, right of the calendar: the column of each monitor.
    const size_t leftColumn = static_cast<size_t>(300) * kW + 505, rightColumn = static_cast<size_t>(300) * kW + 1017;
    ChildProgram p(ORVANTA_PROGRAM, env, Err(0));
    ASSERT_TRUE(p.WaitReady()) << ReadFile(Err(0));
    ASSERT_TRUE(WaitRoot([&](const auto& r) { return r[leftColumn] != userRoot[leftColumn]; }, 5000)) << ReadFile(Err(0));
    EXPECT_EQ(Root()[rightColumn], userRoot[rightColumn]);

    ASSERT_EQ(xrandr({"--delmonitor", "left"}), 0);
    ASSERT_EQ(xrandr({"--delmonitor", "right"}), 0);
    ASSERT_EQ(xrandr({"--setmonitor", "left", "512/135x600/170+0+0", "none"}), 0);
    ASSERT_EQ(xrandr({"--setmonitor", "*right", "512/135x600/170+512+0", "screen"}), 0);
    const auto changed = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitRoot(
        [&](const auto& r) { return r[rightColumn] != userRoot[rightColumn] && r[leftColumn] == userRoot[leftColumn]; },
        2000))
        << ReadFile(Err(0));
    std::printf("the side bar moved %lld ms after the monitors changed\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - changed)
                                           .count()));
    EXPECT_EQ(Orvanta(env, {"exit"}, Err(2)), 0) << ReadFile(Err(2));
    EXPECT_EQ(p.WaitExit(10000), 0);
}

TEST_F(Daemon, KeepOnExitLeavesOurPicture) {
    {
        ChildProgram p(ORVANTA_PROGRAM, env, Err(0));
        ASSERT_TRUE(p.WaitReady());
        ::kill(p.Pid(), SIGTERM);
        ASSERT_EQ(p.WaitExit(), 0);
    }
    std::string reg = ReadFile(config + "/orvanta/HKEY_CURRENT_USER.reg");
    const std::string flag = "\"KeepOnExit\"=\"FALSE\"";
    ASSERT_NE(reg.find(flag), std::string::npos);
    reg.replace(reg.find(flag), flag.size(), "\"KeepOnExit\"=\"TRUE\"");
    WriteFile(config + "/orvanta/HKEY_CURRENT_USER.reg", reg);
    const std::vector<uint32_t> userRoot = Root();
    ChildProgram p(ORVANTA_PROGRAM, env, Err(1));
    ASSERT_TRUE(p.WaitReady());
    ASSERT_TRUE(WaitRoot([&](const auto& r) { return r != userRoot; }, 5000));
    const std::vector<uint32_t> ours = Root();
    ::kill(p.Pid(), SIGTERM);
    ASSERT_EQ(p.WaitExit(), 0);
    EXPECT_EQ(Root(), ours);
}

} // namespace

namespace {

// "Refresh" at its least (5 s): an unchanged store leaves the picture alone; an
// appointment added to the store file is drawn within one period.
TEST_F(Daemon, AChangedStoreIsDrawnWithinOnePeriodAndAnUnchangedOneNever) {
    const std::string store = dir.Path() + "/store.json";
    std::string json = ReadFile(ORVANTA_SOURCE_DIR "/examples/sample-store.json");
    WriteFile(store, json);
    env["ORVANTA_STORE"] = store;
    std::string reg = ReadFile(config + "/orvanta/HKEY_CURRENT_USER.reg");
    reg += "[HKEY_CURRENT_USER\\Software\\Kestrova\\Orvanta for Outlook\\3.5]\n\"Refresh\"=dword:00000005\n\n";
    WriteFile(config + "/orvanta/HKEY_CURRENT_USER.reg", reg);
    auto modified = [this] {
        struct stat st {};
        if (::stat(output.c_str(), &st) != 0) return -1LL;
        return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    };
    ChildProgram p(ORVANTA_PROGRAM, env, Err(0));
    ASSERT_TRUE(p.WaitReady());
    for (int i = 0; i < 50 && modified() < 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const long long first = modified();
    ASSERT_GE(first, 0) << ReadFile(Err(0));
    ASSERT_TRUE(WaitRoot([&](const auto&) { return display.RootPixmap() != 0; }, 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const uint32_t shown = display.RootPixmap();
    const std::vector<uint32_t> shownPixels = Root();
    std::this_thread::sleep_for(std::chrono::milliseconds(2 * 5000 + 500));
    EXPECT_EQ(modified(), first); // two periods, nothing new
    EXPECT_EQ(display.RootPixmap(), shown);

    const std::string marker = "\"appointments\": [";
    const size_t at = json.find(marker);
    ASSERT_NE(at, std::string::npos);
    json.insert(at + marker.size(),
                R"({"subject": "Added while running", "start": "today 16:00", "end": "today 16:30"},)");
    WriteFile(store, json);
    const auto changedAt = std::chrono::steady_clock::now();
    bool redrawn = false;
    while (!redrawn && std::chrono::steady_clock::now() - changedAt < std::chrono::milliseconds(5000 + 1500)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        redrawn = modified() != first;
    }
    EXPECT_TRUE(redrawn) << ReadFile(Err(0));
    // ... and shown: the root has a new picture, and what it shows is different (the
    // new appointment in the panel) while the user's picture around it is the same.
    EXPECT_TRUE(WaitRoot([&](const auto&) { return display.RootPixmap() != shown; }, 2000));
    EXPECT_TRUE(WaitRoot([&](const auto& r) { return r != shownPixels; }, 2000));
    const std::vector<uint32_t> changedPixels = Root();
    ASSERT_EQ(changedPixels.size(), shownPixels.size());
    EXPECT_EQ(changedPixels[0], shownPixels[0]);
    ::kill(p.Pid(), SIGTERM);
    EXPECT_EQ(p.WaitExit(), 0);
}

} // namespace

namespace {

TEST(PosixWallpaperSetter, TheUsersCommandComesFirstAndGetsThePicture) {
    TempDir dir;
    CMemoryRegistry registry;
    ScopedPort<IRegistryPort> withRegistry(registry);
    const std::string picture = dir.Path() + "/our picture.bmp";
    WriteFile(picture, "BM not really");
    ::setenv("ORVANTA_WALLPAPER_COMMAND", ("cp \"$1\" '" + dir.Path() + "/shown.bmp'").c_str(), 1);
    EXPECT_EQ(CPosixWallpaperPort::ChosenSetter(), "command");
    CPosixWallpaperPort port;
    EXPECT_NE(port.CreateActiveDesktop(), 0); // no Active Desktop here
    EXPECT_TRUE(port.SystemSet(picture, 0));
    EXPECT_EQ(ReadFile(dir.Path() + "/shown.bmp"), "BM not really");
    RegValue v;
    ASSERT_EQ(registry.Tree(RegRoot::CurrentUser).QueryValue("Control Panel\\Desktop", "Wallpaper", v), 0);
    EXPECT_EQ(v.AsText(), picture);
    // A command that fails is a failed set.
    ::setenv("ORVANTA_WALLPAPER_COMMAND", "exit 3", 1);
    EXPECT_FALSE(port.SystemSet(picture, 0));
    ::unsetenv("ORVANTA_WALLPAPER_COMMAND");

    // Without a desktop and a display there is nothing to set it with.
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    ::unsetenv("DISPLAY");
    ::setenv("XDG_CURRENT_DESKTOP", "", 1);
    EXPECT_EQ(CPosixWallpaperPort::ChosenSetter(), "");
    ::setenv("DISPLAY", ":1234", 1);
    EXPECT_EQ(CPosixWallpaperPort::ChosenSetter(), "x11");
    if (display) ::setenv("DISPLAY", saved.c_str(), 1);
    else ::unsetenv("DISPLAY");

    EXPECT_EQ(port.NameOnDisk(picture), "our picture.bmp");
    EXPECT_EQ(port.NameOnDisk(dir.Path() + "/missing.bmp"), "");
    ::setenv("ORVANTA_TEST_FOLDER", "/srv/pics", 1);
    EXPECT_EQ(port.ExpandEnvironment("%ORVANTA_TEST_FOLDER%/a.bmp"), "/srv/pics/a.bmp");
    EXPECT_EQ(port.ExpandEnvironment("%NO_SUCH_NAME_HERE%/a.bmp"), "%NO_SUCH_NAME_HERE%/a.bmp");
    EXPECT_EQ(port.ExpandEnvironment("100%"), "100%");
}

TEST(PosixWallpaperSetter, TheRootWindowRefusesWhatItCannotShow) {
    TempDir dir;
    std::string error;
    WriteFile(dir.Path() + "/bad.bmp", "BM");
    EXPECT_FALSE(CPosixWallpaperPort::SetRootWindow(dir.Path() + "/bad.bmp", 0, error));
    EXPECT_EQ(error, "not a BMP file");
    EXPECT_FALSE(CPosixWallpaperPort::SetRootWindow(dir.Path() + "/missing.bmp", 0, error));
}

TEST_F(Daemon, InstallAutostartWritesTheEntry) {
    EXPECT_EQ(Orvanta(env, {"install-autostart"}, Err(0)), 0) << ReadFile(Err(0));
    const std::string entry = ReadFile(config + "/autostart/orvanta.desktop");
    EXPECT_NE(entry.find("[Desktop Entry]\nType=Application\nName=Orvanta for Outlook\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("Exec=\"" ORVANTA_PROGRAM "\" run\n"), std::string::npos) << entry;
    // A configuration folder that is a file: said, and nothing half written.
    auto broken = env;
    broken["XDG_CONFIG_HOME"] = dir.Path() + "/user.bmp";
    EXPECT_EQ(Orvanta(broken, {"install-autostart"}, Err(1)), 1);
    EXPECT_NE(ReadFile(Err(1)).find("cannot be written"), std::string::npos) << ReadFile(Err(1));
}

} // namespace

namespace {

TEST_F(Daemon, SettingsCommandIsTakenOverByTheRunningCopyAtOnce) {
    ChildProgram p(ORVANTA_PROGRAM, env, Err(0));
    ASSERT_TRUE(p.WaitReady()) << ReadFile(Err(0));
    const std::string reg = config + "/orvanta/HKEY_CURRENT_USER.reg";
    const std::vector<uint32_t> userRoot = Root();
    ASSERT_TRUE(WaitRoot([&](const auto& r) { return r != userRoot; }, 5000)) << ReadFile(Err(0));
    const std::vector<uint32_t> blue = Root();
    const std::string bluePicture = ReadFile(output);
    const std::string settingsBefore = ReadFile(reg);

    // Refused: the message, a failed exit, the file and the picture as they were.
    EXPECT_EQ(Orvanta(env, {"settings", "Refresh", "4"}, Err(1)), 1);
    EXPECT_EQ(ReadFile(Err(1)), "orvanta: Refresh: Please enter an integer between 5 and 3600.\n");
    EXPECT_EQ(ReadFile(reg), settingsBefore);

    // Taken: saved, and the running copy draws the green style well before its next
    // refresh tick (20 s).
    EXPECT_EQ(Orvanta(env, {"settings", "Orvanta style", "1"}, Err(2)), 0) << ReadFile(Err(2));
    EXPECT_NE(ReadFile(reg).find("\"Orvanta style\"=dword:00000001\n"), std::string::npos);
    EXPECT_TRUE(WaitRoot([&](const auto& r) { return r != blue; }, 5000)) << ReadFile(Err(0));
    EXPECT_NE(ReadFile(output), bluePicture);

    // The running copy keeps the new value: its own save on the way out does not undo it.
    EXPECT_EQ(Orvanta(env, {"exit"}, Err(3)), 0);
    EXPECT_EQ(p.WaitExit(), 0) << ReadFile(Err(0));
    EXPECT_NE(ReadFile(reg).find("\"Orvanta style\"=dword:00000001\n"), std::string::npos);
}

} // namespace

namespace {

// The pixel at (x, y) of a 24-bit bottom-up BMP, 0x00RRGGBB; 0xFFFFFFFF when unreadable.
uint32_t BmpPixel(const std::string& path, int x, int y) {
    const std::string f = ReadFile(path);
    if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return 0xFFFFFFFFu;
    auto le = [&f](size_t at) {
        return static_cast<uint32_t>(static_cast<unsigned char>(f[at])) |
               static_cast<uint32_t>(static_cast<unsigned char>(f[at + 1])) << 8 |
               static_cast<uint32_t>(static_cast<unsigned char>(f[at + 2])) << 16 |
               static_cast<uint32_t>(static_cast<unsigned char>(f[at + 3])) << 24;
    };
    const uint32_t offset = le(10), w = le(18), h = le(22);
    const size_t at = offset + static_cast<size_t>(h - 1 - y) * ((w * 3 + 3) & ~3u) + static_cast<size_t>(x) * 3;
    if (f.size() < at + 3) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(static_cast<unsigned char>(f[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(f[at + 1])) << 8 |
           static_cast<unsigned char>(f[at]);
}

// A GNOME session against the real gsettings, its settings in a keyfile of the
// test's own configuration folder: nothing outside the test changes.
class GnomeDaemon : public Daemon {
protected:
    static constexpr const char* kSchema = "org.gnome.desktop.background";
    void SetUp() override {
        Daemon::SetUp();
        ::unlink((config + "/orvanta/HKEY_CURRENT_USER.reg").c_str()); // a fresh install: nothing remembered
        env["XDG_CURRENT_DESKTOP"] = "ubuntu:GNOME";
        env["GSETTINGS_BACKEND"] = "keyfile";
        ::mkdir((dir.Path() + "/my pictures").c_str(), 0700);
        userPicture = dir.Path() + "/my pictures/user.bmp";
        ::rename(user.c_str(), userPicture.c_str());
        WriteBmp(dir.Path() + "/my pictures/user-dark.bmp", kW, kH, 0x101010, 0x202020);
        // As the desktop's settings write them: percent-encoded URIs, a dark variant.
        userUri = "'file://" + dir.Path() + "/my%20pictures/user.bmp'";
        userDarkUri = "'file://" + dir.Path() + "/my%20pictures/user-dark.bmp'";
        Set("picture-uri", userUri);
        Set("picture-uri-dark", userDarkUri);
        Set("picture-options", "'zoom'");
        ourUri = "'file://" + dir.Path() + "/data/Kestrova/Orvanta%20for%20Outlook/orvanta.bmp'";
    }
    std::string Get(const std::string& key) {
        const std::string out = dir.Path() + "/gsettings.out";
        RunToEnd("/usr/bin/gsettings", env, {"get", kSchema, key}, out, "");
        std::string v = ReadFile(out);
        while (!v.empty() && v.back() == '\n') v.pop_back();
        return v;
    }
    void Set(const std::string& key, const std::string& value) {
        ASSERT_EQ(RunToEnd("/usr/bin/gsettings", env, {"set", kSchema, key, value}, "", ""), 0) << key;
    }
    // Waits until both picture keys hold uri and the options are as given.
    bool Shows(const std::string& uri, const std::string& dark, const std::string& options, int ms = 8000) {
        return WaitFor([&] { return Get("picture-uri") == uri && Get("picture-uri-dark") == dark &&
                                    Get("picture-options") == options; },
                       ms);
    }
    std::string Said() { return "picture-uri " + Get("picture-uri") + ", dark " + Get("picture-uri-dark") +
                                ", options " + Get("picture-options"); }
    std::string userPicture, userUri, userDarkUri, ourUri;
};

TEST_F(GnomeDaemon, LearnsRestoresAndAdoptsTheUsersPictureThroughGsettings) {
    ASSERT_EQ(Get("picture-uri"), userUri) << "gsettings with the keyfile backend does not work here";
    {
        ChildProgram p(ORVANTA_PROGRAM, env, Err(0));
        ASSERT_TRUE(p.WaitReady()) << ReadFile(Err(0));
        // Installed on both keys; drawn over the user's picture read from the desktop,
        // not over the desktop colour, though the settings file was empty.
        ASSERT_TRUE(Shows(ourUri, ourUri, "'centered'")) << Said() << ReadFile(Err(0));
        EXPECT_EQ(BmpPixel(output, 0, 0), 0x205080u);
        EXPECT_EQ(BmpPixel(output, 40, 0), 0x802050u);

        // hide and show: the user's setting back exactly, then ours again.
        EXPECT_EQ(Orvanta(env, {"hide"}, Err(1)), 0) << ReadFile(Err(1));
        EXPECT_TRUE(Shows(userUri, userDarkUri, "'zoom'")) << Said();
        EXPECT_EQ(Orvanta(env, {"show"}, Err(2)), 0) << ReadFile(Err(2));
        EXPECT_TRUE(Shows(ourUri, ourUri, "'centered'")) << Said();

        // The user chooses another picture while the data are shown, as the desktop's
        // settings do it (both keys): it becomes the background at the next check.
        const std::string forest = dir.Path() + "/forest.bmp";
        WriteBmp(forest, kW, kH, 0x306030, 0x603030);
        Set("picture-uri", "'file://" + forest + "'");
        Set("picture-uri-dark", "'file://" + forest + "'");
        EXPECT_TRUE(WaitFor([&] { return BmpPixel(output, 0, 0) == 0x306030u; }, 15000)) << ReadFile(Err(0));
        EXPECT_TRUE(Shows(ourUri, ourUri, "'centered'")) << Said();

        // exit puts the user's choice back, with the user's options.
        EXPECT_EQ(Orvanta(env, {"exit"}, Err(3)), 0);
        EXPECT_EQ(p.WaitExit(), 0) << ReadFile(Err(0));
        EXPECT_EQ(Said(), "picture-uri 'file://" + forest + "', dark 'file://" + forest + "', options 'zoom'");
    }
    // Back to the first picture; then a crash while ours is shown.
    Set("picture-uri", userUri);
    Set("picture-uri-dark", userDarkUri);
    {
        ChildProgram p(ORVANTA_PROGRAM, env, Err(4));
        ASSERT_TRUE(p.WaitReady()) << ReadFile(Err(4));
        ASSERT_TRUE(Shows(ourUri, ourUri, "'centered'")) << Said() << ReadFile(Err(4));
        ::kill(p.Pid(), SIGKILL);
        EXPECT_EQ(p.WaitExit(), -SIGKILL);
    }
    EXPECT_EQ(Get("picture-uri"), ourUri); // left behind by the crash
    ::unlink(output.c_str());
    {
        // The start after it finds its own picture on the desktop: the user's is the one
        // the settings file remembers, and exit puts it back exactly.
        ChildProgram p(ORVANTA_PROGRAM, env, Err(5));
        ASSERT_TRUE(p.WaitReady()) << ReadFile(Err(5));
        EXPECT_TRUE(WaitFor([&] { return BmpPixel(output, 0, 0) == 0x205080u; }, 8000)) << ReadFile(Err(5));
        EXPECT_EQ(Orvanta(env, {"exit"}, Err(6)), 0);
        EXPECT_EQ(p.WaitExit(), 0) << ReadFile(Err(5));
        EXPECT_TRUE(Shows(userUri, userDarkUri, "'zoom'", 0)) << Said() << ReadFile(config + "/orvanta/HKEY_CURRENT_USER.reg");
        EXPECT_EQ(ReadFile(Err(5)).find("wallpaper could not"), std::string::npos) << ReadFile(Err(5));
    }
}

} // namespace
