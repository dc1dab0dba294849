// The system wallpaper rules over the in-memory registry and a recording setter.
#include <gtest/gtest.h>

#include <fstream>

#include "FakePorts.h"
#include "TempFolder.h"
#include "../TwoColourBmp.h"
#include "desktop/WallpaperSlices.h"
#include "render/ImageLayer.h"
#include "desktop/ActiveWallpaper.h"
#include "system/Registry.h"
#include "settings/Settings.h"

namespace {

constexpr const char* kRoot = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
constexpr const char* kOutput = "c:\\users\\tester\\appdata\\roaming\\kestrova\\orvanta for outlook\\orvanta.bmp";

class ActiveWallpaperTest : public ::testing::Test {
protected:
    void SetUp() override { settings.Open(); }
    void Desktop(const std::string& name, const std::string& value) {
        Write(CActiveWallpaper::kDesktopKey, name, value);
    }
    void General(const std::string& name, const std::string& value) {
        Write(CActiveWallpaper::kGeneralKey, name, value);
    }
    void Write(const char* key, const std::string& name, const std::string& value) {
        std::unique_ptr<IRegistryKey> k;
        ASSERT_EQ(env.registry.CreateKey(RegRoot::CurrentUser, key, "", k), 0);
        ASSERT_EQ(k->SetValue(name, RegValue::Text(value)), 0);
    }
    std::string Stored(const std::string& name) {
        RegValue v;
        if (env.registry.Tree(RegRoot::CurrentUser).QueryValue(kRoot, name, v) != 0) return "<missing>";
        return v.AsText();
    }
    FakeEnvironment env;
    CSettings settings{kRoot};
    CActiveWallpaper wallpaper{settings};
};

TEST_F(ActiveWallpaperTest, ReadsTheSystemConfiguration) {
    // No key at all: empty paths and style 0.
    auto sys = wallpaper.ReadSystemWallpaper();
    EXPECT_EQ(sys.wallpaper, "");
    EXPECT_EQ(sys.style, 0);

    Desktop("Wallpaper", "%SystemRoot%\\Web\\bliss.bmp");
    Desktop("WallpaperStyle", "2");
    Desktop("TileWallpaper", "0");
    sys = wallpaper.ReadSystemWallpaper();
    EXPECT_EQ(sys.wallpaper, "C:\\Windows\\Web\\bliss.bmp");
    EXPECT_EQ(sys.picture, sys.wallpaper);
    EXPECT_EQ(sys.style, 2);

    Desktop("WallpaperStyle", "0");
    Desktop("TileWallpaper", "1");
    EXPECT_EQ(wallpaper.ReadSystemWallpaper().style, 1);
    Desktop("WallpaperStyle", "wide"); // not a number: 0
    EXPECT_EQ(wallpaper.ReadSystemWallpaper().style, 1);

    // Internet Explorer's key: its JPEG picture is what the system shows, and its backup.
    General("Wallpaper", "C:\\pics\\beach.JPG");
    General("BackupWallpaper", "C:\\pics\\old.bmp");
    sys = wallpaper.ReadSystemWallpaper();
    EXPECT_EQ(sys.picture, "C:\\pics\\beach.JPG");
    EXPECT_EQ(sys.backup, "C:\\pics\\old.bmp");
    EXPECT_EQ(sys.wallpaper, "C:\\Windows\\Web\\bliss.bmp"); // XP and later keep the desktop value
    General("Wallpaper", "C:\\pics\\beach.gif");
    EXPECT_EQ(wallpaper.ReadSystemWallpaper().picture, "C:\\Windows\\Web\\bliss.bmp");

    // "OriginalWallpaper" present: the other key is not read at all.
    Desktop("OriginalWallpaper", "%SystemRoot%\\Web\\bliss.bmp");
    Desktop("ConvertedWallpaper", "C:\\pics\\converted.bmp");
    sys = wallpaper.ReadSystemWallpaper();
    EXPECT_EQ(sys.picture, "C:\\pics\\converted.bmp");
    EXPECT_EQ(sys.backup, "");
    Desktop("OriginalWallpaper", "C:\\other.bmp"); // not the wallpaper: the converted one is not shown
    EXPECT_EQ(wallpaper.ReadSystemWallpaper().picture, "C:\\Windows\\Web\\bliss.bmp");
}

TEST_F(ActiveWallpaperTest, SetsThroughActiveDesktopOrThePlainCall) {
    // Not available: the plain call alone.
    EXPECT_TRUE(wallpaper.SetWallpaper("C:\\a.bmp", 0));
    EXPECT_EQ(env.wallpaper.sets, std::vector<std::string>{"spi|C:\\a.bmp|0"});
    // Available, applying, but showing nothing (Active Desktop switched off): the plain call follows.
    env.wallpaper.sets.clear();
    env.wallpaper.activeDesktopResult = 0;
    EXPECT_TRUE(wallpaper.SetWallpaper("C:\\b.bmp", 2));
    EXPECT_EQ(env.wallpaper.sets, (std::vector<std::string>{"ad|C:\\b.bmp|2", "spi|C:\\b.bmp|2"}));
    // Available and working: nothing more; a name differing only in case is the same.
    env.wallpaper.sets.clear();
    env.wallpaper.activeDesktopShows = true;
    EXPECT_TRUE(wallpaper.SetWallpaper("C:\\C.bmp", 1));
    EXPECT_EQ(env.wallpaper.sets, std::vector<std::string>{"ad|C:\\C.bmp|1"});
    // A COM error on the way: the plain call does the work.
    env.wallpaper.sets.clear();
    env.wallpaper.activeDesktopThrows = true;
    EXPECT_TRUE(wallpaper.SetWallpaper("C:\\d.bmp", 0));
    EXPECT_EQ(env.wallpaper.sets, (std::vector<std::string>{"ad|C:\\d.bmp|0", "spi|C:\\d.bmp|0"}));
    env.wallpaper.activeDesktopThrows = false;
    // The same name again after the picture was drawn anew, with an object that does
    // not apply (Wine's): the system is told again, or it keeps the old picture.
    env.wallpaper.activeDesktopShows = false;
    env.wallpaper.activeDesktopApplies = false;
    env.wallpaper.sets.clear();
    EXPECT_TRUE(wallpaper.SetWallpaper("C:\\d.bmp", 0));
    EXPECT_EQ(env.wallpaper.sets, (std::vector<std::string>{"ad|C:\\d.bmp|0", "spi|C:\\d.bmp|0"}));
    // ... and with one that applies, the object's own refresh is enough.
    env.wallpaper.activeDesktopShows = true;
    env.wallpaper.activeDesktopApplies = true;
    env.wallpaper.sets.clear();
    EXPECT_TRUE(wallpaper.SetWallpaper("C:\\d.bmp", 0));
    EXPECT_EQ(env.wallpaper.sets, std::vector<std::string>{"ad|C:\\d.bmp|0"});
}

TEST_F(ActiveWallpaperTest, InstallsTiledOverSeveralMonitorsAndNothingWhileHidden) {
    wallpaper.SetOutputPath(kOutput);
    settings.m_hideData = true;
    EXPECT_FALSE(wallpaper.Install());
    EXPECT_TRUE(env.wallpaper.sets.empty());
    settings.m_hideData = false;
    EXPECT_TRUE(wallpaper.Install());
    env.system.screen.monitorCount = 2;
    EXPECT_TRUE(wallpaper.Install());
    EXPECT_EQ(env.wallpaper.sets,
              (std::vector<std::string>{std::string("spi|") + kOutput + "|0", std::string("spi|") + kOutput + "|1"}));
}

TEST_F(ActiveWallpaperTest, CaptureTakesTheUsersPictureAndNeverOurs) {
    Desktop("Wallpaper", "C:\\Pics\\Lake.bmp");
    Desktop("WallpaperStyle", "2");
    Desktop("TileWallpaper", "0");
    wallpaper.Capture(kOutput);
    EXPECT_EQ(settings.m_wallpaper, "c:\\pics\\lake.bmp");
    EXPECT_EQ(settings.m_wpStyle, "2");
    EXPECT_EQ(Stored("Wallpaper"), "c:\\pics\\lake.bmp");
    EXPECT_EQ(Stored("WPStyle"), "2");
    EXPECT_EQ(wallpaper.UserStyle(), 2);
    EXPECT_EQ(wallpaper.DisplayedPicture(), "C:\\Pics\\Lake.bmp");

    // A start while the system still shows our picture (an earlier run ended without
    // restoring): the picture and style of the program's key stay.
    Desktop("Wallpaper", "C:\\Users\\Tester\\AppData\\Roaming\\Kestrova\\Orvanta for Outlook\\orvanta.bmp");
    Desktop("WallpaperStyle", "0");
    CSettings again(kRoot);
    CActiveWallpaper second(again);
    second.Capture(kOutput);
    EXPECT_EQ(again.m_wallpaper, "c:\\pics\\lake.bmp");
    EXPECT_EQ(second.UserStyle(), 2);
    EXPECT_EQ(Stored("Wallpaper"), "c:\\pics\\lake.bmp");

    // A picture named like ours in another folder (a copy with another data folder)
    // is not taken for the user's either.
    Desktop("Wallpaper", "D:\\Old Profile\\ORVANTA.bmp");
    second.Capture(kOutput);
    EXPECT_EQ(again.m_wallpaper, "c:\\pics\\lake.bmp");
    EXPECT_EQ(second.UserStyle(), 2);

    // The key holding our own picture is emptied rather than kept.
    Write(kRoot, "Wallpaper", kOutput);
    second.Capture(kOutput);
    EXPECT_EQ(again.m_wallpaper, "");
    EXPECT_EQ(Stored("Wallpaper"), "");
}

TEST_F(ActiveWallpaperTest, RestorePutsTheUsersPictureBackByItsNameOnDisk) {
    Desktop("Wallpaper", "C:\\Pics\\Lake.bmp");
    Desktop("TileWallpaper", "1");
    wallpaper.Capture(kOutput); // stored lower-cased
    env.wallpaper.files.insert("C:\\Pics\\Lake.bmp");
    env.wallpaper.sets.clear();
    EXPECT_TRUE(wallpaper.Restore());
    EXPECT_EQ(env.wallpaper.sets, std::vector<std::string>{"spi|c:\\pics\\Lake.bmp|1"});
}

TEST_F(ActiveWallpaperTest, AdoptsAWallpaperTheUserSetButNotOurOwnNames) {
    Desktop("Wallpaper", "C:\\Pics\\Lake.bmp");
    wallpaper.Capture(kOutput);
    settings.m_hideData = false;
    Desktop("Wallpaper", kOutput); // installed
    EXPECT_FALSE(wallpaper.AdoptChanged(CActiveWallpaper::Check::Timer));

    Desktop("Wallpaper", "C:\\Pics\\Forest.bmp");
    Desktop("WallpaperStyle", "2");
    EXPECT_TRUE(wallpaper.AdoptChanged(CActiveWallpaper::Check::Timer));
    EXPECT_EQ(settings.m_wallpaper, "c:\\pics\\forest.bmp");
    EXPECT_EQ(wallpaper.UserStyle(), 2);

    // Our picture not shown (the install failed): the user's picture is no news.
    EXPECT_FALSE(wallpaper.AdoptChanged(CActiveWallpaper::Check::Timer));
    EXPECT_FALSE(wallpaper.AdoptChanged(CActiveWallpaper::Check::RefreshTick));

    // The product's own name in any case, or the sibling's, is never the user's.
    for (const char* ours : {"D:\\x\\ORVANTA.bmp", "D:\\x\\orvanta.jpg", "D:\\x\\Corvinel.bmp"}) {
        Desktop("Wallpaper", ours);
        EXPECT_FALSE(wallpaper.AdoptChanged(CActiveWallpaper::Check::Timer)) << ours;
    }
    // At a refresh tick with the data shown only the sibling's name is refused.
    Desktop("Wallpaper", "D:\\x\\Orvanta.bmp");
    EXPECT_TRUE(wallpaper.AdoptChanged(CActiveWallpaper::Check::RefreshTick));
    Desktop("Wallpaper", "D:\\x\\corvinel.bmp");
    EXPECT_FALSE(wallpaper.AdoptChanged(CActiveWallpaper::Check::RefreshTick));

    // While hidden, a change is what the system shows against what it showed.
    settings.m_hideData = true;
    Desktop("Wallpaper", "C:\\Pics\\Forest.bmp");
    EXPECT_TRUE(wallpaper.AdoptChanged(CActiveWallpaper::Check::Timer));
    EXPECT_FALSE(wallpaper.AdoptChanged(CActiveWallpaper::Check::Timer));
    EXPECT_FALSE(wallpaper.AdoptChanged(CActiveWallpaper::Check::RefreshTick));
}

// With the data shown, the check remembers what this program installed and whether
// the system took it, not what the user's picture is: the same picture chosen again
// over ours is a change (at a check and at a data load's capture, and when it lands
// while our install runs), and a picture the system kept when our install failed is
// not, so nothing is redrawn at every tick.
TEST_F(ActiveWallpaperTest, TheSamePictureChosenAgainOverOursIsAChangeAFailedInstallIsNot) {
    const std::string lake = "C:\\Pics\\Lake.bmp";
    Desktop("Wallpaper", lake);
    settings.m_hideData = false;
    settings.Save();
    wallpaper.Capture(kOutput);
    // Before the first install the user's picture on show is known.
    EXPECT_FALSE(wallpaper.AdoptChanged(CActiveWallpaper::Check::Timer));
    EXPECT_FALSE(wallpaper.Capture(kOutput));
    ASSERT_TRUE(wallpaper.Install());
    EXPECT_TRUE(wallpaper.Installed());

    enum Install { Takes, Refused, Ignored }; // Ignored: the call says done, nothing changes
    struct Step {
        const char* what;
        Install install;     // how the system answers our next install
        const char* chosen;  // what the user then sets (null: nothing)
        bool duringInstall;  // set while our install runs, after its call, before it looks
        bool byCapture;      // seen first by a data load's capture, not by a check
        bool change;         // what the first look says
    };
    const Step steps[] = {
        {"the same picture again, at a check", Takes, "C:\\Pics\\Lake.bmp", false, false, true},
        {"the same picture again, at a capture", Takes, "C:\\Pics\\Lake.bmp", false, true, true},
        {"the same picture in other letters", Takes, "c:\\PICS\\lake.BMP", false, false, true},
        {"the same picture again, while ours was being set", Takes, "C:\\Pics\\Lake.bmp", true, false, true},
        {"another picture, while ours was being set", Takes, "C:\\Pics\\Dunes.bmp", true, true, true},
        {"a refused install, the user's picture kept", Refused, nullptr, false, false, false},
        {"another picture after a refused install", Refused, "C:\\Pics\\Forest.bmp", false, false, true},
        {"the same picture after a refused install", Refused, "C:\\Pics\\Forest.bmp", false, true, false},
        {"an ignored install: one more drawing", Ignored, nullptr, false, false, true},
        {"the same ignored install again: no more", Ignored, nullptr, false, false, false},
        {"nothing after our install", Takes, nullptr, false, false, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        env.wallpaper.systemSetFails = step.install == Refused;
        env.wallpaper.systemSetIgnored = step.install == Ignored;
        env.wallpaper.afterSystemSet = nullptr;
        if (step.duringInstall) env.wallpaper.afterSystemSet = [&] { Desktop("Wallpaper", step.chosen); };
        wallpaper.Install();
        EXPECT_EQ(wallpaper.Installed(), step.install == Takes && !step.duringInstall);
        if (step.chosen && !step.duringInstall) Desktop("Wallpaper", step.chosen);
        const bool change = step.byCapture ? wallpaper.Capture(kOutput)
                                           : wallpaper.AdoptChanged(CActiveWallpaper::Check::Timer);
        EXPECT_EQ(change, step.change);
        // Once taken, a change asks for one drawing: neither look reports it again.
        EXPECT_FALSE(wallpaper.AdoptChanged(CActiveWallpaper::Check::Timer));
        EXPECT_FALSE(wallpaper.AdoptChanged(CActiveWallpaper::Check::RefreshTick));
        EXPECT_FALSE(wallpaper.Capture(kOutput));
        if (step.chosen) {
            EXPECT_TRUE(CActiveWallpaper::SamePath(settings.m_wallpaper, step.chosen)) << settings.m_wallpaper;
        }
    }
}

// Where the system keeps a picture for each monitor: two monitors (a smaller one left
// of the primary, at negative x) with their own pictures, spanned by the user. Each
// gets its own part of the composed picture; hiding and a start after a crash put
// each one's own picture back; a change on one monitor is taken for that one only.
TEST_F(ActiveWallpaperTest, APictureForEachMonitorIsKeptInstalledAsPartsAndRestored) {
    TempFolder folder;
    const std::string output = folder.File("orvanta.bmp");
    // The virtual screen: (-64, 0)-(128, 48); the left monitor 64 x 32, the primary 128 x 48.
    env.system.screen = ScreenMetrics{2, -64, 0, 192, 48, 128, 48, 128};
    env.system.monitors = {MonitorInfo{Rect{0, 0, 128, 48}, Rect{0, 0, 128, 40}, true},
                           MonitorInfo{Rect{-64, 0, 0, 32}, Rect{-64, 0, 0, 32}, false}};
    {
        // Bands of 64 pixels: red, green, red from the virtual screen's left edge.
        std::ofstream out(output, std::ios::binary);
        out << TwoColourBmp(192, 48, 0xFF0000, 0x00FF00, 64);
    }
    env.wallpaper.perMonitor = true;
    env.wallpaper.position = 5; // spanned
    env.wallpaper.monitors = {MonitorWallpaper{"\\\\?\\DISPLAY#A", Rect{0, 0, 128, 48}, "C:\\Pics\\Lake.bmp"},
                              MonitorWallpaper{"\\\\?\\DISPLAY#B", Rect{-64, 0, 0, 32}, "C:\\Pics\\Dunes.bmp"}};
    Desktop("Wallpaper", "C:\\Pics\\Dunes.bmp"); // the spanned value names the last one set
    auto users = [&](const CActiveWallpaper& w) {
        std::vector<std::string> out;
        for (const MonitorWallpaper& m : w.UserMonitorPictures()) out.push_back(m.id + "=" + m.picture);
        return out;
    };
    auto shown = [&] {
        std::vector<std::string> out;
        for (const MonitorWallpaper& m : env.wallpaper.monitors) out.push_back(m.id + "=" + m.picture);
        return out;
    };
    const std::string a = "\\\\?\\DISPLAY#A", b = "\\\\?\\DISPLAY#B";
    // Named as the program compares paths (lower-cased where the file system ignores case).
    const std::string folded = CActiveWallpaper::FoldPath(output);
    const std::string partA = CWallpaperSlices::SlicePath(folded, 0), partB = CWallpaperSlices::SlicePath(folded, 1);

    wallpaper.Capture(output);
    ASSERT_TRUE(wallpaper.PerMonitor());
    EXPECT_EQ(users(wallpaper), (std::vector<std::string>{a + "=C:\\Pics\\Lake.bmp", b + "=C:\\Pics\\Dunes.bmp"}));
    // The panel's monitor (the primary) gives the picture drawn under the panel.
    EXPECT_EQ(Stored("Wallpaper"), "C:\\Pics\\Lake.bmp");

    // Installed: each monitor its part (position fill instead of span), never the whole.
    env.wallpaper.sets.clear();
    EXPECT_TRUE(wallpaper.Install());
    EXPECT_TRUE(wallpaper.Installed());
    EXPECT_EQ(env.wallpaper.sets, (std::vector<std::string>{"position|4", "monitor|" + a + "|" + partA,
                                                            "monitor|" + b + "|" + partB}));
    struct Part {
        std::string path;
        int width, height;
        uint32_t left, right; // 0xRRGGBB at the first and last pixel of the top row
    };
    for (const Part& part : {Part{partA, 128, 48, 0x00FF00, 0xFF0000}, Part{partB, 64, 32, 0xFF0000, 0xFF0000}}) {
        SCOPED_TRACE(part.path);
        std::unique_ptr<CImageSource> source = IS40_OpenFileSource(part.path);
        ASSERT_TRUE(source);
        int w = 0, h = 0;
        RgbBuffer px = IS40_ReadBMP(source.get(), w, h);
        ASSERT_TRUE(px);
        EXPECT_EQ(w, part.width);
        EXPECT_EQ(h, part.height);
        auto at = [&](int x) { return uint32_t(px[x * 3]) << 16 | uint32_t(px[x * 3 + 1]) << 8 | px[x * 3 + 2]; };
        EXPECT_EQ(at(0), part.left);
        EXPECT_EQ(at(w - 1), part.right);
    }
    EXPECT_FALSE(wallpaper.AdoptChanged(CActiveWallpaper::Check::Timer)); // our parts are no change

    // Hidden: each monitor its own picture again, spanned as before.
    settings.m_hideData = true;
    env.wallpaper.sets.clear();
    EXPECT_TRUE(wallpaper.Restore());
    EXPECT_EQ(shown(), (std::vector<std::string>{a + "=C:\\Pics\\Lake.bmp", b + "=C:\\Pics\\Dunes.bmp"}));
    EXPECT_EQ(env.wallpaper.position, 5);
    EXPECT_FALSE(wallpaper.AdoptChanged(CActiveWallpaper::Check::Timer));
    settings.m_hideData = false;
    wallpaper.Install();

    // The user sets another picture on the left monitor: taken for that one only, once.
    env.wallpaper.monitors[1].picture = "C:\\Pics\\Forest.bmp";
    EXPECT_TRUE(wallpaper.AdoptChanged(CActiveWallpaper::Check::Timer));
    EXPECT_EQ(users(wallpaper), (std::vector<std::string>{a + "=C:\\Pics\\Lake.bmp", b + "=C:\\Pics\\Forest.bmp"}));
    EXPECT_EQ(settings.m_wallpaper, "C:\\Pics\\Lake.bmp");
    EXPECT_FALSE(wallpaper.AdoptChanged(CActiveWallpaper::Check::RefreshTick));
    // The same picture chosen again over our part is a change too; seen by a data load.
    wallpaper.Install();
    env.wallpaper.monitors[0].picture = "C:\\Pics\\Lake.bmp";
    EXPECT_TRUE(wallpaper.Capture(output));
    EXPECT_FALSE(wallpaper.Capture(output));
    wallpaper.Install();
    EXPECT_EQ(shown(), (std::vector<std::string>{a + "=" + partA, b + "=" + partB}));

    // A start after a crash (or the uninstaller's restore) finds our parts on the
    // monitors and still puts each user's picture back, from the program's key.
    CActiveWallpaper next(settings);
    next.Capture(output);
    EXPECT_EQ(users(next), (std::vector<std::string>{a + "=C:\\Pics\\Lake.bmp", b + "=C:\\Pics\\Forest.bmp"}));
    EXPECT_TRUE(next.Restore());
    EXPECT_EQ(shown(), (std::vector<std::string>{a + "=C:\\Pics\\Lake.bmp", b + "=C:\\Pics\\Forest.bmp"}));
    EXPECT_EQ(env.wallpaper.position, 5);

    // While hidden, a change on the panel's monitor is the picture drawn under the panel.
    settings.m_hideData = true;
    env.wallpaper.monitors[0].picture = "C:\\Pics\\Dunes.bmp";
    EXPECT_TRUE(next.AdoptChanged(CActiveWallpaper::Check::Timer));
    EXPECT_EQ(settings.m_wallpaper, "C:\\Pics\\Dunes.bmp");

    // Without the object (an older system, Wine) the one spanned picture stays.
    env.wallpaper.perMonitor = false;
    settings.m_hideData = false;
    next.Capture(output);
    EXPECT_FALSE(next.PerMonitor());
    env.wallpaper.sets.clear();
    next.Install();
    ASSERT_EQ(env.wallpaper.sets.size(), 1u);
    EXPECT_EQ(env.wallpaper.sets[0].rfind("spi|", 0), 0u) << env.wallpaper.sets[0];

    // Only our own parts' names count as ours.
    for (const auto& [name, ours] : std::vector<std::pair<std::string, bool>>{
             {"C:\\x\\orvanta-monitor-2.bmp", true}, {"C:\\x\\Orvanta-Monitor-12.BMP", true},
             {"C:\\x\\orvanta-monitor-.bmp", false}, {"C:\\x\\orvanta-monitor-2b.bmp", false},
             {"C:\\x\\my-orvanta-monitor-2.bmp", false}})
        EXPECT_EQ(CWallpaperSlices::NamedLikeSlice(name), ours) << name;
}

} // namespace
