// The settings sheet's "Calendars" page without its window: what an entry adds (its
// kind told from what it names) or why it is refused, the rows the list shows (a
// feed's secret masked, Outlook's row first when it is installed), what the selected
// row allows, and Apply, which writes the list only when it was edited. Real files and
// folders in a temporary folder; the registry in memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FakePorts.h"
#include "TempFolder.h"
#include "settings/CalendarsPage.h"
#include "settings/Settings.h"
#include "settings/SettingsSheetModel.h"
#include "settings/SourceEntry.h"

namespace {

const char* kRoot = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
using C = CCalendarsPage;
using K = CCalendarSource::Kind;

class CalendarsPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.File("cals"));
        for (const char* sub : {"cur", "new", "tmp"}) std::filesystem::create_directories(dir.File("Mail/") + sub);
        std::ofstream(dir.File("Holidays.ics")) << "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n";
    }
    CRegistryTree& Hkcu() { return env.registry.Tree(RegRoot::CurrentUser); }
    std::string Key(int i) { return std::string(kRoot) + "\\Sources\\" + std::to_string(i); }
    std::string Value(int i, const char* name) {
        RegValue v;
        return Hkcu().QueryValue(Key(i), name, v) == 0 ? v.AsText() : "(missing)";
    }

    FakeEnvironment env;
    TempFolder dir;
};

// Each entry in turn on one page: added as the kind it names with the row the list then
// shows, or refused with the message the user reads and the list unchanged.
TEST_F(CalendarsPageTest, EntriesAreAddedByWhatTheyNameOrRefusedWithWhy) {
    const std::string secret = "MTIzNDU2Nzg5MTIzNDU2N4XbYqA3Zz_kq9Tt";
    const std::string feed = "webcal://p52-caldav.icloud.com/published/2/" + secret;
    struct Case {
        std::string entry;
        bool added;
        std::string text; // the new row, or the message
    } cases[] = {
        {" " + feed + "\n", true,
         "p52-caldav.icloud.com\tFeed\tYes\twebcal://p52-caldav.icloud.com/published/2/MTIz\xE2\x80\xA6"},
        {dir.File("cals") + "/", true, "cals\tFolder\tYes\t" + dir.File("cals")},
        {dir.File("Mail"), true, "Mail\tMaildir\tYes\t" + dir.File("Mail")},
        {dir.File("Holidays.ics"), true, "Holidays\tFile\tYes\t" + dir.File("Holidays.ics")},
        // The same calendar again, in another spelling.
        {dir.File("cals/../Holidays.ics"), false, "That calendar is in the list already, as \"Holidays\"."},
        {"https://p52-caldav.icloud.com/published/2/" + secret, false,
         "That calendar is in the list already, as \"p52-caldav.icloud.com\"."},
        {"ftp://jane:pw@example.org/x.ics", false,
         "ftp://\xE2\x80\xA6@example.org/x.ics is no http, https or webcal address; only those are read as feeds."},
        {dir.File("nothing.ics"), false, "There is no file or folder \"" + dir.File("nothing.ics") + "\"."},
        {"   ", false, "There is no address or file name to add."},
    };
    CSettings settings(kRoot);
    C page;
    page.Init(settings, true);
    for (const Case& c : cases) {
        const std::vector<std::string> before = page.Rows();
        int row = -1;
        std::string message;
        ASSERT_EQ(page.Add(c.entry, row, message), c.added) << c.entry << ": " << message;
        if (c.added) {
            ASSERT_EQ(row, page.RowCount() - 1) << c.entry;
            EXPECT_EQ(page.Rows()[static_cast<size_t>(row)], c.text) << c.entry;
            EXPECT_TRUE(message.empty()) << message;
        } else {
            EXPECT_EQ(message, c.text) << c.entry;
            EXPECT_EQ(page.Rows(), before) << c.entry;
        }
        EXPECT_EQ(page.Rows().front(), "Outlook\tOutlook\tYes\tCalendar, tasks and mail folders");
        for (const std::string& r : page.Rows()) EXPECT_EQ(r.find(secret.substr(4)), std::string::npos) << r;
    }
    EXPECT_EQ(page.Sources().back().kind, K::File);
    EXPECT_EQ(page.Sources().front().location, feed) << "the whole address is kept";
    EXPECT_TRUE(page.SourcesEdited());
}

// The buttons follow the selected row: Outlook's row can be neither hidden nor removed;
// without Outlook installed the list starts with the first source.
TEST_F(CalendarsPageTest, OutlooksRowIsFixedAndTheButtonsFollowTheSelection) {
    CSettings settings(kRoot);
    settings.m_sources = {{K::Feed, "https://jane:pw@cal.example.org/a.ics", "", true},
                          {K::File, "C:\\Users\\jane\\Work.ICS", "", false}};
    struct Case {
        bool outlook;
        int row;
        bool showEnabled, removeEnabled, shown;
        int source;
    } cases[] = {
        {true, -1, false, false, false, -1}, {true, 0, false, false, true, -1}, {true, 1, true, true, true, 0},
        {true, 2, true, true, false, 1},     {true, 3, false, false, false, -1}, {false, 0, true, true, true, 0},
        {false, 1, true, true, false, 1},    {false, 2, false, false, false, -1},
    };
    for (const Case& c : cases) {
        C page;
        page.Init(settings, c.outlook);
        const std::string at = (c.outlook ? "with Outlook, row " : "without Outlook, row ") + std::to_string(c.row);
        EXPECT_EQ(page.RowCount(), c.outlook ? 3 : 2) << at;
        EXPECT_EQ(page.IsEnabled(C::kShow, c.row), c.showEnabled) << at;
        EXPECT_EQ(page.IsEnabled(C::kRemove, c.row), c.removeEnabled) << at;
        EXPECT_TRUE(page.IsEnabled(C::kAdd, c.row)) << at;
        EXPECT_EQ(page.Shown(c.row), c.shown) << at;
        EXPECT_EQ(page.SourceIndex(c.row), c.source) << at;
        // Only a source's row changes; nothing else marks the list edited.
        EXPECT_EQ(page.SetShown(c.row, !c.shown), c.source >= 0) << at;
        EXPECT_EQ(page.Remove(c.row), c.source >= 0) << at;
        EXPECT_EQ(page.SourcesEdited(), c.source >= 0) << at;
    }
    C page;
    page.Init(settings, false);
    // Names taken from the locations: the host without the user's password, the file's
    // name without its extension.
    EXPECT_EQ(page.Rows(), (std::vector<std::string>{"cal.example.org\tFeed\tYes\thttps://\xE2\x80\xA6@cal.example.org/a.ics",
                                                     "Work\tFile\tNo\tC:\\Users\\jane\\Work.ICS"}));
    // A name of the user's own goes first, a tab in it made a blank.
    EXPECT_EQ(C::DisplayName({K::Folder, "/home/jane/cals/", "Team\tA", true}), "Team\tA");
    EXPECT_EQ(C::DisplayName({K::Folder, "/home/jane/cals/", "", true}), "cals");
    settings.m_sources[0].name = "Team\tA";
    page.Init(settings, false);
    EXPECT_EQ(page.Rows()[0].substr(0, 7), "Team A\t");
}

// Apply writes the list only after an edit: opening and applying the sheet leaves a
// list that another process changed meanwhile alone. After an edit the registry holds
// the list as the page shows it, and the running program reads and draws again.
TEST_F(CalendarsPageTest, ApplyWritesTheListOnlyWhenItWasEdited) {
    CSettings settings(kRoot);
    settings.Open();
    settings.m_sources = {{K::File, dir.File("Holidays.ics"), "Holidays", true},
                          {K::Feed, "https://cal.example.org/team.ics", "Team", true}};
    ASSERT_TRUE(settings.SaveSources());

    CSettingsSheetModel model;
    model.Init(settings, false, true, 1920, 1080, true);
    // Another process adds a third source while the sheet is open.
    Hkcu().CreateKey(Key(2));
    Hkcu().SetValue(Key(2), "Kind", RegValue::Text("Folder"));
    Hkcu().SetValue(Key(2), "Location", RegValue::Text(dir.File("cals")));
    const std::vector<ApplyStep> steps = model.Apply(settings, &env.registry);
    EXPECT_EQ(Value(2, "Kind"), "Folder") << "a sheet without an edit wrote the list";
    EXPECT_NE(std::find(steps.begin(), steps.end(), ApplyStep::ReadAndRecompose), steps.end());

    settings.LoadSources();
    ASSERT_EQ(settings.m_sources.size(), 3u);
    model.Init(settings, false, true, 1920, 1080, true);
    C& page = model.Calendars();
    ASSERT_TRUE(page.SetShown(1, false)); // Holidays (row 0 is Outlook's)
    ASSERT_TRUE(page.Remove(2));          // Team
    int row = -1;
    std::string message;
    ASSERT_TRUE(page.Add("webcal://cal.example.org/new.ics", row, message)) << message;
    model.Apply(settings, &env.registry);
    const std::pair<int, std::vector<std::string>> expected[] = {
        {0, {"File", dir.File("Holidays.ics"), "Holidays", "FALSE"}},
        {1, {"Folder", dir.File("cals"), "", "TRUE"}},
        {2, {"Feed", "webcal://cal.example.org/new.ics", "", "TRUE"}},
    };
    for (const auto& [i, v] : expected) {
        EXPECT_EQ(Value(i, "Kind"), v[0]) << i;
        EXPECT_EQ(Value(i, "Location"), v[1]) << i;
        EXPECT_EQ(Value(i, "Show"), v[3]) << i;
        EXPECT_EQ(Value(i, "Name"), v[2]) << i;
    }
    EXPECT_FALSE(Hkcu().KeyExists(Key(3)));
    EXPECT_EQ(settings.m_sources.size(), 3u) << "the running program's list is the new one";
    EXPECT_FALSE(page.SourcesEdited());
    EXPECT_FALSE(page.IsModified());
}

// The shared rule of both places that add a source: the same feed under webcal and
// https, and a full list.
TEST_F(CalendarsPageTest, AFullListTakesNoMore) {
    std::vector<CCalendarSource> list;
    for (int i = 0; i < 64; ++i) list.push_back({K::Feed, "https://h/" + std::to_string(i) + ".ics", "", true});
    EXPECT_EQ(CSourceEntry::Add(list, "webcal://h/7.ics").outcome, CSourceEntry::Outcome::Duplicate);
    EXPECT_EQ(CSourceEntry::Add(list, "webcal://h/7.ics").duplicateOf, 7);
    EXPECT_EQ(CSourceEntry::Add(list, "https://h/64.ics").outcome, CSourceEntry::Outcome::Full);
    EXPECT_EQ(list.size(), 64u);
    C page;
    CSettings settings(kRoot);
    settings.m_sources = list;
    page.Init(settings, false);
    int row = -1;
    std::string message;
    EXPECT_FALSE(page.Add("https://h/64.ics", row, message));
    EXPECT_EQ(message, "The list holds 64 calendars already, as many as are kept. Remove one first.");
}

} // namespace
