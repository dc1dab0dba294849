// The bulk reads and the change detection against the walk: what a refresh shows
// must be what the item-by-item walk shows on the same store, edit after edit.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <sstream>

#include "FakePorts.h"
#include "app/OrvantaDoc.h"
#include "outlook/store/SubstituteOutlook.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

namespace {

const char* kRoot = "Software\\Kestrova\\Orvanta for Outlook\\3.5";

// Outlook's application object answering another Version: the engine of a program
// connected to it thinks it talks to that Outlook (before 12: no tables).
class VersionedApplication : public IAutoObject {
public:
    VersionedApplication(AutoObjectPtr inner, std::string version) : m_inner(std::move(inner)), m_version(std::move(version)) {}
    CAutoValue Get(const std::string& m) override { return m == "Version" ? CAutoValue::String(m_version) : m_inner->Get(m); }
    void Put(const std::string& m, const CAutoValue& v) override { m_inner->Put(m, v); }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& a) override { return m_inner->Call(m, a); }
    bool Supports(const std::string& i) override { return m_inner->Supports(i); }

private:
    AutoObjectPtr m_inner;
    std::string m_version;
};

class StorePort : public IAutomationPort {
public:
    std::shared_ptr<CSubstituteOutlook> store;
    std::string version; // empty: the store's own
    long CreateOutlook(AutoObjectPtr& app) override {
        if (!store) return AutoCode::ClassNotRegistered;
        app = store->Application();
        if (!version.empty()) app = std::make_shared<VersionedApplication>(app, version);
        return 0;
    }
    bool StartOle() override { return true; }
    void StopOle() override {}
    std::string ErrorText(long) override { return std::string(); }
};

// A random store and random edits of it, as JSON items of the store file.
class RandomStore {
public:
    explicit RandomStore(unsigned seed) : m_rng(seed) {}

    std::string Appointment(bool allowRecurring = true) {
        std::ostringstream o;
        const int day = Pick(-3, 8);
        // A coarse grid makes equal starts common: their order is part of what is compared.
        const int minute = Pick(0, 95) * 15;
        const int length = Pick(0, 3) == 0 ? Pick(1, 3) * 1440 : Pick(0, 8) * 15;
        o << R"({"subject": ")" << Word() << R"(", "start": ")" << When(day, minute) << R"(", "end": ")"
          << When(day, minute + length) << R"(", "importance": )" << Pick(0, 2) << R"(, "reminder": )"
          << (Pick(0, 1) ? "true" : "false");
        if (Pick(0, 5) == 0) o << R"(, "allDay": true)";
        if (Pick(0, 4) == 0) o << R"(, "attachments": [")" << Word() << R"("])";
        if (allowRecurring && Pick(0, 2) == 0 && length < 1440) {
            o << R"(, "recurrence": {"type": ")" << (Pick(0, 1) ? "daily" : "weekly") << R"(", "days": )" << Pick(1, 127)
              << R"(, "start": ")" << When(day - Pick(0, 20), 0) << R"(")";
            if (Pick(0, 1)) {
                // a changed occurrence, a deleted one, or one moved to another day
                const int on = day + Pick(0, 6);
                o << R"(, "exceptions": [{"date": ")" << When(on, 0) << R"(", )";
                if (Pick(0, 2) == 0) o << R"("deleted": true})";
                else {
                    const int moved = on + Pick(-1, 1);
                    const int at = Pick(0, 95) * 15;
                    o << R"("start": ")" << When(moved, at) << R"(", "end": ")" << When(moved, at + 30)
                      << R"(", "subject": ")" << Word() << R"("})";
                }
                o << "]";
            }
            o << "}";
        }
        o << "}";
        return o.str();
    }

    std::string Task() {
        std::ostringstream o;
        o << R"({"subject": ")" << Word() << R"(", "due": ")" << (Pick(0, 3) == 0 ? std::string("none") : When(Pick(-5, 5), 0))
          << R"(", "created": ")" << When(-Pick(1, 4), Pick(0, 3) * 60) << R"(", "importance": )" << Pick(0, 2)
          << R"(, "percent": )" << (Pick(0, 1) ? 0 : 50) << R"(, "reminder": )" << (Pick(0, 1) ? "true" : "false")
          << R"(, "recurring": )" << (Pick(0, 3) == 0 ? "true" : "false");
        if (Pick(0, 4) == 0) o << R"(, "complete": true, "completed": ")" << When(Pick(-1, 0), 0) << R"(")";
        if (Pick(0, 4) == 0) o << R"(, "attachments": [")" << Word() << R"("])";
        o << "}";
        return o.str();
    }

    std::string Store() {
        auto list = [&](int n, auto make) {
            std::string s;
            for (int i = 0; i < n; ++i) s += (i ? "," : "") + make();
            return s;
        };
        return R"({"folders": [
            {"name": "Inbox", "role": "inbox", "unread": 3, "items": 9,
             "folders": [{"name": "Projects", "unread": 1, "items": 4}, {"name": "Lists", "unread": 0, "items": 2}]},
            {"name": "Drafts", "role": "drafts", "items": 2}, {"name": "Outbox", "role": "outbox", "items": 1},
            {"name": "Calendar", "role": "calendar", "appointments": [)" +
               list(Pick(5, 40), [&] { return Appointment(); }) + R"(]},
            {"name": "Old Calendar", "kind": "calendar", "appointments": [)" +
               list(Pick(0, 6), [&] { return Appointment(); }) + R"(]},
            {"name": "Tasks", "role": "tasks", "tasks": [)" + list(Pick(3, 30), [&] { return Task(); }) + R"(]},
            {"name": "Old Tasks", "kind": "tasks", "tasks": []}]})";
    }

    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    template <class T> const T& OneOf(const std::vector<T>& v) { return v[static_cast<size_t>(Pick(0, static_cast<int>(v.size()) - 1))]; }

private:
    std::string Word() {
        static const char* const kWords[] = {"Review", "Lunch", "Call", "Plan", "Budget", "Team", "Dentist", "Report"};
        return kWords[Pick(0, 7)];
    }
    static std::string When(int day, int minutes) {
        day += minutes / 1440;
        minutes %= 1440;
        char buf[40];
        std::snprintf(buf, sizeof buf, "today%+d %02d:%02d", day, minutes / 60, minutes % 60);
        return buf;
    }
    std::mt19937 m_rng;
};

// Everything a refresh shows, and what it is kept with (entry ids, times to the second).
std::string Shown(const COrvantaDoc& doc, int days) {
    std::ostringstream o;
    char when[64];
    for (int d = 0; d < days; ++d) {
        o << "day " << d << "\n";
        for (int i = 0; i < doc.Day(d).GetCount(); ++i) {
            const CAppointment& a = doc.Day(d).GetAt(i);
            std::snprintf(when, sizeof when, "%.9f %.9f", a.GetStart().m_dt, a.GetEnd().m_dt);
            o << " " << a.GetEntryID() << " " << a.GetSubject() << " " << when << " " << a.GetDuration() << " "
              << a.GetImportance() << a.IsRecurring() << a.HasReminder() << a.IsAllDay() << a.IsMultiDay();
            for (const std::string& n : a.GetAttachments()) o << " [" << n << "]";
            o << "\n";
        }
    }
    for (int i = 0; i < doc.Tasks().GetCount(); ++i) {
        const CTask& t = doc.Tasks().GetAt(i);
        std::snprintf(when, sizeof when, "%.9f %.9f %.9f %.9f", t.GetDueDate().m_dt, t.GetStartDate().m_dt,
                      t.GetCreationTime().m_dt, t.GetDateCompleted().m_dt);
        o << "task " << t.GetEntryID() << " " << t.GetSubject() << " " << when << " " << t.IsComplete()
          << t.IsRecurring() << t.HasReminder() << " " << t.GetPercentComplete() << " " << t.GetStatus() << " "
          << t.GetImportance();
        for (const std::string& n : t.m_attachments) o << " [" << n << "]";
        o << "\n";
    }
    for (int i = 0; i < doc.Folders().GetCount(); ++i)
        o << "folder " << doc.Folders().GetAt(i).GetEntryID() << " " << doc.Folders().GetAt(i).GetName() << " "
          << doc.Folders().GetAt(i).GetDisplayCount() << "\n";
    return o.str();
}

class BulkReadTest : public ::testing::Test {
protected:
    BulkReadTest() {
        // The same Today page for both Outlook versions the programs below connect to.
        for (const char* version : {"16.0", "11.0"}) {
            const std::string key = std::string("Software\\Microsoft\\Office\\") + version + "\\Outlook\\Today";
            auto& tree = env.registry.Tree(RegRoot::CurrentUser);
            tree.CreateKey(key);
            tree.SetValue(key, "CalDays", RegValue::Text("7"));
            tree.CreateKey(key + "\\Folders");
            const char* paths[] = {"Personal Folders\\Inbox", "Personal Folders\\Inbox\\Projects", "drafts", "outbox",
                                   "Personal Folders\\Inbox\\Lists"};
            for (int i = 0; i < 5; ++i) tree.SetValue(key + "\\Folders", std::to_string(i), RegValue::Text(paths[i]));
        }
        fastSettings->Open();
        walkSettings->Open();
    }
    void Load(const std::string& json) {
        std::string error;
        store = CSubstituteOutlook::Load(json, COleDateTime(2026, 12, 7, 0, 0, 0).m_dt, error);
        ASSERT_TRUE(store) << error << "\n" << json;
        fastPort.store = walkPort.store = store;
        walkPort.version = "11.0.8303.0";
    }
    // A program on the store as it is (Outlook 16, with tables) and one that walks it
    // (Outlook 11), each with its own settings.
    std::unique_ptr<COrvantaDoc> Connect(StorePort& port, CSettings& settings) {
        ScopedPort<IAutomationPort> with(port);
        auto doc = std::make_unique<COrvantaDoc>(settings);
        doc->m_clock = [this] { return now; };
        EXPECT_TRUE(doc->Engine().EnsureConnected());
        return doc;
    }
    bool Refresh(COrvantaDoc& doc, StorePort& port) {
        ScopedPort<IAutomationPort> with(port);
        return doc.RefreshData();
    }

    FakeEnvironment env;
    StorePort fastPort, walkPort;
    std::shared_ptr<CSubstituteOutlook> store;
    std::unique_ptr<CSettings> fastSettings = std::make_unique<CSettings>(kRoot);
    std::unique_ptr<CSettings> walkSettings = std::make_unique<CSettings>(kRoot);
    COleDateTime now{2026, 12, 7, 10, 30, 0};
};

// Random stores, random edits between refreshes (add, change, move, delete, mark
// read, recurrence exceptions): after every refresh the lists and the signature CRC
// of the program reading tables and looking for changes are those of the walk. Every
// other store raises no events: its changes are found by the detection alone.
TEST_F(BulkReadTest, EveryRefreshShowsWhatTheWalkShows) {
    constexpr int kStores = 40, kRefreshes = 60;
    long edits = 0;
    for (int n = 0; n < kStores; ++n) {
        RandomStore random(1000u + static_cast<unsigned>(n));
        Load(random.Store());
        const bool events = n % 2 == 0;
        store->SetEvents(events);
        now = COleDateTime(2026, 12, 7, 10, 30, 0);
        auto fast = Connect(fastPort, *fastSettings);
        auto walk = Connect(walkPort, *walkSettings);
        ASSERT_EQ(walk->Engine().MajorVersion(), 11);
        ASSERT_TRUE(fast->Engine().HasTables());
        for (int r = 0; r < kRefreshes; ++r) {
            const int count = random.Pick(0, 3);
            for (int e = 0; e < count; ++e, ++edits) {
                std::string error, id;
                const bool task = random.Pick(0, 2) == 0;
                const std::vector<std::string> ids = store->ItemIds(task ? 3 : 1);
                const std::string home = store->FolderId(task ? "tasks" : "calendar");
                switch (random.Pick(0, 5)) {
                case 0: ASSERT_TRUE(store->AddItem(home, task ? random.Task() : random.Appointment(), id, error)) << error; break;
                case 1:
                    if (!ids.empty()) {
                        ASSERT_TRUE(store->ReplaceItem(random.OneOf(ids), task ? random.Task() : random.Appointment(), error))
                            << error;
                    }
                    break;
                case 2:
                    if (!ids.empty()) store->RemoveItem(random.OneOf(ids));
                    break;
                case 3:
                    // into the other folder of the kind, or back (or to its own folder's end)
                    if (!ids.empty()) {
                        ASSERT_TRUE(store->MoveItem(random.OneOf(ids),
                                                    random.Pick(0, 1) ? home : store->FolderId(task ? "Old Tasks" : "Old Calendar")));
                    }
                    break;
                case 4: {
                    const CMailFolders& folders = fast->Folders();
                    if (folders.GetCount() == 0) break;
                    const CMailFolder& f = folders.GetAt(random.Pick(0, folders.GetCount() - 1));
                    store->SetCounts(f.GetEntryID(), random.Pick(0, 9), random.Pick(0, 20));
                    break;
                }
                default:
                    // a series gains a changed, deleted or moved occurrence (the whole
                    // series is written again, as Outlook saves it)
                    if (!task && !ids.empty()) {
                        std::string series = random.Appointment();
                        ASSERT_TRUE(store->ReplaceItem(random.OneOf(ids), series, error)) << error;
                    }
                    break;
                }
            }
            if (random.Pick(0, 14) == 0) now = now + COleDateTimeSpan(1.0); // a new day
            ASSERT_EQ(Refresh(*fast, fastPort), Refresh(*walk, walkPort));
            ASSERT_EQ(Shown(*fast, 7), Shown(*walk, 7)) << "store " << n << ", refresh " << r << ", events " << events;
            ASSERT_EQ(fast->LastSignature(), walk->LastSignature()) << "store " << n << ", refresh " << r;
        }
    }
    std::printf("[ INFO     ] %d random stores (half without events), %ld edits, %d refreshes each: every list and "
                "signature as the walk's\n",
                kStores, edits, kRefreshes);
}

// A table call Outlook fails (or an item the tables cannot take) makes that read the
// walk, quietly: the same lists, no message.
TEST_F(BulkReadTest, AFailingTableCallFallsBackToTheWalk) {
    for (const char* member : {"GetTable", "GetArray", "RecurrenceState", "Columns"}) {
        RandomStore random(7);
        Load(random.Store());
        auto fast = Connect(fastPort, *fastSettings);
        auto walk = Connect(walkPort, *walkSettings);
        store->FailMember(member, AutoCode::Exception);
        ASSERT_TRUE(Refresh(*fast, fastPort)) << member;
        store->FailMember("", 0);
        ASSERT_TRUE(Refresh(*walk, walkPort));
        EXPECT_EQ(Shown(*fast, 7), Shown(*walk, 7)) << member;
        EXPECT_EQ(fast->LastSignature(), walk->LastSignature()) << member;
        EXPECT_TRUE(env.ui.boxes.empty()) << member << ": " << env.ui.boxes.front().text;
    }
}

} // namespace
