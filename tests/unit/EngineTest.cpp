// The engine, the records and the refresh over the substitute Outlook store.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include <cmath>

#include "FakePorts.h"
#include "app/OrvantaDoc.h"
#include "outlook/store/SubstituteOutlook.h"
#include "settings/Settings.h"
#include "platform/Platform.h"
#include "outlook/store/StoreFilter.h"
#include "util/LocaleValues.h"

namespace {

const char* kRoot = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
const char* kToday = "Software\\Microsoft\\Office\\16.0\\Outlook\\Today\\";

class StorePort : public IAutomationPort {
public:
    std::shared_ptr<CSubstituteOutlook> store;
    std::vector<long> failures; // result codes of the first attempts
    int attempts = 0;
    long CreateOutlook(AutoObjectPtr& app) override {
        ++attempts;
        if (!failures.empty()) {
            long rc = failures.front();
            failures.erase(failures.begin());
            return rc;
        }
        if (store && !store->Running()) return AutoCode::ServerExecFailed; // Outlook not started yet
        app = store ? store->Application() : nullptr;
        return store ? 0 : AutoCode::ClassNotRegistered;
    }
    bool StartOle() override { return true; }
    void StopOle() override {}
    std::string ErrorText(long code) override {
        return code == AutoCode::ClassNotRegistered ? "Class not registered\r\n" : std::string();
    }
};

std::string Calendar(const std::string& appointments) {
    return R"({"folders": [
        {"name": "Inbox", "role": "inbox", "unread": 5, "items": 40,
         "folders": [{"name": "Projects", "unread": 2, "folders": [{"name": "2008", "unread": 1}]},
                     {"name": "2008", "unread": 9}]},
        {"name": "Drafts", "role": "drafts", "unread": 1, "items": 3},
        {"name": "Outbox", "role": "outbox", "items": 2},
        {"name": "Contacts", "kind": "contacts"},
        {"name": "Calendar", "role": "calendar", "appointments": [)" +
           appointments + R"(]},
        {"name": "Tasks", "role": "tasks", "tasks": []}]})";
}

std::unique_ptr<CSettings> Opened(std::unique_ptr<CSettings> s) {
    s->Open();
    return s;
}

class EngineTest : public ::testing::Test {
protected:
    void Load(const std::string& json) {
        std::string error;
        port.store = CSubstituteOutlook::Load(json, Today().m_dt, error);
        ASSERT_TRUE(port.store) << error;
    }
    static COleDateTime Today() { return COleDateTime(2026, 12, 7, 0, 0, 0); }
    COrvantaDoc& Doc() {
        if (!doc) {
            doc = std::make_unique<COrvantaDoc>(*settings);
            doc->m_clock = [] { return COleDateTime(2026, 12, 7, 10, 30, 0); };
            EXPECT_TRUE(doc->Engine().EnsureConnected());
        }
        return *doc;
    }
    std::vector<std::string> Subjects(int day) {
        std::vector<std::string> out;
        for (int i = 0; i < Doc().Day(day).GetCount(); ++i) out.push_back(Doc().Day(day).GetAt(i).GetSubject());
        return out;
    }
    std::vector<std::string> TaskSubjects() {
        std::vector<std::string> out;
        for (int i = 0; i < Doc().Tasks().GetCount(); ++i) out.push_back(Doc().Tasks().GetAt(i).GetSubject());
        return out;
    }
    void SetToday(const std::string& name, const std::string& value) {
        env.registry.Tree(RegRoot::CurrentUser).CreateKey(kToday);
        env.registry.Tree(RegRoot::CurrentUser).SetValue(kToday, name, RegValue::Text(value));
    }

    FakeEnvironment env;
    StorePort port;
    ScopedPort<IAutomationPort> automation{port};
    std::unique_ptr<CSettings> settings = Opened(std::make_unique<CSettings>(kRoot));
    std::unique_ptr<COrvantaDoc> doc;
};

TEST_F(EngineTest, MultiDayAndAllDayRules) {
    Load(Calendar(R"(
        {"subject": "exactly a day", "start": "today 10:00", "end": "today+1 10:00"},
        {"subject": "a minute more", "start": "today 11:00", "end": "today+1 11:01"},
        {"subject": "holiday", "start": "today", "end": "today+1", "allDay": true},
        {"subject": "long weekend", "start": "today", "end": "today+2", "allDay": true})"));
    ASSERT_TRUE(Doc().RefreshData());
    const CAppointments& d = Doc().Day(0);
    ASSERT_EQ(d.GetCount(), 4);
    EXPECT_EQ(d.GetAt(0).GetSubject(), "holiday");
    EXPECT_TRUE(d.GetAt(0).IsAllDay());
    EXPECT_FALSE(d.GetAt(0).IsMultiDay());
    EXPECT_TRUE(d.GetAt(1).IsAllDay() && d.GetAt(1).IsMultiDay());
    EXPECT_FALSE(d.GetAt(2).IsMultiDay());
    EXPECT_TRUE(d.GetAt(3).IsMultiDay());
    EXPECT_EQ(d.GetAt(2).GetDuration(), 1440);
}

TEST_F(EngineTest, DayFilterEdges) {
    Load(Calendar(R"(
        {"subject": "at 23:59", "start": "today 23:59", "end": "today+1 00:30"},
        {"subject": "at 23:58", "start": "today 23:58", "end": "today 23:59"},
        {"subject": "trip", "start": "today-1 08:00", "end": "today+1 18:00"},
        {"subject": "ended at midnight", "start": "today-1 22:00", "end": "today 00:00"},
        {"subject": "tomorrow early", "start": "today+1 00:00", "end": "today+1 01:00"})"));
    ASSERT_TRUE(Doc().RefreshData());
    EXPECT_EQ(Subjects(0), (std::vector<std::string>{"trip", "at 23:58"}));
    EXPECT_EQ(Subjects(1), std::vector<std::string>{"tomorrow early"});
    EXPECT_EQ(Doc().Day(0).m_dayStart.GetDay(), 7);
    EXPECT_EQ(Doc().Day(4).m_dayStart.GetDay(), 11);
    EXPECT_NE(CAppointments::BuildFilter(Today(), true, LocaleValues()).find(") or ([Start] < '"), std::string::npos);
}

TEST_F(EngineTest, RecurringMeetingsAppearInEveryDayTheyFall) {
    Load(Calendar(R"(
        {"subject": "weekly", "start": "today-14 09:00", "end": "today-14 10:00",
         "recurrence": {"type": "weekly", "days": ["monday", "wednesday"],
                        "exceptions": [{"date": "today+2", "start": "today+2 15:00", "end": "today+2 16:00",
                                        "subject": "weekly moved"}]}},
        {"subject": "daily until", "start": "today-3 08:00", "end": "today-3 08:30",
         "recurrence": {"type": "daily", "until": "today+1"}},
        {"subject": "skipped", "start": "today 07:00", "end": "today 07:10",
         "recurrence": {"type": "daily", "exceptions": [{"date": "today+1", "deleted": true}]}})"));
    ASSERT_TRUE(Doc().RefreshData());
    EXPECT_EQ(Subjects(0), (std::vector<std::string>{"skipped", "daily until", "weekly"})); // Monday
    EXPECT_EQ(Subjects(1), std::vector<std::string>{"daily until"});
    EXPECT_EQ(Subjects(2), (std::vector<std::string>{"skipped", "weekly moved"}));
    EXPECT_EQ(Subjects(3), std::vector<std::string>{"skipped"});
    EXPECT_TRUE(Doc().Day(0).GetAt(2).IsRecurring());
    EXPECT_EQ(Doc().Day(0).GetAt(2).FormatStartTime(true), "09:00");
}

// Each moved occurrence appears once, on its new day only, beside deletions of the
// same pattern and moves across midnight.
TEST_F(EngineTest, MovedOccurrencesAppearOnceOnTheirNewDay) {
    Load(Calendar(R"(
        {"subject": "daily", "start": "today-7 09:00", "end": "today-7 10:00",
         "recurrence": {"type": "daily", "exceptions": [
            {"date": "today+1", "start": "today+3 14:00", "end": "today+3 15:00", "subject": "moved later"},
            {"date": "today+2", "deleted": true},
            {"date": "today", "start": "today+1 00:30", "end": "today+1 01:30", "subject": "past midnight"},
            {"date": "today+4", "start": "today+4 23:30", "end": "today+5 00:30", "subject": "into the night"}]}})"));
    ASSERT_TRUE(Doc().RefreshData());
    EXPECT_EQ(Subjects(0), std::vector<std::string>{});
    EXPECT_EQ(Subjects(1), std::vector<std::string>{"past midnight"});
    EXPECT_EQ(Subjects(2), std::vector<std::string>{});
    EXPECT_EQ(Subjects(3), (std::vector<std::string>{"daily", "moved later"}));
    EXPECT_EQ(Subjects(4), std::vector<std::string>{"into the night"});
}

TEST_F(EngineTest, TheThirtyFirstAppointmentOfADayIsDropped) {
    std::string many;
    for (int i = 30; i >= 0; --i) { // written latest first: the list must follow start order
        char buf[160];
        std::snprintf(buf, sizeof buf, R"(%s{"subject": "item %02d", "start": "today %02d:%02d", "end": "today 23:00"})",
                      i == 30 ? "" : ",", i, 8 + i / 4, (i % 4) * 15);
        many += buf;
    }
    Load(Calendar(many));
    ASSERT_TRUE(Doc().RefreshData());
    ASSERT_EQ(Doc().Day(0).GetCount(), 30);
    EXPECT_EQ(Doc().Day(0).GetAt(0).GetSubject(), "item 00");
    EXPECT_EQ(Doc().Day(0).GetAt(29).GetSubject(), "item 29");
}

TEST_F(EngineTest, GrowingCalendarDaysNeverDuplicatesItems) {
    Load(Calendar(R"({"subject": "daily", "start": "today 09:00", "end": "today 09:30",
                      "recurrence": {"type": "daily"}})"));
    for (const char* days : {"5", "3", "5", "7", "2", "7"}) {
        SetToday("CalDays", days);
        ASSERT_TRUE(Doc().RefreshData());
        ASSERT_EQ(settings->m_outlook.m_calDays, std::atoi(days));
        for (int i = 0; i < settings->m_outlook.m_calDays; ++i) ASSERT_EQ(Doc().Day(i).GetCount(), 1) << days << " day " << i;
    }
}

TEST_F(EngineTest, TimeTexts) {
    COleDateTime t(2026, 12, 7, 13, 30, 0), m(2026, 12, 7, 9, 5, 0), noon(2026, 12, 7, 12, 0, 0),
        late(2026, 12, 7, 0, 15, 0);
    EXPECT_EQ(CAppointment::FormatTime(t, true), "13:30");
    EXPECT_EQ(CAppointment::FormatTime(t, false), "01:30pm");
    EXPECT_EQ(CAppointment::FormatTime(noon, false), "12:00pm");
    EXPECT_EQ(CAppointment::FormatTime(m, false), "09:05am");
    EXPECT_EQ(CAppointment::FormatTime(late, false), "00:15am");
    EXPECT_EQ(CAppointment::FormatTime(COleDateTime(2009, 2, 29, 0, 0, 0), false), "Invalid DateTime");
}

std::string TaskStore(const std::string& tasks) {
    return R"({"folders": [{"name": "Inbox", "role": "inbox"}, {"name": "Calendar", "role": "calendar"},
                           {"name": "Tasks", "role": "tasks", "tasks": [)" +
           tasks + "]}]}";
}

const char* kTasks = R"(
    {"subject": "overdue", "due": "today-2", "created": "today-9"},
    {"subject": "due today", "due": "today", "created": "today-8"},
    {"subject": "tomorrow", "due": "today+1", "created": "today-7"},
    {"subject": "no due date", "created": "today-6"},
    {"subject": "done today", "complete": true, "completed": "today 08:00", "due": "today+3", "created": "today-5"},
    {"subject": "done yesterday", "complete": true, "completed": "today-1", "created": "today-4"})";

TEST_F(EngineTest, TaskFilterAllTakesEverythingOpenAndWhatWasDoneToday) {
    Load(TaskStore(kTasks));
    SetToday("Sort1Asc", "True");
    ASSERT_TRUE(Doc().RefreshData());
    EXPECT_EQ(TaskSubjects(),
              (std::vector<std::string>{"no due date", "overdue", "due today", "tomorrow", "done today"}));
}

TEST_F(EngineTest, OverdueFilterTakesPastAndTodayAndUndated) {
    Load(TaskStore(kTasks));
    SetToday("TaskFilter", "Overdue");
    SetToday("Sort1Asc", "True");
    ASSERT_TRUE(Doc().RefreshData());
    EXPECT_EQ(TaskSubjects(), (std::vector<std::string>{"no due date", "overdue", "due today"}));
    SetToday("IncNoDueDate", "False");
    ASSERT_TRUE(Doc().RefreshData());
    EXPECT_EQ(TaskSubjects(), (std::vector<std::string>{"overdue", "due today"}));
}

// Many tasks with few distinct keys: they come out by due date, then creation, and
// tasks equal in both keep the store's order.
TEST_F(EngineTest, ManyTasksSortStablyInOnePass) {
    const int n = 20000;
    std::string tasks;
    for (int i = 0; i < n; ++i) {
        if (i) tasks += ",";
        tasks += R"({"subject": ")" + std::to_string(i) + R"(", "due": "today-)" + std::to_string((i * 7) % 5) +
                 R"(", "created": "today-)" + std::to_string(10 + i % 2) + R"("})";
    }
    Load(TaskStore(tasks));
    SetToday("TaskFilter", "All");
    SetToday("Sort1", "~"); // the base order: due date, then creation
    ASSERT_TRUE(Doc().RefreshData());
    ASSERT_EQ(Doc().Tasks().GetCount(), n);
    auto key = [](int i) { return std::make_tuple(-((i * 7) % 5), -(10 + i % 2), i); };
    for (int k = 1; k < n; ++k) {
        int a = std::stoi(Doc().Tasks().GetAt(k - 1).GetSubject()), b = std::stoi(Doc().Tasks().GetAt(k).GetSubject());
        ASSERT_LT(key(a), key(b)) << "at " << k;
    }
}

TEST_F(EngineTest, TaskSortKeys) {
    Load(TaskStore(R"(
        {"subject": "a", "due": "today+2", "importance": 0, "created": "today-3"},
        {"subject": "b", "importance": 2, "created": "today-5"},
        {"subject": "c", "due": "today-1", "importance": 2, "created": "today-4"},
        {"subject": "d", "due": "today-1", "importance": 1, "created": "today-9"})"));
    ASSERT_TRUE(Doc().RefreshData()); // absent options: "[DueDate]" descending
    EXPECT_EQ(TaskSubjects(), (std::vector<std::string>{"a", "d", "c", "b"}));
    SetToday("Sort1Asc", "True");
    ASSERT_TRUE(Doc().RefreshData());
    EXPECT_EQ(TaskSubjects(), (std::vector<std::string>{"b", "d", "c", "a"}));
    SetToday("Sort1Asc", "true"); // only "True" counts
    ASSERT_TRUE(Doc().RefreshData());
    EXPECT_EQ(TaskSubjects(), (std::vector<std::string>{"a", "d", "c", "b"}));
    SetToday("Sort1", "[Importance]");
    SetToday("Sort1Asc", "True");
    SetToday("Sort2", "[CreationTime]");
    SetToday("Sort2Asc", "False");
    ASSERT_TRUE(Doc().RefreshData()); // importance, then the newer creation first
    EXPECT_EQ(TaskSubjects(), (std::vector<std::string>{"a", "d", "c", "b"}));
    SetToday("Sort1", "~"); // base order whatever the second key says
    ASSERT_TRUE(Doc().RefreshData());
    EXPECT_EQ(TaskSubjects(), (std::vector<std::string>{"b", "d", "c", "a"}));
}

TEST_F(EngineTest, TasksEqualInEveryKeyKeepOutlooksOrder) {
    Load(TaskStore(R"(
        {"subject": "first", "due": "today", "created": "today-1 10:00"},
        {"subject": "second", "due": "today", "created": "today-1 10:00"},
        {"subject": "third", "due": "today", "created": "today-1 10:00"})"));
    for (const char* key : {"~", "[DueDate]", "[Importance]", "[StartDate]", "[CreationTime]", "[Subject]"}) {
        SetToday("Sort1", key);
        ASSERT_TRUE(Doc().RefreshData());
        EXPECT_EQ(TaskSubjects(), (std::vector<std::string>{"first", "second", "third"})) << key;
    }
}

TEST_F(EngineTest, FolderPaths) {
    Load(Calendar(""));
    const char* kFolders = "Software\\Microsoft\\Office\\16.0\\Outlook\\Today\\Folders";
    auto& hkcu = env.registry.Tree(RegRoot::CurrentUser);
    ASSERT_TRUE(Doc().RefreshData()); // no list: inbox, drafts, outbox
    ASSERT_EQ(Doc().Folders().GetCount(), 3);
    EXPECT_EQ(Doc().Folders().GetAt(0).GetName(), "Inbox");
    EXPECT_EQ(Doc().Folders().GetAt(0).GetDisplayCount(), 5);
    EXPECT_EQ(Doc().Folders().GetAt(1).GetName(), "Drafts");
    EXPECT_EQ(Doc().Folders().GetAt(1).GetDisplayCount(), 3); // items, not unread
    EXPECT_EQ(Doc().Folders().GetAt(2).GetDisplayCount(), 2);

    hkcu.CreateKey(kFolders);
    hkcu.SetValue(kFolders, "0", RegValue::Text("Personal Folders\\Inbox\\Projects\\2008"));
    hkcu.SetValue(kFolders, "1", RegValue::Text("Personal Folders\\Inbox\\projects\\2008"));
    hkcu.SetValue(kFolders, "5", RegValue::Text("  \\\\Mailbox - Someone\\Inbox"));
    hkcu.SetValue(kFolders, "7", RegValue::Text("Personal Folders\\Contacts"));
    hkcu.SetValue(kFolders, "9", RegValue::Text("OUTBOX"));
    hkcu.SetValue(kFolders, "12", RegValue::Text("\\\\\\"));
    ASSERT_TRUE(Doc().RefreshData());
    std::vector<std::pair<std::string, int>> got;
    for (int i = 0; i < Doc().Folders().GetCount(); ++i)
        got.emplace_back(Doc().Folders().GetAt(i).GetName(), Doc().Folders().GetAt(i).GetDisplayCount());
    EXPECT_EQ(got, (std::vector<std::pair<std::string, int>>{{"2008", 1}, {"2008", 9}, {"Inbox", 5}, {"Outbox", 2}}));
    EXPECT_EQ(CMailFolders::SplitPath(" \\\\a\\\\b "), (std::vector<std::string>{"a", "", "b"}));
}

// The default-folder names of a listed path compare in the user's language:
// "дRAFTS" names the drafts folder "Дrafts".
TEST_F(EngineTest, DefaultFolderNamesCompareWithTheLocalesCaseMapping) {
    FakeLocalePort locale;
    locale.items[{LocaleItem::LongDateFormat, 0}] = "d/M/yyyy";
    locale.items[{LocaleItem::TimeFormat, 0}] = "HH:mm:ss";
    ScopedPort<ILocalePort> withLocale{locale};
    Load(R"({"folders": [{"name": "Inbox", "role": "inbox", "unread": 5},
                         {"name": "\u0414rafts", "role": "drafts", "items": 3},
                         {"name": "Calendar", "role": "calendar", "appointments": []},
                         {"name": "Tasks", "role": "tasks", "tasks": []}]})");
    const char* kFolders = "Software\\Microsoft\\Office\\16.0\\Outlook\\Today\\Folders";
    env.registry.Tree(RegRoot::CurrentUser).CreateKey(kFolders);
    env.registry.Tree(RegRoot::CurrentUser).SetValue(kFolders, "0", RegValue::Text("\xD0\xB4RAFTS"));
    ASSERT_TRUE(Doc().RefreshData());
    ASSERT_EQ(Doc().Folders().GetCount(), 1);
    EXPECT_EQ(Doc().Folders().GetAt(0).GetName(), "\xD0\x94rafts");
}

TEST_F(EngineTest, OutlookOptionsWithMissingOrBadValues) {
    Load(Calendar(""));
    COutlookEngine& e = Doc().Engine();
    EXPECT_EQ(COutlookEngine::VersionPart("11.0.8169"), "11.0");
    EXPECT_EQ(COutlookEngine::VersionPart("12"), "");
    settings->m_outlook = e.ReadOutlookOptions();
    EXPECT_EQ(e.OutlookKey(), "Software\\Microsoft\\Office\\16.0\\Outlook\\");
    EXPECT_EQ(settings->m_outlook.m_calDays, 5);
    EXPECT_EQ(settings->m_outlook.m_outlookFirstDayOfWeek, 6); // no calendar key: unchanged
    for (const char* bad : {"0", "8", "abc", ""}) {
        SetToday("CalDays", bad);
        settings->m_outlook = e.ReadOutlookOptions();
        EXPECT_EQ(settings->m_outlook.m_calDays, 5) << bad;
    }
    SetToday("CalDays", "7");
    settings->m_outlook = e.ReadOutlookOptions();
    EXPECT_EQ(settings->m_outlook.m_calDays, 7);
    const char* cal = "Software\\Microsoft\\Office\\16.0\\Outlook\\options\\Calendar\\";
    auto& hkcu = env.registry.Tree(RegRoot::CurrentUser);
    hkcu.CreateKey(cal);
    hkcu.SetValue(cal, "FirstDOW", RegValue::Number(1));
    hkcu.SetValue(cal, "FirstWOY", RegValue::Number(2));
    settings->m_outlook = e.ReadOutlookOptions();
    EXPECT_EQ(settings->m_outlook.m_outlookFirstDayOfWeek, 0);
    EXPECT_EQ(settings->m_outlook.m_workDayMask, 124);
    EXPECT_EQ(settings->m_outlook.m_firstWeekOfYear, 2);
    hkcu.SetValue(cal, "FirstDOW", RegValue::Text("1")); // wrong type reads as absent: 0, Sunday
    settings->m_outlook = e.ReadOutlookOptions();
    EXPECT_EQ(settings->m_outlook.m_outlookFirstDayOfWeek, 6);
    EXPECT_EQ(settings->m_outlook.m_firstWeekOfYear, 2);
}

TEST_F(EngineTest, ConnectionOutcomes) {
    Load(Calendar(""));
    port.failures = {AutoCode::ServerExecFailed};
    ASSERT_TRUE(Doc().Engine().IsConnected());
    EXPECT_EQ(port.attempts, 2);
    EXPECT_TRUE(env.ui.boxes.empty());
    EXPECT_EQ(Doc().Engine().Version(), "16.0.0.0");

    doc.reset();
    port.failures = {AutoCode::ServerExecFailed, AutoCode::ClassNotRegistered};
    port.attempts = 0;
    COrvantaDoc failing(*settings);
    EXPECT_TRUE(failing.Engine().EnsureConnected()); // the warning still counts as done
    EXPECT_EQ(port.attempts, 2);
    ASSERT_EQ(env.ui.boxes.size(), 1u);
    EXPECT_EQ(env.ui.boxes[0].caption, "Orvanta");
    EXPECT_EQ(env.ui.boxes[0].text.rfind("COM interface error code: -2147221164\nClass not registered\r\n\n\n"
                                         "Orvanta could not initiate COM interface communication with Outlook.\n",
                                         0),
              0u);
    EXPECT_FALSE(failing.RefreshData()); // nothing to read from
    EXPECT_EQ(COutlookEngine::ComErrorText(static_cast<long>(0x80040205)), "IDispatch error #5");
    EXPECT_EQ(COutlookEngine::ComErrorText(static_cast<long>(0x80001234)), "Unknown error 0x80001234");
    EXPECT_EQ(COutlookEngine::ComErrorText(AutoCode::ClassNotRegistered), "Class not registered");
}

TEST_F(EngineTest, Outlook97IsWarnedAboutAndNeverStarted) {
    Load(Calendar(""));
    env.registry.Tree(RegRoot::CurrentUser).CreateKey("Software\\Microsoft\\Office\\8.0\\Outlook");
    COutlookEngine engine(*settings);
    EXPECT_EQ(engine.OfficeVersion(), 0); // constructing reads nothing
    EXPECT_EQ(engine.Connect(), 1);
    EXPECT_EQ(engine.OfficeVersion(), 8);
    EXPECT_EQ(port.attempts, 0);
    ASSERT_EQ(env.ui.boxes.size(), 1u);
    EXPECT_EQ(env.ui.boxes[0].text, "Warning! Orvanta does not support Outlook 97");
}

// Without Outlook the connection message is the only one: later refreshes read
// nothing, show nothing and still give every day list its real date.
TEST_F(EngineTest, UnreachableOutlookIsReportedOnceAndNeverAgain) {
    Load(Calendar(R"({"subject": "x", "start": "today 09:00", "end": "today 10:00"})"));
    for (bool outlook97 : {false, true}) {
        env.ui.boxes.clear();
        port.failures = {AutoCode::ClassNotRegistered, AutoCode::ClassNotRegistered};
        if (outlook97) env.registry.Tree(RegRoot::CurrentUser).CreateKey("Software\\Microsoft\\Office\\8.0\\Outlook");
        COrvantaDoc unreachable(*settings);
        unreachable.m_clock = [] { return COleDateTime(2026, 12, 7, 10, 30, 0); };
        EXPECT_TRUE(unreachable.Engine().EnsureConnected());
        EXPECT_FALSE(unreachable.Engine().CanRead());
        for (int refresh = 0; refresh < 3; ++refresh) EXPECT_FALSE(unreachable.RefreshData());
        ASSERT_EQ(env.ui.boxes.size(), 1u) << env.ui.boxes.back().text;
        for (int i = 0; i < settings->m_outlook.m_calDays; ++i) {
            EXPECT_EQ(unreachable.Day(i).m_dayStart, COleDateTime(2026, 12, 7 + i, 0, 0, 0)) << i;
            EXPECT_EQ(unreachable.Day(i).GetCount(), 0);
        }
        EXPECT_EQ(unreachable.Tasks().GetCount(), 0);
        EXPECT_EQ(unreachable.Folders().GetCount(), 0);
    }
}

TEST_F(EngineTest, NewAndOpenItemsReachOutlook) {
    Load(Calendar(R"({"subject": "x", "start": "today 09:00", "end": "today 10:00", "entryId": "APPT-1"})"));
    Doc().Engine().NewTask();
    Doc().Engine().OpenAppointment("APPT-1");
    Doc().Engine().OpenTask("APPT-1"); // not a task: nothing is shown
    EXPECT_EQ(port.store->Actions(), (std::vector<std::string>{"CreateItem 3", "Display new-1", "GetInspector new-1",
                                                               "Activate new-1", "GetItemFromID APPT-1",
                                                               "Display APPT-1", "GetInspector APPT-1",
                                                               "Activate APPT-1", "GetItemFromID APPT-1"}));
}

// Outlook closed while the program runs: the next refresh fails without a message and
// releases everything; the connection is made again at most once a minute, quietly
// while Outlook is still gone, and a later refresh reads the data again.
TEST_F(EngineTest, ClosedOutlookIsReconnectedQuietlyAtMostOnceAMinute) {
    Load(Calendar(R"({"subject": "Review", "start": "today 09:00", "end": "today 10:00"})"));
    double t = 1000;
    settings->m_outlook.m_calDays = 2;
    doc = std::make_unique<COrvantaDoc>(*settings);
    doc->m_clock = [] { return COleDateTime(2026, 12, 7, 10, 30, 0); };
    doc->Engine().SetClock([&t] { return t; });
    ASSERT_TRUE(doc->Engine().EnsureConnected());
    ASSERT_TRUE(doc->RefreshData());
    const uint32_t crc = doc->LastSignature();
    EXPECT_EQ(Subjects(0), std::vector<std::string>{"Review"});
    EXPECT_EQ(port.attempts, 1);

    port.store->Disconnect(); // the user closes Outlook
    t += 20;
    EXPECT_FALSE(doc->RefreshData());
    EXPECT_TRUE(env.ui.boxes.empty()) << env.ui.boxes[0].text;
    EXPECT_FALSE(doc->Engine().IsConnected());
    EXPECT_TRUE(doc->Engine().ConnectionLost());
    EXPECT_FALSE(doc->Engine().CanRead()); // every interface released
    EXPECT_EQ(doc->Day(0).GetCount(), 0);
    EXPECT_EQ(port.attempts, 1);

    for (int i = 0; i < 2; ++i) { // 40 and 59 s after the first attempt: not yet
        t += i == 0 ? 20 : 19;
        EXPECT_FALSE(doc->RefreshData());
        EXPECT_EQ(port.attempts, 1);
    }
    t += 1; // a minute after the last attempt: tried, Outlook still gone, no message
    EXPECT_FALSE(doc->RefreshData());
    EXPECT_EQ(port.attempts, 3); // 0x80080005, then the one retry
    EXPECT_TRUE(env.ui.boxes.empty()) << env.ui.boxes[0].text;
    EXPECT_TRUE(doc->Engine().ConnectionLost());
    t += 59;
    EXPECT_FALSE(doc->RefreshData());
    EXPECT_EQ(port.attempts, 3);
    EXPECT_FALSE(doc->Engine().EnsureConnected()); // asked again: no attempt before the minute, no message
    EXPECT_EQ(port.attempts, 3);
    EXPECT_TRUE(env.ui.boxes.empty());

    port.store->Restart(); // Outlook started again
    t += 1;
    EXPECT_TRUE(doc->RefreshData());
    EXPECT_EQ(port.attempts, 4);
    EXPECT_TRUE(doc->Engine().IsConnected());
    EXPECT_FALSE(doc->Engine().ConnectionLost());
    EXPECT_EQ(Subjects(0), std::vector<std::string>{"Review"});
    EXPECT_EQ(doc->LastSignature(), crc);
    EXPECT_TRUE(env.ui.boxes.empty()) << env.ui.boxes[0].text;

    // Every disconnection code is of the kind; a busy or an ordinary error is not.
    for (long code : {AutoCode::Disconnected, AutoCode::ServerUnavailable, AutoCode::ObjectNotConnected,
                      AutoCode::ServerDied, AutoCode::ServerDiedDne, AutoCode::CallFailed})
        EXPECT_TRUE(COutlookEngine::IsDisconnection(code)) << std::hex << code;
    for (long code : {AutoCode::Exception, AutoCode::CallRejected, AutoCode::RetryLater, AutoCode::UnknownName})
        EXPECT_FALSE(COutlookEngine::IsDisconnection(code)) << std::hex << code;
}

// The same from a user's action: the item is not shown, nothing is said, and the
// connection is made again by a later refresh.
TEST_F(EngineTest, ClosedOutlookMeetsAnActionQuietly) {
    Load(Calendar(R"({"subject": "Review", "start": "today 09:00", "end": "today 10:00", "entryId": "APPT-1"})"));
    double t = 0;
    doc = std::make_unique<COrvantaDoc>(*settings);
    doc->Engine().SetClock([&t] { return t; });
    ASSERT_TRUE(doc->Engine().EnsureConnected());
    port.store->Disconnect();
    Doc().Engine().OpenAppointment("APPT-1");
    EXPECT_TRUE(env.ui.boxes.empty()) << env.ui.boxes[0].text;
    EXPECT_TRUE(Doc().Engine().ConnectionLost());
    port.store->Restart();
    t = 61;
    Doc().Engine().OpenAppointment("APPT-1"); // reconnects first
    EXPECT_EQ(port.store->Actions(),
              (std::vector<std::string>{"GetItemFromID APPT-1", "Display APPT-1", "GetInspector APPT-1",
                                        "Activate APPT-1"}));
}

// Other COM errors keep their message and the connection.
TEST_F(EngineTest, OtherComErrorsKeepTheirMessagesAndTheConnection) {
    // The series is read through Restrict; its failure makes the read fall back to the
    // walk, which meets it again on every day.
    Load(Calendar(R"({"subject": "Review", "start": "today 09:00", "end": "today 10:00"},
                     {"subject": "Stand-up", "start": "today 08:00", "end": "today 08:15", "recurrence": {"type": "daily"}})"));
    settings->m_outlook.m_calDays = 3;
    Doc();
    port.store->FailMember("Restrict", AutoCode::Exception);
    EXPECT_FALSE(Doc().RefreshData());
    EXPECT_EQ(env.ui.boxes.size(), 3u); // one per day read
    EXPECT_TRUE(Doc().Engine().IsConnected());
    EXPECT_FALSE(Doc().Engine().ConnectionLost());
    port.store->FailMember("", 0);
    env.ui.boxes.clear();
    EXPECT_TRUE(Doc().RefreshData());
    EXPECT_TRUE(env.ui.boxes.empty());
}

// A call Outlook rejected as busy beyond the message filter's bound fails that read
// with one message; the other reads of that refresh are not made (each would wait the
// bound again), and the next refresh reads everything.
TEST_F(EngineTest, BusyOutlookFailsOneRefreshWithOneMessage) {
    Load(Calendar(R"({"subject": "Review", "start": "today 09:00", "end": "today 10:00"})"));
    settings->m_outlook.m_calDays = 5;
    Doc();
    port.store->FailMember("GetDefaultFolder", AutoCode::CallRejected);
    port.store->ResetCalls();
    EXPECT_FALSE(Doc().RefreshData());
    ASSERT_EQ(env.ui.boxes.size(), 1u);
    EXPECT_EQ(port.store->Calls(), 1); // the first read met it; nothing was asked after
    EXPECT_TRUE(Doc().Engine().IsConnected());
    port.store->FailMember("", 0);
    EXPECT_TRUE(Doc().RefreshData());
    EXPECT_EQ(Subjects(0), std::vector<std::string>{"Review"});
    EXPECT_EQ(env.ui.boxes.size(), 1u);
}

TEST_F(EngineTest, SignatureFollowsWhatTheWallpaperShows) {
    auto crcOf = [&](const std::string& appt, const std::string& task) {
        std::string json = R"({"folders": [{"name": "Inbox", "role": "inbox", "unread": 2},
            {"name": "Calendar", "role": "calendar", "appointments": [)" + appt + R"(]},
            {"name": "Tasks", "role": "tasks", "tasks": [)" + task + "]}]}";
        Load(json);
        doc.reset();
        EXPECT_TRUE(Doc().RefreshData());
        return Doc().LastSignature();
    };
    const std::string appt = R"({"subject": "Review", "start": "today 09:00", "end": "today 10:00",
                                 "location": "A", "body": "x", "importance": 1)";
    const std::string task = R"({"subject": "Report", "created": "today-3")";
    uint32_t base = crcOf(appt + "}", task + "}");
    EXPECT_EQ(crcOf(appt + R"(, "location": "B", "body": "other"})", task + "}"), base);
    EXPECT_EQ(crcOf(appt + "}", task + R"(, "start": "today-1"})"), base);
    const std::vector<std::pair<std::string, std::string>> changes = {
        {R"(, "subject": "Review 2"})", "}"},
        {R"(, "end": "today 10:30"})", "}"},
        {R"(, "importance": 2})", "}"},
        {R"(, "reminder": true})", "}"},
        {R"(, "attachments": ["a.txt"]})", "}"},
        {R"(, "recurrence": {"type": "daily", "count": 1}})", "}"},
        {"}", R"(, "percent": 50})"},
        {"}", R"(, "complete": true})"},
        {"}", R"(, "due": "today"})"},
    };
    for (const auto& [a, t] : changes) EXPECT_NE(crcOf(appt + a, task + t), base) << a << t;

    // Unchanged data: the same CRC, so the second comparison asks for no redraw.
    crcOf(appt + "}", task + "}");
    EXPECT_FALSE(Doc().RefreshAndCompare());
    EXPECT_EQ(Doc().LastSignature(), base);
    std::string text = Doc().SignatureText();
    EXPECT_EQ(text.rfind("Day 009:00 - 10:00f1ffReviewDay 1Day 2Day 3Day 4Inbox2Report0f1ff", 0), 0u) << text;
}

// Outlook's Sensitivity (2 private, 3 confidential; 1 personal is not private) read
// with the other fields, and what "Private Items" and presenting let the wallpaper
// show: each of the six combinations masks or leaves out exactly its items, the
// times stay, and each gives its own change signature, so switching redraws.
TEST_F(EngineTest, PrivateItemsAndPresentingDecideWhatTheWallpaperShows) {
    Load(R"({"folders": [{"name": "Inbox", "role": "inbox", "unread": 1},
        {"name": "Calendar", "role": "calendar", "appointments": [
            {"subject": "Stand-up", "start": "today 09:00", "end": "today 09:15"},
            {"subject": "Doctor", "start": "today 11:00", "end": "today 12:00", "sensitivity": 2,
             "attachments": ["referral.pdf"]},
            {"subject": "Lunch with Ann", "start": "today 12:30", "end": "today 13:30", "sensitivity": 1},
            {"subject": "Merger talks", "start": "today 15:00", "end": "today 16:00", "sensitivity": 3}]},
        {"name": "Tasks", "role": "tasks", "tasks": [
            {"subject": "Report", "created": "today-3"},
            {"subject": "Tax return", "created": "today-2", "sensitivity": 2}]}]})");
    ASSERT_TRUE(Doc().RefreshData());
    const CAppointments& day = Doc().Day(0);
    ASSERT_EQ(day.GetCount(), 4);
    EXPECT_EQ(day.GetAt(0).GetSensitivity(), 0);
    EXPECT_EQ(day.GetAt(1).GetSensitivity(), 2);
    EXPECT_EQ(day.GetAt(2).GetSensitivity(), 1);
    EXPECT_EQ(day.GetAt(3).GetSensitivity(), 3);
    EXPECT_EQ(Doc().Tasks().GetAt(1).GetSensitivity(), 2);

    using V = std::vector<std::string>;
    struct Case {
        int privateItems;
        bool presenting;
        V appointments, tasks;
    } cases[] = {
        {0, false, {"Stand-up", "Doctor", "Lunch with Ann", "Merger talks"}, {"Report", "Tax return"}},
        {1, false, {"Stand-up", "Private appointment", "Lunch with Ann", "Private appointment"}, {"Report", "Private task"}},
        {2, false, {"Stand-up", "Lunch with Ann"}, {"Report"}},
        {0, true, {"Busy", "Busy", "Busy", "Busy"}, {"Busy", "Busy"}},
        {1, true, {"Busy", "Busy", "Busy", "Busy"}, {"Busy", "Busy"}},
        {2, true, {"Busy", "Busy"}, {"Busy"}},
    };
    std::set<uint32_t> signatures;
    for (const Case& c : cases) {
        const std::string what = "Private Items " + std::to_string(c.privateItems) + (c.presenting ? ", presenting" : "");
        settings->m_privateItems = c.privateItems;
        Doc().SetPresenting(c.presenting);
        ASSERT_TRUE(Doc().RefreshData()) << what;
        EXPECT_EQ(Subjects(0), c.appointments) << what;
        EXPECT_EQ(TaskSubjects(), c.tasks) << what;
        // The times and marks stay: the first item shown keeps its own hours.
        EXPECT_EQ(Doc().Day(0).GetAt(0).FormatStartTime(true), "09:00") << what;
        if (c.privateItems == 1 && !c.presenting) {
            EXPECT_TRUE(Doc().Day(0).GetAt(1).HasAttachments()) << what;
            EXPECT_EQ(Doc().Day(0).GetAt(1).GetAttachments(), V{""}) << "the file name goes with the subject";
        }
        signatures.insert(Doc().LastSignature());
    }
    // "Private Items" 1 and 0 give the same picture while presenting; every other pair differs.
    EXPECT_EQ(signatures.size(), 5u);
    // Back to 0: what Outlook holds, read again.
    settings->m_privateItems = 0;
    Doc().SetPresenting(false);
    EXPECT_TRUE(Doc().RefreshAndCompare()) << "switching back redraws";
    EXPECT_EQ(Subjects(0), cases[0].appointments);
}

TEST_F(EngineTest, StoreFaultsAreReportedWithTheirPlace) {
    std::string error;
    struct Case {
        const char* json;
        const char* where;
    } cases[] = {
        {"{", "not valid JSON"},
        {R"({"folders": [{"role": "inbox"}]})", "/folders/0: a folder needs a name"},
        {R"({"folders": [{"name": "C", "appointments": [{"start": "2026-02-30"}]}]})", "/folders/0/appointments/0/start"},
        {R"({"folders": [{"name": "C", "appointments": [{"start": "today", "end": "today-1"}]}]})", "/end: ends before"},
        {R"({"folders": [{"name": "C", "appointments": [{"start": "today", "recurrence": {"type": "hourly"}}]}]})",
         "/recurrence/type"},
        {R"({"folders": [{"name": "C", "colour": "red"}]})", "/folders/0/colour: unknown field"},
        {R"({"folders": [{"name": "T", "tasks": [{"percent": 120}]}]})", "/folders/0/tasks/0/percent"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(CSubstituteOutlook::Load(c.json, Today().m_dt, error)) << c.json;
        EXPECT_NE(error.find(c.where), std::string::npos) << error;
    }
    Load(Calendar(""));
    AutoObjectPtr ns = port.store->Application()->Call("GetNamespace", {CAutoValue::String("MAPI")}).AsObject();
    AutoObjectPtr items = ns->Call("GetDefaultFolder", {CAutoValue::Int(9)}).AsObject()->Get("Items").AsObject();
    for (const char* bad : {"[Subject] = 'x'", "[Start] >= '7 December 2026'", "[Start] >= 'x' or", "([Start] > 'a'"}) {
        try {
            items->Call("Restrict", {CAutoValue::String(bad)});
            ADD_FAILURE() << bad;
        } catch (const CAutoError& e) {
            EXPECT_EQ(e.Code(), AutoCode::Exception) << bad;
        }
    }
    EXPECT_THROW(ns->Get("NoSuchMember"), CAutoError);
}

// The store holds to Outlook's documented rules where it could be more forgiving:
// recurrences are expanded only when IncludeRecurrences is set after an ascending
// sort by [Start], Count is undefined while they are included, a quote inside a
// filter's quoted text must be doubled, and a StoreID given to GetItemFromID must name
// the store.
TEST_F(EngineTest, StoreHoldsToOutlooksDocumentedRules) {
    Load(Calendar(R"({"subject": "daily", "start": "today-3 08:00", "end": "today-3 08:30", "entryId": "APPT-D",
                      "recurrence": {"type": "daily"}})"));
    AutoObjectPtr ns = port.store->Application()->Call("GetNamespace", {CAutoValue::String("MAPI")}).AsObject();
    AutoObjectPtr calendar = ns->Call("GetDefaultFolder", {CAutoValue::Int(9)}).AsObject();
    const std::string today = CAppointments::BuildFilter(Today(), false, LocaleValues());
    struct Case {
        const char* order; // S sort by [Start], E sort by [End], I IncludeRecurrences
        int found;         // occurrences of the daily series found today
    } cases[] = {{"SI", 1}, {"IS", 0}, {"I", 0}, {"", 0}, {"SIE", 0}, {"EI", 0}, {"ESI", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order);
        AutoObjectPtr items = calendar->Get("Items").AsObject();
        for (const char* step = c.order; *step; ++step) {
            if (*step == 'I') items->Put("IncludeRecurrences", CAutoValue::Bool(true));
            else items->Call("Sort", {CAutoValue::String(*step == 'S' ? "[Start]" : "[End]"), CAutoValue::Missing()});
        }
        AutoObjectPtr day = items->Call("Restrict", {CAutoValue::String(today)}).AsObject();
        int n = 0;
        for (AutoObjectPtr i = day->Call("GetFirst", {}).AsObject(); i; i = day->Call("GetNext", {}).AsObject()) ++n;
        EXPECT_EQ(n, c.found);
        // Count means nothing once recurrences were asked for.
        const bool asked = std::string(c.order).find('I') != std::string::npos;
        EXPECT_EQ(items->Get("Count").AsInt() == 0x7FFFFFFF, asked);
    }

    // A quote inside the quoted date: doubled it is part of the text, single it ends it.
    AutoObjectPtr items = calendar->Get("Items").AsObject();
    const std::string date = LocaleValues().DateTimeText(Today());
    std::string error;
    EXPECT_TRUE(CStoreFilter::Parse("[Start] >= 'x'' " + date + "'", LocaleValues(), error)) << error;
    const std::string unescaped = "[Start] >= 'x' " + date + "'";
    EXPECT_FALSE(CStoreFilter::Parse(unescaped, LocaleValues(), error));
    EXPECT_THROW(items->Call("Restrict", {CAutoValue::String(unescaped)}), CAutoError);
    EXPECT_EQ(CAppointments::QuotedText("8 d'abril 'x"), "8 d''abril ''x");

    const std::string storeId = calendar->Get("StoreID").AsString();
    EXPECT_FALSE(storeId.empty());
    EXPECT_TRUE(ns->Call("GetItemFromID", {CAutoValue::String("APPT-D"), CAutoValue::String(storeId)}).AsObject());
    EXPECT_TRUE(ns->Call("GetItemFromID", {CAutoValue::String("APPT-D"), CAutoValue::Missing()}).AsObject());
    EXPECT_THROW(ns->Call("GetItemFromID", {CAutoValue::String("APPT-D"), CAutoValue::String("OTHER-STORE")}),
                 CAutoError);
}

// A long date with an apostrophe ("dijous, 8 d'octubre de 2026") goes into the day's
// filter with the quote doubled: the day is read, and nothing is reported.
TEST_F(EngineTest, LongDatesWithAnApostropheAreQuotedInTheDayFilter) {
    FakeLocalePort locale;
    const char* months[] = {"gener",  "febrer", "marc",     "abril",   "maig",     "juny",
                            "juliol", "agost",  "setembre", "octubre", "novembre", "desembre"};
    for (int i = 0; i < 12; ++i) {
        const std::string m = months[i];
        locale.items[{LocaleItem::MonthName, i}] = m;
        locale.items[{LocaleItem::GenitiveMonthName, i}] =
            std::string("aeiou").find(m[0]) != std::string::npos ? "d'" + m : "de " + m;
    }
    const char* days[] = {"dilluns", "dimarts", "dimecres", "dijous", "divendres", "dissabte", "diumenge"};
    for (int i = 0; i < 7; ++i) locale.items[{LocaleItem::DayName, i}] = days[i];
    locale.items[{LocaleItem::LongDateFormat, 0}] = "dddd, d MMMM' de 'yyyy";
    locale.items[{LocaleItem::TimeFormat, 0}] = "H:mm:ss";
    ScopedPort<ILocalePort> withLocale{locale};
    Load(Calendar(R"({"subject": "octubre", "start": "2026-10-08 09:00", "end": "2026-10-08 10:00"},
                     {"subject": "weekly", "start": "2026-09-03 11:00", "end": "2026-09-03 11:30",
                      "recurrence": {"type": "weekly"}})"));
    Doc().m_clock = [] { return COleDateTime(2026, 10, 8, 10, 30, 0); };
    EXPECT_TRUE(Doc().RefreshData());
    EXPECT_TRUE(env.ui.boxes.empty()) << env.ui.boxes[0].text; // Outlook refuses an unescaped quote
    EXPECT_EQ(Subjects(0), (std::vector<std::string>{"octubre", "weekly"}));
    EXPECT_NE(CAppointments::BuildFilter(COleDateTime(2026, 10, 8, 0, 0, 0), false, LocaleValues()).find("d''octubre"),
              std::string::npos);
}

// Stores built to hurt: dates beyond the range, misspelt top-level fields, missing
// default folders and deep nesting are each refused once, naming the place.
TEST_F(EngineTest, HostileStoresAreRefusedWithTheirPlace) {
    auto store = [](const std::string& appointment, const std::string& task = "", const std::string& extra = "") {
        return R"({"folders": [{"name": "Inbox", "role": "inbox"},
            {"name": "Calendar", "role": "calendar", "appointments": [)" + appointment + R"(]},
            {"name": "Tasks", "role": "tasks", "tasks": [)" + task + "]}" + extra + "]}";
    };
    struct Case {
        std::string json;
        const char* message;
    } cases[] = {
        {store(R"({"start": "today-100000000", "recurrence": {"type": "daily"}})"),
         R"(/folders/1/appointments/0/start: "today-100000000" is outside the dates from 1 January 100)"},
        {store(R"({"start": "today+2930000"})"), "/folders/1/appointments/0/start: \"today+2930000\" is outside"},
        {store(R"({"start": "today-99999999999999999999"})"), "/folders/1/appointments/0/start: bad day offset"},
        {store(R"({"start": "today", "recurrence": {"type": "daily", "until": "today+9999999"}})"),
         "/folders/1/appointments/0/recurrence/until: \"today+9999999\" is outside"},
        {store(R"({"start": "today", "recurrence": {"type": "weekly", "start": "today-800000"}})"),
         "/recurrence/start: \"today-800000\" is outside"},
        {store(R"({"start": "today", "recurrence": {"type": "daily", "exceptions": [{"date": "today-900000", "deleted": true}]}})"),
         "/recurrence/exceptions/0/date: \"today-900000\" is outside"},
        {store("", R"({"due": "today-1000000"})"), "/folders/2/tasks/0/due: \"today-1000000\" is outside"},
        {store(R"({"start": "0099-12-31 12:00"})"), "/folders/1/appointments/0/start: no such day"},
        {store(R"({"start": "2026-12-07 09:00", "end": "2026-12-09 09:00", "recurrence": {"type": "daily"}})"),
         "/folders/1/appointments/0/recurrence: an occurrence lasts longer than its recurrence period of 1 days"},
        {store(R"({"start": "today", "sensitivity": 4})"), "/folders/1/appointments/0/sensitivity"},
        {store("", R"({"sensitivity": -1})"), "/folders/2/tasks/0/sensitivity"},
        {R"({"verison": "16.0", "folders": []})", "/verison: unknown field"},
        {R"({"folders": [{"name": "Calendar", "role": "calendar"}]})", R"(/folders: no folder has the role "tasks")"},
        {R"({"folders": [{"name": "Tasks", "role": "tasks"}]})", R"(/folders: no folder has the role "calendar")"},
    };
    std::string error;
    for (const auto& c : cases) {
        error.clear();
        EXPECT_FALSE(CSubstituteOutlook::Load(c.json, Today().m_dt, error)) << c.json;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
    // Folders nest up to 100 levels; one more, or fifty thousand, is refused.
    auto nested = [&](int depth) {
        std::string open, close;
        for (int i = 0; i < depth; ++i) {
            open += R"({"name": "F", "folders": [)";
            close += "]}";
        }
        return store("", "", "," + open + close);
    };
    EXPECT_TRUE(CSubstituteOutlook::Load(nested(100), Today().m_dt, error)) << error; // levels 1..100 below the top
    for (int depth : {101, 50000}) {
        error.clear();
        EXPECT_FALSE(CSubstituteOutlook::Load(nested(depth), Today().m_dt, error));
        EXPECT_NE(error.find("folders nested deeper than 100 levels"), std::string::npos) << error.substr(0, 200);
    }
    // The first day of the date range holds at noon; relative dates at the range's ends load.
    EXPECT_TRUE(CSubstituteOutlook::Load(store(R"({"start": "0100-01-01 12:00", "end": "0100-01-01 13:00"})"),
                                         Today().m_dt, error))
        << error;
}

} // namespace
