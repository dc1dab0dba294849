// The whole panel over the sample week with the real canvas, the real artwork and a
// real locale of each build: both views, the three styles, 12- and 24-hour times,
// English and German, the pop-up picture, and a month of full days with long
// subjects. Each picture goes as a PNG into $ORVANTA_RENDER_DIR for a person to look
// at, together with digests of the parts no font touches (header, strips, the icon
// month, the regions of buttons and days), which the test run compares between the
// two builds. The same panels on monitors at 150 and 200 % with as many more pixels,
// the pictures drawn at those scales.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "FakePorts.h"
#include "SampleStore.h"
#include "TempFolder.h"
#include "app/OrvantaDoc.h"
#include "outlook/store/SubstituteOutlook.h"
#include "outlook/store/StorePort.h"
#include "render/Composer.h"
#include "render/DataPanel.h"
#include "render/MemWallPaper.h"
#include "render/DayRegion.h"
#include "render/HeaderRegion.h"
#include "render/ImageLayer.h"
#include "render/PngWriter.h"
#include "render/SurfaceOps.h"
#include "settings/Settings.h"
#include "util/LocaleValues.h"
#include "util/PanelScale.h"

namespace {

const char* kRoot = "Software\\Kestrova\\Orvanta for Outlook\\3.5";

#ifdef _WIN32
const char* kEnglish = "en-US";
const char* kGerman = "de-DE";
#else
const char* kEnglish = "en_US.UTF-8";
const char* kGerman = "de_DE.UTF-8";
#endif

std::string RenderDir() {
    const char* folder = std::getenv("ORVANTA_RENDER_DIR");
    return folder && *folder ? folder : "";
}

struct RenderCase {
    const char* name;
    bool central;
    int style;
    int timeStyle; // 0 the locale's clock, 1 24 hours, 2 12 hours
    bool german;
    bool busyMonth = false;
    bool scripts = false; // subjects and a folder name in Greek, Cyrillic, Chinese and emoji
    int privateItems = -1; // the sample week with private items, "Private Items" as given
    bool presenting = false;
    bool highContrast = false; // the system's high-contrast scheme (black) on
    int scale = 0;             // the monitor's scale (0: 96 DPI as before)
    int width = 0, height = 0; // a screen of these pixels whatever the scale, its column a fifth of it
};

// The sample week with a private and a confidential appointment today and a private task.
std::string PrivateStore() {
    std::string json = kSampleStoreJson;
    const std::string appointments = "\"appointments\": [";
    json.insert(json.find(appointments) + appointments.size(),
                R"({"subject": "Doctor: blood test results", "start": "today 08:00", "end": "today 08:30", "sensitivity": 2},
                   {"subject": "Merger talks with Halvorsen", "start": "today 16:30", "end": "today 17:30", "sensitivity": 3},)");
    const std::string tasks = "\"tasks\": [";
    json.insert(json.find(tasks) + tasks.size(),
                R"({"subject": "File the divorce papers", "due": "today", "created": "today-1", "sensitivity": 2},)");
    return json;
}

// A week of 32 appointments a day (more than a day shows) and 40 more tasks, all with
// long subjects, beside the sample's folders and tasks: far more than the panel holds.
std::string BusyStore() {
    std::string json = kSampleStoreJson;
    std::string appointments;
    for (int day = 0; day < 7; ++day)
        for (int i = 0; i < 32; ++i) {
            char item[400];
            std::snprintf(item, sizeof item,
                          R"({"subject": "Appointment %d of day %d with a subject far too long for one line of the column, so that it wraps over several", "start": "today+%d %02d:%02d", "end": "today+%d %02d:%02d", "reminder": %s},)",
                          i + 1, day, day, 7 + i / 4, (i % 4) * 15, day, 7 + i / 4, (i % 4) * 15 + 10,
                          i % 3 ? "false" : "true");
            appointments += item;
        }
    const std::string key = "\"appointments\": [";
    json.insert(json.find(key) + key.size(), appointments);
    std::string tasks;
    for (int i = 0; i < 40; ++i) {
        char item[400];
        std::snprintf(item, sizeof item,
                      R"({"subject": "Task %d with a subject long enough to wrap over two or three lines of the task column", "due": "today+%d", "created": "today-%d", "importance": %d},)",
                      i + 1, i % 9, i + 1, i % 3);
        tasks += item;
    }
    const std::string taskKey = "\"tasks\": [";
    json.insert(json.find(taskKey) + taskKey.size(), tasks);
    return json;
}

const char* kScriptsFolder = "Ενημερωτικά · Рассылки · 新闻通讯 · Rundbriefe";

// The sample week with subjects and a folder's name in other scripts.
std::string ScriptsStore() {
    std::string json = kSampleStoreJson;
    const std::string appointments = "\"appointments\": [";
    json.insert(json.find(appointments) + appointments.size(),
                R"({"subject": "Συνάντηση με την ομάδα για τον προϋπολογισμό του επόμενου έτους", "start": "today 08:00", "end": "today 08:30"},
                   {"subject": "Встреча с командой по бюджету на следующий год и планирование", "start": "today 08:30", "end": "today 09:00"},
                   {"subject": "预算会议：讨论明年的计划和团队的目标以及每个季度的安排", "start": "today 10:00", "end": "today 10:30"},
                   {"subject": "Family dinner 👨‍👩‍👧 🍝 👍🏽 — café déjà vu", "start": "today 19:00", "end": "today 21:00"},)");
    const std::string tasks = "\"tasks\": [";
    json.insert(json.find(tasks) + tasks.size(),
                R"({"subject": "年度报告的最终审阅与提交给董事会之前的所有修改", "due": "today+1", "created": "today-1"},)");
    const std::string newsletters = "\"name\": \"Newsletters\"";
    json.replace(json.find(newsletters), newsletters.size(), std::string("\"name\": \"") + kScriptsFolder + "\"");
    return json;
}

class PanelRender : public ::testing::TestWithParam<RenderCase> {
protected:
    void SetUp() override {
        UseScreen(kWidth, kHeight);
        system.desktopColor = MakeColorref(46, 74, 107);
    }
    void UseScreen(int width, int height) { system.screen = ScreenMetrics{1, 0, 0, width, height, width, height, width}; }

    static constexpr int kWidth = 1600, kHeight = 900;
    FakeSystemPort system;
    CMemoryRegistry registry;
    FakeUiPort ui;
    StorePort port;
    ScopedPort<ISystemPort> withScreen{system};
    ScopedPort<IRegistryPort> withRegistry{registry};
    ScopedPort<IDialogPort> withDialogs{ui};
    ScopedPort<IAutomationPort> withStore{port};
    TempFolder dir;
};

std::uint32_t Crc(const PixelSurface& s, int x, int y, int w, int h) {
    uLong crc = crc32(0L, Z_NULL, 0);
    for (int row = y; row < y + h; ++row)
        for (int col = x; col < x + w; ++col) {
            const Colorref c = SurfaceOps::At(s, col, row);
            const Bytef px[3] = {static_cast<Bytef>(c), static_cast<Bytef>(c >> 8), static_cast<Bytef>(c >> 16)};
            crc = crc32(crc, px, 3);
        }
    return static_cast<std::uint32_t>(crc);
}

TEST_P(PanelRender, SampleWeek) {
    const RenderCase& c = GetParam();
    std::string error;
    const COleDateTime today(2026, 12, 7, 0, 0, 0);
    port.store = CSubstituteOutlook::Load(c.busyMonth        ? BusyStore()
                                          : c.scripts        ? ScriptsStore()
                                          : c.privateItems >= 0 ? PrivateStore()
                                                             : std::string(kSampleStoreJson),
                                          today.m_dt, error);
    ASSERT_TRUE(port.store) << error;

    // A display at 150 or 200 % has as many more pixels (1600 x 900 at 100 %), and its
    // monitor says so by its DPI, which the panel follows.
    const int percent = c.scale ? c.scale : 100;
    const int width = c.width ? c.width : kWidth * percent / 100, height = c.height ? c.height : kHeight * percent / 100;
    UseScreen(width, height);
    if (c.scale) {
        const Rect whole = Rect::FromSize(0, 0, width, height);
        system.monitors = {MonitorInfo{whole, whole, true, 96 * percent / 100}};
    }
    CSettings s(kRoot);
    s.Open();
    s.m_centralView = c.central;
    s.m_sideBarWidth = c.width ? c.width / 5 : 360;
    s.m_timeStyle = c.timeStyle;
    s.ApplyStyle(c.style);
    s.m_privateItems = std::max(c.privateItems, 0);
    if (c.highContrast) {
        // Windows' "High Contrast Black": black window, white text, cyan highlight, green grey text.
        system.highContrast = HighContrastColors{MakeColorref(0, 0, 0), MakeColorref(255, 255, 255),
                                                 MakeColorref(26, 235, 255), MakeColorref(63, 242, 63)};
        s.m_transparency = 60; // ignored in the scheme: the panel is drawn opaque
    }
    if (c.busyMonth) {
        const char* kTodayKey = "Software\\Microsoft\\Office\\16.0\\Outlook\\Today\\";
        registry.Tree(RegRoot::CurrentUser).CreateKey(kTodayKey);
        registry.Tree(RegRoot::CurrentUser).SetValue(kTodayKey, "CalDays", RegValue::Text("7"));
    }
    if (c.scripts) {
        const char* kFolders = "Software\\Microsoft\\Office\\16.0\\Outlook\\Today\\Folders";
        auto& hkcu = registry.Tree(RegRoot::CurrentUser);
        hkcu.CreateKey(kFolders);
        hkcu.SetValue(kFolders, "0", RegValue::Text("Personal Folders\\Inbox"));
        hkcu.SetValue(kFolders, "1", RegValue::Text(std::string("Personal Folders\\Inbox\\") + kScriptsFolder));
        hkcu.SetValue(kFolders, "2", RegValue::Text("Personal Folders\\Drafts"));
    }
    COrvantaDoc doc(s);
    doc.m_clock = [] { return COleDateTime(2026, 12, 7, 10, 30, 0); };
    doc.SetPresenting(c.presenting);
    ASSERT_TRUE(doc.Engine().EnsureConnected());
    ASSERT_TRUE(doc.RefreshData());
    if (c.privateItems >= 0) {
        // What the agenda and the picture show of the private items.
        std::vector<std::string> today;
        for (int i = 0; i < doc.Day(0).GetCount(); ++i) today.push_back(doc.Day(0).GetAt(i).GetSubject());
        const bool masked = std::count(today.begin(), today.end(), "Private appointment") == 2;
        const bool shown = std::count(today.begin(), today.end(), "Doctor: blood test results") == 1;
        const bool busy = std::count(today.begin(), today.end(), "Busy") == static_cast<long>(today.size());
        const bool merger = std::count(today.begin(), today.end(), "Merger talks with Halvorsen") == 1;
        EXPECT_EQ(merger, c.privateItems == 0 && !c.presenting) << c.name;
        if (c.privateItems == 2) {
            EXPECT_EQ(today.size(), 5u) << "the sample's own five stay";
        }
        EXPECT_EQ(shown, c.privateItems == 0 && !c.presenting) << c.name;
        EXPECT_EQ(masked, c.privateItems == 1 && !c.presenting) << c.name;
        EXPECT_EQ(busy, c.presenting) << c.name;
    }
    if (c.scripts) {
        ASSERT_EQ(doc.Folders().GetCount(), 3);
        EXPECT_EQ(doc.Folders().GetAt(1).GetName(), kScriptsFolder);
    }
    if (c.busyMonth) {
        ASSERT_EQ(s.m_outlook.m_calDays, 7);
        EXPECT_EQ(doc.Day(3).GetCount(), 30); // the cap of a day
        EXPECT_GE(doc.Tasks().GetCount(), 40);
    }

    const CLocaleValues locale = LocaleValues(c.german ? kGerman : kEnglish);
    ASSERT_EQ(locale.m_monthNames[11], c.german ? "Dezember" : "December") << "locale missing on this machine";
    CComposer& composer = doc.Composer();
    composer.SetOutputPath(dir.File("orvanta.bmp"));
    composer.SetPanelPainter([&](CMemWallPaper& data, CRegionList& regions) {
        PanelData panel;
        panel.now = doc.m_clock();
        panel.days = std::span<const CAppointments>(&doc.Day(0), static_cast<size_t>(s.m_outlook.m_calDays));
        panel.tasks = &doc.Tasks();
        panel.folders = &doc.Folders();
        panel.locale = &locale;
        CDataPanel::Draw(data, regions, panel);
    });
    ASSERT_TRUE(composer.Compose(doc.Folders().GetCount()));
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes[0].text;

    auto source = IS40_OpenFileSource(composer.OutputPath());
    int w = 0, h = 0;
    RgbBuffer rgb = source ? IS40_ReadBMP(source.get(), w, h) : nullptr;
    ASSERT_TRUE(rgb);
    IS40_CloseSource(std::move(source));
    std::vector<std::uint8_t> pixels(static_cast<size_t>(w) * h * 4);
    const PixelSurface out{pixels.data(), w, h, w * 4};
    ASSERT_TRUE(IS40_DrawRGB(out, {rgb.get(), static_cast<size_t>(w) * h * 3}, w, h, w * 3, 0, 0));

    // Every item the data holds that lies in view has a region; the panel is not empty;
    // no region reaches past the panel onto the bare desktop.
    const CRegionList& regions = composer.Regions();
    const Rect panelRect = Rect::FromSize(composer.OriginX(), composer.OriginY(), composer.Layout().geometry.panelWidth,
                                          composer.Layout().geometry.panelHeight);
    int days = 0, headers = 0, items = 0;
    for (size_t i = 0; i < regions.GetCount(); ++i) {
        const CActiveRegion& r = regions.GetAt(i);
        if (dynamic_cast<const CDayRegion*>(&r)) ++days;
        else if (dynamic_cast<const CHeaderRegion*>(&r)) ++headers;
        else ++items;
        const Rect& b = r.Bounds();
        EXPECT_FALSE(b.IsEmpty()) << r.Describe();
        EXPECT_EQ(b.Intersect(panelRect), b)
            << r.Describe() << " at " << b.left << ',' << b.top << ',' << b.right << ',' << b.bottom
            << " outside the panel " << panelRect.left << ',' << panelRect.top << ',' << panelRect.right << ','
            << panelRect.bottom;
    }
    EXPECT_GE(days, 31);
    EXPECT_GE(headers, 2);
    EXPECT_GT(items, doc.Folders().GetCount());

    // Where the panel shows nothing but the style's own colours it is not the desktop.
    const StyleGeometry& g = composer.Layout().geometry;
    const int ox = composer.OriginX(), oy = composer.OriginY();
    const Colorref desktop = system.desktopColor;
    EXPECT_NE(SurfaceOps::At(out, ox + g.calendar.left + 3, oy + g.calendar.bottom - 3), desktop);
    if (c.highContrast) {
        // The blocks in the window colour, opaque over the picture, the subjects in the text colour.
        EXPECT_TRUE(composer.Layout().highContrast);
        const Rect& a = g.appointments;
        EXPECT_EQ(SurfaceOps::At(out, ox + a.right - 4, oy + a.top + 200), MakeColorref(0, 0, 0));
        EXPECT_EQ(SurfaceOps::At(out, ox + g.calendar.left + 3, oy + g.calendar.bottom - 3), MakeColorref(0, 0, 0))
            << "the calendar's picture gives way to the window colour";
        int text = 0;
        for (int y = oy + a.top; y < oy + a.top + 120; ++y)
            for (int x = ox + a.left; x < ox + a.right; ++x) {
                const Colorref p = SurfaceOps::At(out, x, y);
                text += (p & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && ((p >> 16) & 0xFF) > 200;
            }
        EXPECT_GT(text, 100) << "white text on black";
    }

    const std::string folder = RenderDir();
    if (folder.empty()) return;
    const std::string base = folder + "/panel-" + c.name;
    EXPECT_TRUE(WritePng(out, base + ".png")) << base;
    composer.ComposePopup(); // as a pop-up that opens has it drawn
    if (CMemDC* popup = composer.PopupSurface(); popup && c.timeStyle == 0 && !c.busyMonth) {
        EXPECT_TRUE(WritePng(popup->Pixels(), base + "-popup.png"));
    }

    // What no font touches, for the comparison of the builds.
    const PanelLayout& L = composer.Layout();
    EXPECT_EQ(L.scale, percent);
    std::ostringstream digest;
    auto area = [&](const char* what, int x, int y, int aw, int ah) {
        digest << c.name << ' ' << what << ' ' << x << ',' << y << ' ' << aw << 'x' << ah << ' ' << std::hex
               << Crc(out, x, y, aw, ah) << std::dec << '\n';
    };
    area("outlook-button", ox + g.header.x, oy + g.header.y, L.Px(120), L.Px(32));
    const auto cpx = [&](int v) { return CPanelScale::Length(v, L.calendarScale); }; // the calendar's own scale
    area("icon-month", ox + g.calendar.left + g.currentMonth.x, oy + g.calendar.top + g.currentMonth.y + cpx(36),
         cpx(266), cpx(288) - cpx(36));
    if (!c.central)
        area("appointment-strip", ox + g.appointments.left, oy + g.appointments.top + L.Px(5), g.appointments.Width(),
             L.Px(26));
    for (size_t i = 0; i < regions.GetCount(); ++i) {
        const CActiveRegion& r = regions.GetAt(i);
        const auto* header = dynamic_cast<const CHeaderRegion*>(&r);
        const auto* day = dynamic_cast<const CDayRegion*>(&r);
        // Header buttons, and the days of the icon month (32 pixels square at 100 %).
        const Rect& b = r.Bounds();
        if ((header && header->GetKind() >= 3) || (day && b.Width() == cpx(32)))
            digest << c.name << " region " << b.left << ',' << b.top << ',' << b.right << ',' << b.bottom << ' '
                   << r.Describe() << '\n';
    }
    std::ofstream(folder + "/panel-digest-" + c.name + ".txt", std::ios::binary) << digest.str();
}

// The side bar's panel spans the screen, but its data surfaces hold only the column
// and the calendar. Wherever the calendar lies (beside the column, placed over it and
// so moved beside it, over it where no room is left beside it, half off the screen, not
// shown), the wallpaper is the whole panel drawn on one surface of the
// screen's size and blended onto the desktop colour, and the regions are the same.
TEST_F(PanelRender, SideBarPiecesGiveTheWholePanelsPixelsAndRegions) {
    std::string error;
    port.store = CSubstituteOutlook::Load(kSampleStoreJson, COleDateTime(2026, 12, 7, 0, 0, 0).m_dt, error);
    ASSERT_TRUE(port.store) << error;
    CSettings s(kRoot);
    s.Open();
    s.m_centralView = false;
    s.m_sideBarWidth = 360;
    s.ApplyStyle(1);
    COrvantaDoc doc(s);
    doc.m_clock = [] { return COleDateTime(2026, 12, 7, 10, 30, 0); };
    ASSERT_TRUE(doc.Engine().EnsureConnected());
    ASSERT_TRUE(doc.RefreshData());
    const CLocaleValues locale = LocaleValues(kEnglish);
    const CComposer::PanelPainter painter = [&](CMemWallPaper& data, CRegionList& regions) {
        PanelData panel;
        panel.now = doc.m_clock();
        panel.days = std::span<const CAppointments>(&doc.Day(0), static_cast<size_t>(s.m_outlook.m_calDays));
        panel.tasks = &doc.Tasks();
        panel.folders = &doc.Folders();
        panel.locale = &locale;
        CDataPanel::Draw(data, regions, panel);
    };
    CComposer& composer = doc.Composer();
    composer.SetOutputPath(dir.File("orvanta.bmp"));
    composer.SetPanelPainter(painter);
    struct Place {
        const char* what;
        int x, y;
        bool shown;
        int rightMargin = 0;
    } places[] = {{"beside the column", 500, 300, true},
                  {"placed over the column", kWidth - 400, 200, true},
                  {"over the column, no room beside it", 100, 200, true, 1000},
                  {"half off the screen", -150, 600, true},
                  {"not shown", 500, 300, false}};
    for (const Place& place : places) {
        s.m_sideBarCalPosX = place.x;
        s.m_sideBarCalPosY = place.y;
        s.m_showCalendar = place.shown;
        s.m_rightMarginBlank = place.rightMargin;
        ASSERT_TRUE(composer.Compose(doc.Folders().GetCount())) << place.what;
        auto source = IS40_OpenFileSource(composer.OutputPath());
        int w = 0, h = 0;
        RgbBuffer rgb = source ? IS40_ReadBMP(source.get(), w, h) : nullptr;
        ASSERT_TRUE(rgb) << place.what;
        ASSERT_EQ(w, kWidth);

        const PanelLayout layout = composer.Layout();
        if (place.rightMargin)
            EXPECT_EQ(layout.geometry.calendar.left, place.x) << "no room beside the column: where it was put";
        else
            EXPECT_LE(layout.geometry.calendar.right, layout.geometry.header.x) << place.what;
        CMemWallPaper whole(PortOrNull<ICanvasFactory>(), layout.geometry.panelWidth, layout.geometry.panelHeight, s,
                            layout, layout.keyColor);
        whole.SetPanelOrigin(composer.OriginX(), composer.OriginY());
        CRegionList regions;
        painter(whole, regions);
        std::vector<std::uint8_t> pixels(static_cast<size_t>(kWidth) * kHeight * 4);
        const PixelSurface expected{pixels.data(), kWidth, kHeight, kWidth * 4};
        SurfaceOps::Fill(expected, {0, 0, kWidth, kHeight}, system.desktopColor);
        SurfaceOps::BlendKeyed(expected, composer.OriginX(), composer.OriginY(), whole.Pixels(), layout.keyColor,
                               255 - s.m_transparency * 255 / 100);
        int differing = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
                differing += SurfaceOps::At(expected, x, y) != MakeColorref(p[0], p[1], p[2]);
            }
        EXPECT_EQ(differing, 0) << place.what;
        ASSERT_EQ(regions.GetCount(), composer.Regions().GetCount()) << place.what;
        for (size_t i = 0; i < regions.GetCount(); ++i)
            EXPECT_EQ(regions.GetAt(i).Describe() + " " + std::to_string(regions.GetAt(i).Bounds().left) + "," +
                          std::to_string(regions.GetAt(i).Bounds().top),
                      composer.Regions().GetAt(i).Describe() + " " +
                          std::to_string(composer.Regions().GetAt(i).Bounds().left) + "," +
                          std::to_string(composer.Regions().GetAt(i).Bounds().top))
                << place.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Views, PanelRender,
    ::testing::Values(RenderCase{"sidebar-blue-12h-en", false, 0, 0, false},
                      RenderCase{"sidebar-green-12h-en", false, 1, 0, false},
                      RenderCase{"sidebar-brown-12h-en", false, 2, 0, false},
                      RenderCase{"central-blue-12h-en", true, 0, 0, false},
                      RenderCase{"central-green-12h-en", true, 1, 0, false},
                      RenderCase{"central-brown-12h-en", true, 2, 0, false},
                      RenderCase{"central-blue-24h-de", true, 0, 0, true},
                      RenderCase{"sidebar-brown-24h-de", false, 2, 1, true},
                      RenderCase{"sidebar-green-12h-de", false, 1, 2, true},
                      RenderCase{"central-green-24h-en", true, 1, 1, false},
                      RenderCase{"sidebar-blue-busy-month", false, 0, 1, false, true},
                      RenderCase{"central-blue-busy-month", true, 0, 0, false, true},
                      RenderCase{"central-green-busy-month", true, 1, 1, false, true},
                      RenderCase{"central-brown-busy-month", true, 2, 1, false, true},
                      RenderCase{"sidebar-blue-scripts", false, 0, 1, false, false, true},
                      RenderCase{"central-blue-scripts", true, 0, 1, false, false, true},
                      RenderCase{"sidebar-blue-private-0", false, 0, 1, false, false, false, 0},
                      RenderCase{"sidebar-blue-private-1", false, 0, 1, false, false, false, 1},
                      RenderCase{"sidebar-blue-private-2", false, 0, 1, false, false, false, 2},
                      RenderCase{"sidebar-blue-presenting", false, 0, 1, false, false, false, 0, true},
                      RenderCase{"central-blue-high-contrast", true, 0, 1, false, false, false, -1, false, true},
                      RenderCase{"sidebar-green-high-contrast", false, 1, 1, false, false, false, -1, false, true},
                      RenderCase{"central-blue-scale-150", true, 0, 0, false, false, false, -1, false, false, 150},
                      RenderCase{"central-blue-scale-200", true, 0, 0, false, false, false, -1, false, false, 200},
                      RenderCase{"sidebar-green-scale-150", false, 1, 0, false, false, false, -1, false, false, 150},
                      RenderCase{"sidebar-brown-scale-200", false, 2, 1, false, false, false, -1, false, false, 200},
                      // A small screen at 200 %: the calendar beside the column without its small months.
                      RenderCase{"sidebar-blue-scale-200-1024", false, 0, 1, false, false, false, -1, false, false, 200,
                                 1024, 768},
                      RenderCase{"central-brown-scale-150", true, 2, 1, true, false, false, -1, false, false, 150}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (ch == '-') ch = '_';
        return n;
    });

} // namespace
