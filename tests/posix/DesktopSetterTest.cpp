// The wallpaper port on each Linux desktop, through the desktop's own tool: the real
// xfconf-query on a private session bus, and stand-ins of qdbus and swaymsg that
// check their arguments, keep the desktop's state and answer as the real tools do.
// Each desktop reads the user's picture, shows ours, and gets the user's setting back
// exactly; a tool that is missing or fails is said once and changes nothing.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <sstream>

#include "PosixTestUtil.h"
#include "platform/Platform.h"
#include "platform/common/MemoryRegistry.h"
#include "platform/posix/DesktopSetter.h"
#include "platform/posix/PosixWallpaper.h"

namespace {

// Environment variables set for one test and put back after it.
class ScopedEnv {
public:
    ~ScopedEnv() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second.first) ::setenv(it->first.c_str(), it->second.second.c_str(), 1);
            else ::unsetenv(it->first.c_str());
        }
    }
    void Set(const std::string& name, const std::string& value) {
        Save(name);
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    void Unset(const std::string& name) {
        Save(name);
        ::unsetenv(name.c_str());
    }

private:
    void Save(const std::string& name) {
        const char* v = std::getenv(name.c_str());
        m_saved.push_back({name, {v != nullptr, v ? v : ""}});
    }
    std::vector<std::pair<std::string, std::pair<bool, std::string>>> m_saved;
};

// Runs a program with the test's environment; its standard output.
std::string Output(const std::vector<std::string>& args) {
    TempDir tmp;
    RunToEnd(args[0], {}, std::vector<std::string>(args.begin() + 1, args.end()), tmp.Path() + "/out", "");
    return ReadFile(tmp.Path() + "/out");
}

// qdbus calling Plasma's evaluateScript: the script runs under node against desktops
// kept in $PLASMA_STATE (JSON), with Plasma's scripting objects (desktops(), id,
// wallpaperPlugin, currentConfigGroup, readConfig, writeConfig, print).
constexpr const char* kQdbus = R"(#!/usr/bin/env node
const fs = require('fs');
const a = process.argv.slice(2);
fs.appendFileSync(process.env.PLASMA_LOG, JSON.stringify(a) + '\n');
if (a.length !== 4 || a[0] !== 'org.kde.plasmashell' || a[1] !== '/PlasmaShell' ||
    a[2] !== 'org.kde.PlasmaShell.evaluateScript') {
    process.stderr.write('Error: org.freedesktop.DBus.Error.UnknownMethod\nNo such method\n');
    process.exit(1);
}
const state = JSON.parse(fs.readFileSync(process.env.PLASMA_STATE, 'utf8'));
if (state.fail) { process.stderr.write(state.fail + '\n'); process.exit(2); }
let out = '';
const desktops = () => state.desktops.map(s => {
    const d = { id: s.id, currentConfigGroup: [],
        readConfig(k) { return (s.config[this.currentConfigGroup.join('/')] || {})[k]; },
        writeConfig(k, v) { const g = this.currentConfigGroup.join('/'); (s.config[g] = s.config[g] || {})[k] = String(v); } };
    Object.defineProperty(d, 'wallpaperPlugin', { get() { return s.plugin; }, set(v) { s.plugin = v; } });
    return d;
});
try { new Function('desktops', 'print', a[3])(desktops, t => { out += t; }); }
catch (e) { process.stderr.write('Error: org.freedesktop.DBus.Error.Failed\n' + e + '\n'); process.exit(2); }
fs.writeFileSync(process.env.PLASMA_STATE, JSON.stringify(state, null, 1));
process.stdout.write(out + '\n');
)";

// swaymsg: joins its arguments into one sway command, as the real one does, and
// accepts only "output <name> bg <file> <mode>" for a file it can read; the outputs'
// backgrounds are kept in $SWAY_STATE.
constexpr const char* kSwaymsg = R"(#!/usr/bin/env python3
import json, os, shlex, sys
a = sys.argv[1:]
open(os.environ['SWAY_LOG'], 'a').write(json.dumps(a) + '\n')
if not os.environ.get('SWAYSOCK'):
    print('Unable to retrieve socket path', file=sys.stderr); sys.exit(1)
w = shlex.split(' '.join(a))
if len(w) < 5 or w[0] != 'output' or w[2] not in ('bg', 'background'):
    print('Error: Invalid output subcommand', file=sys.stderr); sys.exit(2)
mode, path = w[-1], os.path.expanduser(os.path.expandvars(' '.join(w[3:-1])))
if mode not in ('stretch', 'fill', 'fit', 'center', 'tile', 'solid_color'):
    print("Error: Missing background scaling mode or invalid", file=sys.stderr); sys.exit(2)
if mode != 'solid_color' and not os.access(path, os.R_OK):
    print("Error: unable to access background file '%s'" % path, file=sys.stderr); sys.exit(2)
f = os.environ['SWAY_STATE']
s = json.load(open(f)) if os.path.exists(f) else {}
s[w[1]] = [path, mode]
json.dump(s, open(f, 'w'), sort_keys=True)
)";

class DesktopSetterTest : public ::testing::Test {
protected:
    void SetUp() override {
        bin = dir.Path() + "/bin";
        ::mkdir(bin.c_str(), 0700);
        ::mkdir((dir.Path() + "/config").c_str(), 0700);
        ::mkdir((dir.Path() + "/Orvanta for Outlook").c_str(), 0700);
        output = dir.Path() + "/Orvanta for Outlook/orvanta.bmp";
        WriteFile(output, "BM ours");
        env.Set("HOME", dir.Path());
        env.Set("XDG_CONFIG_HOME", dir.Path() + "/config");
        env.Set("PATH", bin + ":/usr/bin:/bin");
        env.Set("ORVANTA_WALLPAPER_COMMAND", "");
        env.Unset("SWAYSOCK");
        env.Set("GSETTINGS_BACKEND", "keyfile");
    }
    void Tool(const std::string& name, const std::string& text) {
        WriteFile(bin + "/" + name, text);
        ::chmod((bin + "/" + name).c_str(), 0700);
    }
    std::string Picture(const std::string& name) {
        const std::string p = dir.Path() + "/" + name;
        WriteFile(p, "BM");
        return p;
    }
    // Reads what the user has, shows ours, reads ours, and puts the user's back:
    // the desktop's state (raw) is then exactly what it was.
    // (sway cannot be asked: it still says the user's picture while ours is shown.)
    void RoundTrip(const std::function<std::string()>& raw, const std::string& users, int style,
                   const std::string& ourForm, bool readsOurs = true) {
        std::string path;
        int code = -1;
        ASSERT_TRUE(port.ReadDesktop(path, code));
        EXPECT_EQ(path, users);
        EXPECT_EQ(code, style);
        const std::string before = raw();
        ASSERT_TRUE(port.SystemSet(output, 0)) << said.str();
        EXPECT_NE(raw().find(ourForm), std::string::npos) << raw();
        ASSERT_TRUE(port.ReadDesktop(path, code));
        EXPECT_EQ(path, readsOurs ? output : users);
        ASSERT_TRUE(port.SystemSet(users, style)) << said.str();
        EXPECT_EQ(raw(), before);
        EXPECT_EQ(said.str(), "");
    }
    // SystemSet fails twice, says message once, and leaves raw as it was.
    void Refused(const std::function<std::string()>& raw, const std::string& message) {
        const std::string before = raw();
        EXPECT_FALSE(port.SystemSet(output, 0));
        EXPECT_FALSE(port.SystemSet(output, 0));
        EXPECT_EQ(said.str(), message + "\n");
        EXPECT_EQ(raw(), before);
    }

    TempDir dir;
    ScopedEnv env;
    std::string bin, output;
    CMemoryRegistry registry;
    ScopedPort<IRegistryPort> withRegistry{registry};
    CPosixWallpaperPort port;
    std::ostringstream said;
    struct CerrTo {
        explicit CerrTo(std::ostream& to) : old(std::cerr.rdbuf(to.rdbuf())) {}
        ~CerrTo() { std::cerr.rdbuf(old); }
        std::streambuf* old;
    } cerrTo{said};
};

// XFCE through the real xfconf-query, its daemon started by a private session bus.
class XfceDesktop : public DesktopSetterTest {
protected:
    void SetUp() override {
        DesktopSetterTest::SetUp();
        env.Set("XDG_CURRENT_DESKTOP", "XFCE");
        const std::string out = dir.Path() + "/bus";
        ASSERT_EQ(RunToEnd("/usr/bin/dbus-daemon", {}, {"--session", "--fork", "--print-address=1", "--print-pid=1"},
                           out, dir.Path() + "/bus.err"),
                  0)
            << ReadFile(dir.Path() + "/bus.err");
        std::istringstream lines(ReadFile(out));
        std::string address, pid;
        std::getline(lines, address);
        std::getline(lines, pid);
        busPid = std::atoi(pid.c_str());
        env.Set("DBUS_SESSION_BUS_ADDRESS", address);
    }
    void TearDown() override {
        if (busPid > 0) ::kill(busPid, SIGTERM);
    }
    void Prop(const std::string& property, const char* type, const std::string& value) {
        ASSERT_EQ(RunToEnd("/usr/bin/xfconf-query", {},
                           {"-c", "xfce4-desktop", "-p", property, "-n", "-t", type, "-s", value}, "", ""),
                  0);
    }
    static std::string All() { return Output({"/usr/bin/xfconf-query", "-c", "xfce4-desktop", "-l", "-v"}); }
    int busPid = -1;
};

TEST_F(XfceDesktop, EveryMonitorGetsItsOwnPictureBackAndAChangeOnOneIsKept) {
    const std::string a = Picture("a b.png"), b = Picture("b.png"), c = Picture("c.png");
    const std::string monA = "/backdrop/screen0/monitorDP-1/workspace0/", monB = "/backdrop/screen0/monitorHDMI-1/workspace0/";
    Prop(monA + "last-image", "string", a);
    Prop(monA + "image-style", "int", "5");
    Prop(monB + "last-image", "string", b);
    Prop(monB + "image-style", "int", "2");
    ASSERT_NE(All().find(b), std::string::npos) << "xfconf does not run here";
    EXPECT_EQ(CPosixWallpaperPort::ChosenSetter(), "xfconf-query");
    RoundTrip(All, a, 2, output);

    // The user sets one monitor while ours is shown: that picture is the user's, the
    // other monitor keeps the user's earlier one, and both styles are the user's.
    ASSERT_TRUE(port.SystemSet(output, 0));
    Prop(monB + "last-image", "string", c);
    std::string path;
    int style = -1;
    ASSERT_TRUE(port.ReadDesktop(path, style));
    EXPECT_EQ(path, c);
    ASSERT_TRUE(port.SystemSet(output, 0));
    ASSERT_TRUE(port.SystemSet(c, style));
    EXPECT_EQ(Output({"/usr/bin/xfconf-query", "-c", "xfce4-desktop", "-p", monA + "last-image"}), a + "\n");
    EXPECT_EQ(Output({"/usr/bin/xfconf-query", "-c", "xfce4-desktop", "-p", monB + "last-image"}), c + "\n");
    EXPECT_EQ(Output({"/usr/bin/xfconf-query", "-c", "xfce4-desktop", "-p", monA + "image-style"}), "5\n");
    EXPECT_EQ(Output({"/usr/bin/xfconf-query", "-c", "xfce4-desktop", "-p", monB + "image-style"}), "2\n");
}

TEST_F(DesktopSetterTest, PlasmaDesktopsThroughItsScriptingInterface) {
    env.Set("XDG_CURRENT_DESKTOP", "KDE");
    env.Set("PLASMA_STATE", dir.Path() + "/plasma.json");
    env.Set("PLASMA_LOG", dir.Path() + "/plasma.log");
    Tool("qdbus", kQdbus);
    const std::string a = Picture("a.png"), b = Picture("b.jpg");
    const std::string group = "Wallpaper/org.kde.image/General";
    // Desktop 1 shows a picture, desktop 2 a slide show (its image entry from before).
    WriteFile(dir.Path() + "/plasma.json",
              R"({"desktops": [{"id": 1, "plugin": "org.kde.image", "config": {")" + group + R"(": {"Image": ")" +
                  FileUri(a) + R"(", "FillMode": "6"}}}, {"id": 2, "plugin": "org.kde.slideshow", "config": {")" +
                  group + R"(": {"Image": ")" + b + R"(", "FillMode": "1"}}}]})");
    EXPECT_EQ(CPosixWallpaperPort::ChosenSetter(), "qdbus");
    RoundTrip([&] { return ReadFile(dir.Path() + "/plasma.json"); }, a, 0, FileUri(output));
    EXPECT_NE(ReadFile(dir.Path() + "/plasma.log").find("org.kde.PlasmaShell.evaluateScript"), std::string::npos);

    // Plasma not running: said once, and nothing is set.
    WriteFile(dir.Path() + "/plasma.json", R"({"fail": "Service 'org.kde.plasmashell' does not exist.", "desktops": []})");
    Refused([&] { return ReadFile(dir.Path() + "/plasma.json"); },
            "orvanta: KDE Plasma's wallpaper cannot be changed: qdbus failed (exit 2: Service 'org.kde.plasmashell' does "
            "not exist.). The desktop's own setting is left as it is.");
}

TEST_F(DesktopSetterTest, SwayReadsItsConfigurationAndSetsThroughSwaymsg) {
    env.Set("SWAYSOCK", dir.Path() + "/sway.sock");
    env.Set("XDG_CURRENT_DESKTOP", "");
    env.Set("SWAY_STATE", dir.Path() + "/sway.json");
    env.Set("SWAY_LOG", dir.Path() + "/sway.log");
    Tool("swaymsg", kSwaymsg);
    ::mkdir((dir.Path() + "/Pictures").c_str(), 0700);
    const std::string users = Picture("Pictures/beach.png");
    ::mkdir((dir.Path() + "/config/sway").c_str(), 0700);
    WriteFile(dir.Path() + "/config/sway/config",
              "# user's sway config\nset $wallpaper ~/Pictures/beach.png\noutput * bg $wallpaper fill\n"
              "output HDMI-A-1 resolution 1920x1080\n");
    // What sway shows after reading that configuration.
    WriteFile(dir.Path() + "/sway.json", "{\"*\": [\"" + users + "\", \"fill\"]}");
    EXPECT_EQ(CPosixWallpaperPort::ChosenSetter(), "swaymsg");
    RoundTrip([&] { return ReadFile(dir.Path() + "/sway.json"); }, users, 2, output, false);
    EXPECT_NE(ReadFile(dir.Path() + "/sway.log").find(R"(["output", "*", "bg", "~/Pictures/beach.png fill"])"),
              std::string::npos)
        << ReadFile(dir.Path() + "/sway.log");

    // Without a background in the configuration sway cannot say: the settings file does.
    WriteFile(dir.Path() + "/config/sway/config", "output * resolution 1920x1080\n");
    std::string path;
    int style = -1;
    EXPECT_FALSE(port.ReadDesktop(path, style));

    // swaymsg that cannot reach sway: said once, and nothing is set.
    env.Unset("SWAYSOCK");
    env.Set("XDG_CURRENT_DESKTOP", "sway");
    Refused([&] { return ReadFile(dir.Path() + "/sway.json"); },
            "orvanta: sway's wallpaper cannot be changed: swaymsg failed (exit 1: Unable to retrieve socket path). The "
            "desktop's own setting is left as it is.");
}

TEST_F(DesktopSetterTest, AMissingOrFailingToolIsSaidOnceAndChangesNothing) {
    const std::string users = Picture("user.png");
    auto keyfile = [&] { return ReadFile(dir.Path() + "/config/glib-2.0/settings/keyfile"); };
    env.Set("XDG_CURRENT_DESKTOP", "GNOME");
    ASSERT_EQ(RunToEnd("/usr/bin/gsettings", {}, {"set", "org.gnome.desktop.background", "picture-uri", FileUri(users)},
                       "", ""),
              0);
    // gsettings that refuses the second key: the first is put back.
    Tool("gsettings", "#!/bin/sh\nif [ \"$1\" = set ] && [ \"$3\" = picture-uri-dark ]; then\n"
                      "  echo 'GLib-GIO-Message: the key is not writable' >&2; exit 1\nfi\nexec /usr/bin/gsettings \"$@\"\n");
    Refused(keyfile, "orvanta: GNOME's wallpaper cannot be changed: gsettings failed (exit 1: GLib-GIO-Message: the key "
                     "is not writable). The desktop's own setting is left as it is.");
    said.str("");

    // No gsettings at all (only our own folder on PATH): no fallback to the root window.
    ::unlink((bin + "/gsettings").c_str());
    env.Set("PATH", bin);
    env.Set("XDG_CURRENT_DESKTOP", "X-Cinnamon");
    Refused(keyfile, "orvanta: Cinnamon's wallpaper cannot be changed: gsettings is not installed. The desktop's own "
                     "setting is left as it is.");
    // Reading fails for the same reason: not said again.
    std::string path;
    int style = -1;
    const std::string before = said.str();
    EXPECT_FALSE(port.ReadDesktop(path, style));
    EXPECT_EQ(said.str(), before);
    said.str("");
    env.Set("XDG_CURRENT_DESKTOP", "XFCE");
    Refused(keyfile, "orvanta: XFCE's wallpaper cannot be changed: xfconf-query is not installed. The desktop's own "
                     "setting is left as it is.");
}

// The forms each desktop's tool writes: URIs and GVariant text.
TEST(DesktopSetterForms, UrisAndQuotedTextRoundTrip) {
    const struct {
        const char* path;
        const char* uri;
    } uris[] = {
        {"/home/me/Pictures/a.png", "file:///home/me/Pictures/a.png"},
        {"/tmp/Orvanta for Outlook/orvanta.bmp", "file:///tmp/Orvanta%20for%20Outlook/orvanta.bmp"},
        {"/home/me/été's #1.jpg", "file:///home/me/%C3%A9t%C3%A9%27s%20%231.jpg"},
    };
    for (const auto& u : uris) {
        EXPECT_EQ(FileUri(u.path), u.uri);
        EXPECT_EQ(UriPath(u.uri), u.path);
    }
    EXPECT_EQ(UriPath("file://localhost/srv/a%2fb.png"), "/srv/a/b.png");
    EXPECT_EQ(UriPath("resource:///org/gnome/shell/theme/noise.png"), "resource:///org/gnome/shell/theme/noise.png");
    EXPECT_EQ(UriPath("/plain/path.png"), "/plain/path.png");
}

} // namespace
