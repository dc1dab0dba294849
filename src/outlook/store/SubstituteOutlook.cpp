#include "SubstituteOutlook.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <list>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "../../platform/Platform.h"
#include "../../util/LocaleValues.h"
#include "../../util/OleDateTime.h"
#include "../../util/Parser.h"
#include "RecurrencePattern.h"
#include "StoreFilter.h"

using nlohmann::json;

namespace {

struct Occurrence;

struct ApptData {
    std::string subject, location, body, entryId;
    int importance = 1, sensitivity = 0;
    bool reminder = false, allDay = false;
    double start = 0, end = 0;
    std::vector<std::string> attachments;
    bool recurring = false;
    CRecurrencePattern pattern;
    struct Exception {
        int64_t day = 0;
        bool deleted = false;
        double start = 0, end = 0;
        std::string subject;
    };
    std::vector<Exception> exceptions;
    double modified = 0; // LastModificationTime
};

struct TaskData {
    std::string subject, entryId;
    double created = 0, start = COleDateTime::kNoDate, due = COleDateTime::kNoDate, completed = 0;
    bool complete = false, reminder = false, recurring = false;
    int importance = 1, percent = 0, status = 0, sensitivity = 0;
    std::vector<std::string> attachments;
    double modified = 0; // LastModificationTime
};

struct FolderData {
    std::string name, entryId, role;
    int kind = 0; // DefaultItemType: 0 mail, 1 appointments, 2 contacts, 3 tasks
    int unread = 0, itemCount = 0;
    std::vector<ApptData> appointments;
    std::vector<TaskData> tasks;
    std::vector<std::unique_ptr<FolderData>> children;
    FolderData* parent = nullptr;
};

[[noreturn]] void Unknown(const std::string& member) {
    throw CAutoError(AutoCode::UnknownName, "unknown member " + member);
}

int64_t DayOf(double ole) { return static_cast<int64_t>(std::floor(COleDateTime::ToLinear(ole) + 1e-9)); }

} // namespace

struct CSubstituteOutlook::State {
    std::string version = "16.0.0.0";
    std::unique_ptr<FolderData> root;
    std::map<std::string, FolderData*> roles;
    std::vector<std::string> actions;
    std::function<void(const std::string&)> actionSink;
    int created = 0;
    long calls = 0;
    unsigned generation = 0; // objects of an earlier generation are disconnected
    bool running = true;
    std::string failMember;
    long failCode = 0;
    // Windows of Outlook the actions open: size and window state by item or folder id.
    struct Window {
        int width = 640, height = 480, windowState = 2;
    };
    std::map<std::string, Window> windows;
    // Appointments added with Items.Add and not saved: a Close(1) discards them.
    struct Pending {
        std::string id;
        FolderData* folder = nullptr;
        ApptData data;
    };
    std::list<std::unique_ptr<Pending>> pending;
    int added = 0;
    bool menuEntry = true; // the inspector's "Menu Bar" pop-up 30004 holds the entry 1987
    // Explorer windows opened on each folder: Folder.Display opens one, and so does
    // every explorer from GetExplorer when it is first displayed or activated.
    std::map<std::string, int> explorers;
    // The store's id (StoreID of every folder).
    std::string storeId = "0000000038A1BB1005E5101AA1BB08002B2A56C20000";
    // The major number of the version text: the inspector's menu bar exists before 14
    // (Outlook 2010 marks command bars deprecated and shows the ribbon); a calendar
    // view's GoToDate from 12 (Outlook 2007) on.
    int Major() const { return std::atoi(version.c_str()); }
    int nextId = 0; // entry ids are numbered across loading and edits
    // LastModificationTime of the latest change: each edit is stamped later than the
    // one before, also within one second of the clock.
    double lastStamp = 0;
    double Stamp() {
        const double now = COleDateTime::ToLinear(LocalNow().m_dt);
        lastStamp = std::max(now, lastStamp + 1.0 / 86400.0);
        return COleDateTime::FromLinear(lastStamp);
    }
    // Who listens to the events of a folder's Items ("ItemsEvents") or of the Folders
    // collection below a folder ("FoldersEvents").
    struct Listener {
        const FolderData* folder = nullptr;
        std::string events;
        IAutoObject::EventHandler handler;
    };
    std::vector<std::weak_ptr<Listener>> listeners;
    bool eventsOn = true;
    void Fire(const FolderData* folder, const std::string& events, const std::string& name) {
        if (!eventsOn || !running) return;
        std::vector<std::shared_ptr<Listener>> live;
        for (const auto& w : listeners)
            if (auto l = w.lock()) live.push_back(l);
        listeners.assign(live.begin(), live.end());
        for (const auto& l : live)
            if (l->folder == folder && l->events == events) l->handler(name);
    }
    std::shared_ptr<void> Listen(const FolderData* folder, const std::string& events, IAutoObject::EventHandler h) {
        auto l = std::make_shared<Listener>(Listener{folder, events, std::move(h)});
        listeners.push_back(l);
        return l;
    }
    // What the loading stamps every item with that names no time of its own.
    double loaded = 0;
    double today = 0; // the day "today" means in the store's dates
};

namespace {

using State = CSubstituteOutlook::State;

// ---- loading ---------------------------------------------------------------------

class Loader {
public:
    Loader(State& s, double today) : m_s(s), m_today(std::floor(today)) {}
    // An appointment or a task given alone (the store's edits).
    ApptData LoadAppointment(const json& j) { return Appointment(j, ""); }
    TaskData LoadTask(const json& j) { return Task(j, ""); }

    void Load(const json& doc) {
        if (!doc.is_object()) Fail("", "the store must be a JSON object");
        m_s.loaded = m_s.Stamp();
        Known(doc, "", {"version", "store", "folders"});
        if (doc.contains("version")) m_s.version = Text(doc["version"], "/version");
        m_s.root = std::make_unique<FolderData>();
        m_s.root->name = doc.contains("store") ? Text(doc["store"], "/store") : "Personal Folders";
        m_s.root->entryId = NewId();
        if (!doc.contains("folders") || !doc["folders"].is_array()) Fail("/folders", "expected a list of folders");
        for (size_t i = 0; i < doc["folders"].size(); ++i)
            LoadFolder(doc["folders"][i], "/folders/" + std::to_string(i), *m_s.root, 1);
        // The program reads these two on every refresh: a store without them is refused
        // once here rather than failing each day and the task list.
        for (const char* role : {"calendar", "tasks"})
            if (!m_s.roles.count(role)) Fail("/folders", std::string("no folder has the role \"") + role + "\"");
    }

    // Folders nest at most this deep (the top folder's children are level 1).
    static constexpr int kMaxFolderDepth = 100;

    [[noreturn]] static void Fail(const std::string& where, const std::string& what) {
        throw std::runtime_error((where.empty() ? std::string("/") : where) + ": " + what);
    }

private:
    std::string NewId() {
        char buf[40];
        std::snprintf(buf, sizeof buf, "0000000%08X", ++m_s.nextId);
        return buf;
    }
    static std::string Text(const json& j, const std::string& where) {
        if (!j.is_string()) Fail(where, "expected text");
        return j.get<std::string>();
    }
    static int Int(const json& j, const std::string& where, int lo, int hi) {
        if (!j.is_number_integer()) Fail(where, "expected a whole number");
        long long v = j.get<long long>();
        if (v < lo || v > hi) Fail(where, "expected a number from " + std::to_string(lo) + " to " + std::to_string(hi));
        return static_cast<int>(v);
    }
    static bool Bool(const json& j, const std::string& where) {
        if (!j.is_boolean()) Fail(where, "expected true or false");
        return j.get<bool>();
    }
    // "2026-12-07", "2026-12-07 09:30", "2026-12-07T09:30:00", "today", "today+3 14:00", "none"
    double Date(const json& j, const std::string& where) {
        std::string s = EParser::Trim(Text(j, where));
        if (s == "none") return COleDateTime::kNoDate;
        double day = 0;
        std::string rest;
        if (s.rfind("today", 0) == 0) {
            size_t pos = 5;
            long offset = 0;
            if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
                size_t used = 0;
                try {
                    offset = std::stol(s.substr(pos), &used);
                } catch (...) {
                    Fail(where, "bad day offset in \"" + s + "\"");
                }
                pos += used;
            }
            // Beyond the whole date range the sum could overflow; the result is checked below.
            if (offset < -kRangeDays || offset > kRangeDays) Fail(where, OutOfRange(s));
            day = m_today + static_cast<double>(offset);
            rest = s.substr(pos);
        } else {
            int y = 0, m = 0, d = 0, n = 0;
            if (std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &y, &m, &d, &n) != 3) Fail(where, "not a date: \"" + s + "\"");
            COleDateTime v(y, m, d, 0, 0, 0);
            if (v.GetStatus() != COleDateTime::valid) Fail(where, "no such day: \"" + s + "\"");
            day = v.m_dt;
            rest = s.substr(static_cast<size_t>(n));
        }
        rest = EParser::TrimChars(rest, " T");
        int hh = 0, mm = 0, ss = 0;
        if (!rest.empty()) {
            int got = std::sscanf(rest.c_str(), "%2d:%2d:%2d", &hh, &mm, &ss);
            if (got < 2 || hh > 23 || mm > 59 || ss > 59 || hh < 0 || mm < 0 || ss < 0)
                Fail(where, "not a time: \"" + rest + "\"");
        }
        double time = (hh * 3600 + mm * 60 + ss) / 86400.0;
        double value = COleDateTime::FromLinear(COleDateTime::ToLinear(day) + time);
        DateFields fields;
        if (!COleDateTime::FieldsFromOle(value, fields)) Fail(where, OutOfRange(s));
        return value;
    }
    static constexpr long kRangeDays = 3700000; // more than 1 January 100 to 31 December 9999
    static std::string OutOfRange(const std::string& s) {
        return "\"" + s + "\" is outside the dates from 1 January 100 to 31 December 9999";
    }
    std::vector<std::string> Names(const json& j, const std::string& where) {
        if (!j.is_array()) Fail(where, "expected a list of names");
        std::vector<std::string> out;
        for (size_t i = 0; i < j.size(); ++i) out.push_back(Text(j[i], where + "/" + std::to_string(i)));
        return out;
    }
    static void Known(const json& j, const std::string& where, std::initializer_list<const char*> keys) {
        for (auto it = j.begin(); it != j.end(); ++it) {
            bool ok = std::any_of(keys.begin(), keys.end(), [&](const char* k) { return it.key() == k; });
            if (!ok) Fail(where + "/" + it.key(), "unknown field");
        }
    }

    void LoadFolder(const json& j, const std::string& where, FolderData& parent, int depth) {
        if (!j.is_object()) Fail(where, "expected a folder object");
        if (depth > kMaxFolderDepth)
            Fail(where, "folders nested deeper than " + std::to_string(kMaxFolderDepth) + " levels");
        Known(j, where, {"name", "kind", "role", "unread", "items", "entryId", "folders", "appointments", "tasks"});
        auto f = std::make_unique<FolderData>();
        f->parent = &parent;
        if (!j.contains("name")) Fail(where, "a folder needs a name");
        f->name = Text(j["name"], where + "/name");
        f->entryId = j.contains("entryId") ? Text(j["entryId"], where + "/entryId") : NewId();
        static const std::map<std::string, int> kKinds = {
            {"mail", 0}, {"calendar", 1}, {"contacts", 2}, {"tasks", 3}, {"journal", 4}, {"notes", 5}};
        static const std::map<std::string, int> kRoleKinds = {
            {"inbox", 0}, {"outbox", 0}, {"drafts", 0}, {"calendar", 1}, {"tasks", 3}};
        if (j.contains("role")) {
            f->role = Text(j["role"], where + "/role");
            auto rk = kRoleKinds.find(f->role);
            if (rk == kRoleKinds.end()) Fail(where + "/role", "unknown role \"" + f->role + "\"");
            if (m_s.roles.count(f->role)) Fail(where + "/role", "a second " + f->role + " folder");
            f->kind = rk->second;
            m_s.roles[f->role] = f.get();
        }
        if (j.contains("kind")) {
            auto k = kKinds.find(Text(j["kind"], where + "/kind"));
            if (k == kKinds.end()) Fail(where + "/kind", "unknown kind");
            f->kind = k->second;
        }
        if (j.contains("unread")) f->unread = Int(j["unread"], where + "/unread", 0, 1 << 30);
        if (j.contains("items")) f->itemCount = Int(j["items"], where + "/items", 0, 1 << 30);
        if (j.contains("appointments")) {
            const json& a = j["appointments"];
            if (!a.is_array()) Fail(where + "/appointments", "expected a list");
            for (size_t i = 0; i < a.size(); ++i)
                f->appointments.push_back(Appointment(a[i], where + "/appointments/" + std::to_string(i)));
        }
        if (j.contains("tasks")) {
            const json& t = j["tasks"];
            if (!t.is_array()) Fail(where + "/tasks", "expected a list");
            for (size_t i = 0; i < t.size(); ++i) f->tasks.push_back(Task(t[i], where + "/tasks/" + std::to_string(i)));
        }
        if (j.contains("folders")) {
            const json& c = j["folders"];
            if (!c.is_array()) Fail(where + "/folders", "expected a list");
            for (size_t i = 0; i < c.size(); ++i) LoadFolder(c[i], where + "/folders/" + std::to_string(i), *f, depth + 1);
        }
        parent.children.push_back(std::move(f));
    }

    ApptData Appointment(const json& j, const std::string& where) {
        if (!j.is_object()) Fail(where, "expected an appointment object");
        Known(j, where, {"subject", "start", "end", "allDay", "importance", "reminder", "location", "body",
                         "attachments", "entryId", "recurrence", "sensitivity", "modified"});
        ApptData a;
        if (!j.contains("start")) Fail(where, "an appointment needs a start");
        a.start = Date(j["start"], where + "/start");
        a.end = j.contains("end") ? Date(j["end"], where + "/end") : a.start;
        if (COleDateTime::ToLinear(a.end) < COleDateTime::ToLinear(a.start)) Fail(where + "/end", "ends before it starts");
        if (j.contains("subject")) a.subject = Text(j["subject"], where + "/subject");
        if (j.contains("allDay")) a.allDay = Bool(j["allDay"], where + "/allDay");
        if (j.contains("importance")) a.importance = Int(j["importance"], where + "/importance", 0, 2);
        if (j.contains("reminder")) a.reminder = Bool(j["reminder"], where + "/reminder");
        if (j.contains("sensitivity")) a.sensitivity = Int(j["sensitivity"], where + "/sensitivity", 0, 3);
        if (j.contains("location")) a.location = Text(j["location"], where + "/location");
        if (j.contains("body")) a.body = Text(j["body"], where + "/body");
        if (j.contains("attachments")) a.attachments = Names(j["attachments"], where + "/attachments");
        a.entryId = j.contains("entryId") ? Text(j["entryId"], where + "/entryId") : NewId();
        if (j.contains("recurrence")) Recurrence(j["recurrence"], where + "/recurrence", a);
        a.modified = j.contains("modified") ? Date(j["modified"], where + "/modified") : m_s.loaded;
        return a;
    }

    static int DayMask(const json& j, const std::string& where) {
        static const char* const kDays[] = {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};
        if (j.is_number_integer()) return Int(j, where, 0, 127);
        if (!j.is_array()) Fail(where, "expected a list of day names");
        int mask = 0;
        for (size_t i = 0; i < j.size(); ++i) {
            std::string d = EParser::ToLower(Text(j[i], where + "/" + std::to_string(i)));
            auto it = std::find_if(std::begin(kDays), std::end(kDays), [&](const char* k) { return d == k; });
            if (it == std::end(kDays)) Fail(where + "/" + std::to_string(i), "not a day name");
            mask |= 1 << (it - std::begin(kDays));
        }
        return mask;
    }

    void Recurrence(const json& j, const std::string& where, ApptData& a) {
        if (!j.is_object()) Fail(where, "expected a recurrence object");
        Known(j, where, {"type", "interval", "days", "dayOfMonth", "instance", "month", "firstDayOfWeek", "start",
                         "until", "count", "exceptions"});
        static const std::map<std::string, CRecurrencePattern::Type> kTypes = {
            {"daily", CRecurrencePattern::Type::Daily},     {"weekly", CRecurrencePattern::Type::Weekly},
            {"monthly", CRecurrencePattern::Type::Monthly}, {"monthNth", CRecurrencePattern::Type::MonthNth},
            {"yearly", CRecurrencePattern::Type::Yearly},   {"yearNth", CRecurrencePattern::Type::YearNth}};
        CRecurrencePattern& p = a.pattern;
        if (!j.contains("type")) Fail(where, "a recurrence needs a type");
        auto t = kTypes.find(Text(j["type"], where + "/type"));
        if (t == kTypes.end()) Fail(where + "/type", "unknown recurrence type");
        p.m_type = t->second;
        int sy, sm, sd;
        p.m_startDay = j.contains("start") ? DayOf(Date(j["start"], where + "/start")) : DayOf(a.start);
        CRecurrencePattern::CivilDate(p.m_startDay, sy, sm, sd);
        p.m_dayMask = 1 << CRecurrencePattern::Weekday(p.m_startDay);
        p.m_dayOfMonth = sd;
        p.m_monthOfYear = sm;
        if (j.contains("interval")) p.m_interval = Int(j["interval"], where + "/interval", 1, 999);
        if (j.contains("days")) p.m_dayMask = DayMask(j["days"], where + "/days");
        if (p.m_dayMask == 0) Fail(where + "/days", "no day given");
        if (j.contains("dayOfMonth")) p.m_dayOfMonth = Int(j["dayOfMonth"], where + "/dayOfMonth", 1, 31);
        if (j.contains("instance")) p.m_instance = Int(j["instance"], where + "/instance", 1, 5);
        if (j.contains("month")) p.m_monthOfYear = Int(j["month"], where + "/month", 1, 12);
        if (j.contains("firstDayOfWeek")) {
            int mask = DayMask(json::array({j["firstDayOfWeek"]}), where + "/firstDayOfWeek");
            for (int d = 0; d < 7; ++d)
                if (mask == 1 << d) p.m_firstDayOfWeek = d;
        }
        if (j.contains("until")) {
            p.m_hasEnd = true;
            p.m_endDay = DayOf(Date(j["until"], where + "/until"));
        }
        if (j.contains("count")) p.m_occurrences = Int(j["count"], where + "/count", 1, 999);
        if (j.contains("exceptions")) {
            const json& ex = j["exceptions"];
            if (!ex.is_array()) Fail(where + "/exceptions", "expected a list");
            for (size_t i = 0; i < ex.size(); ++i) {
                std::string w = where + "/exceptions/" + std::to_string(i);
                if (!ex[i].is_object() || !ex[i].contains("date")) Fail(w, "an exception needs a date");
                Known(ex[i], w, {"date", "deleted", "start", "end", "subject"});
                ApptData::Exception e;
                e.day = DayOf(Date(ex[i]["date"], w + "/date"));
                if (ex[i].contains("deleted")) e.deleted = Bool(ex[i]["deleted"], w + "/deleted");
                if (!e.deleted) {
                    if (!ex[i].contains("start") || !ex[i].contains("end")) Fail(w, "a changed occurrence needs start and end");
                    e.start = Date(ex[i]["start"], w + "/start");
                    e.end = Date(ex[i]["end"], w + "/end");
                    e.subject = ex[i].contains("subject") ? Text(ex[i]["subject"], w + "/subject") : a.subject;
                }
                a.exceptions.push_back(e);
            }
        }
        // Outlook's own rule: an occurrence ends before the next period begins. It also
        // bounds how many occurrences can cover any one day.
        static const std::map<CRecurrencePattern::Type, int> kPeriodDays = {
            {CRecurrencePattern::Type::Daily, 1},    {CRecurrencePattern::Type::Weekly, 7},
            {CRecurrencePattern::Type::Monthly, 31}, {CRecurrencePattern::Type::MonthNth, 31},
            {CRecurrencePattern::Type::Yearly, 366}, {CRecurrencePattern::Type::YearNth, 366}};
        const int period = kPeriodDays.at(p.m_type) * p.m_interval;
        if (COleDateTime::ToLinear(a.end) - COleDateTime::ToLinear(a.start) > period)
            Fail(where, "an occurrence lasts longer than its recurrence period of " + std::to_string(period) + " days");
        a.recurring = true;
    }

    TaskData Task(const json& j, const std::string& where) {
        if (!j.is_object()) Fail(where, "expected a task object");
        Known(j, where, {"subject", "due", "start", "created", "complete", "completed", "percent", "status",
                         "importance", "reminder", "recurring", "attachments", "entryId", "sensitivity", "modified"});
        TaskData t;
        if (j.contains("subject")) t.subject = Text(j["subject"], where + "/subject");
        t.created = j.contains("created") ? Date(j["created"], where + "/created") : m_today - 7;
        if (j.contains("due")) t.due = Date(j["due"], where + "/due");
        if (j.contains("start")) t.start = Date(j["start"], where + "/start");
        if (j.contains("complete")) t.complete = Bool(j["complete"], where + "/complete");
        if (j.contains("completed")) t.completed = Date(j["completed"], where + "/completed");
        else if (t.complete) t.completed = m_today;
        if (j.contains("percent")) t.percent = Int(j["percent"], where + "/percent", 0, 100);
        if (t.complete) t.percent = 100;
        t.status = t.complete ? 2 : (t.percent > 0 ? 1 : 0);
        if (j.contains("status")) t.status = Int(j["status"], where + "/status", 0, 4);
        if (j.contains("importance")) t.importance = Int(j["importance"], where + "/importance", 0, 2);
        if (j.contains("reminder")) t.reminder = Bool(j["reminder"], where + "/reminder");
        if (j.contains("recurring")) t.recurring = Bool(j["recurring"], where + "/recurring");
        if (j.contains("sensitivity")) t.sensitivity = Int(j["sensitivity"], where + "/sensitivity", 0, 3);
        if (j.contains("attachments")) t.attachments = Names(j["attachments"], where + "/attachments");
        t.entryId = j.contains("entryId") ? Text(j["entryId"], where + "/entryId") : NewId();
        t.modified = j.contains("modified") ? Date(j["modified"], where + "/modified") : m_s.loaded;
        return t;
    }

    State& m_s;
    double m_today;
};

// ---- objects ------------------------------------------------------------------------

class Base : public IAutoObject {
public:
    explicit Base(std::shared_ptr<State> s) : m_s(std::move(s)) {}
    void Put(const std::string& member, const CAutoValue&) override { Unknown(member); }
    CAutoValue Call(const std::string& member, const std::vector<CAutoValue>&) override { Unknown(member); }
    bool Supports(const std::string&) override { return false; }

protected:
    void Log(const std::string& what) {
        m_s->actions.push_back(what);
        if (m_s->actionSink) m_s->actionSink(what);
    }
    static void Args(const std::vector<CAutoValue>& args, size_t lo, size_t hi) {
        if (args.size() < lo || args.size() > hi) throw CAutoError(AutoCode::BadParamCount, "wrong number of arguments");
    }
    std::shared_ptr<State> m_s;
};

// Outlook 2007 (12) added CalendarView.GoToDate; Outlook 2010 (14) marks the
// inspector's command bars deprecated, and its inspectors have no "Menu Bar".
constexpr int kGoToDateVersion = 12, kNoMenuBarVersion = 14;

// Office's command bars of an inspector: "Standard" and "Menu Bar"; the menu bar's
// pop-up 30004 lists its entries as accessible children, 1987 among them unless the
// store was told to leave it out.
class CommandBarControl : public Base {
public:
    CommandBarControl(std::shared_ptr<State> s, int id, std::vector<int> children)
        : Base(std::move(s)), m_id(id), m_children(std::move(children)) {}
    CAutoValue Get(const std::string& m) override {
        if (m == "Id") return CAutoValue::Int(m_id);
        if (m == "accChildCount") return CAutoValue::Int(static_cast<int32_t>(m_children.size()));
        Unknown(m);
    }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override {
        if (m == "Execute") {
            Log("Execute " + std::to_string(m_id));
            return {};
        }
        if (m == "accChild") {
            Args(args, 1, 1);
            const int i = args[0].AsInt();
            if (i < 1 || i > static_cast<int>(m_children.size())) throw CAutoError(AutoCode::InvalidArg, "no such child");
            return CAutoValue::Object(std::make_shared<CommandBarControl>(m_s, m_children[static_cast<size_t>(i - 1)],
                                                                          std::vector<int>{}));
        }
        Unknown(m);
    }
    bool Supports(const std::string& i) override { return i == "CommandBarControl"; }

private:
    int m_id;
    std::vector<int> m_children;
};

class CommandBarControls : public Base {
public:
    CommandBarControls(std::shared_ptr<State> s, bool menu) : Base(std::move(s)), m_menu(menu) {}
    CAutoValue Get(const std::string& m) override {
        if (m == "Count") return CAutoValue::Int(static_cast<int32_t>(Ids().size()));
        Unknown(m);
    }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override {
        if (m != "Item") Unknown(m);
        Args(args, 1, 1);
        const int i = args[0].AsInt();
        const std::vector<int> ids = Ids();
        if (i < 1 || i > static_cast<int>(ids.size())) throw CAutoError(AutoCode::InvalidArg, "no such control");
        const int id = ids[static_cast<size_t>(i - 1)];
        std::vector<int> children;
        if (id == 30004) {
            children = {1990, 5488};
            if (m_s->menuEntry) children.insert(children.begin() + 1, 1987);
        }
        return CAutoValue::Object(std::make_shared<CommandBarControl>(m_s, id, children));
    }
    bool Supports(const std::string& i) override { return i == "CommandBarControls"; }

private:
    std::vector<int> Ids() const { return m_menu ? std::vector<int>{30002, 30003, 30004, 30005} : std::vector<int>{3, 4}; }
    bool m_menu;
};

class CommandBar : public Base {
public:
    CommandBar(std::shared_ptr<State> s, std::string name) : Base(std::move(s)), m_name(std::move(name)) {}
    CAutoValue Get(const std::string& m) override {
        if (m == "Name") return CAutoValue::String(m_name);
        if (m == "Controls") return CAutoValue::Object(std::make_shared<CommandBarControls>(m_s, m_name == "Menu Bar"));
        Unknown(m);
    }
    bool Supports(const std::string& i) override { return i == "CommandBar"; }

private:
    std::string m_name;
};

class CommandBars : public Base {
public:
    using Base::Base;
    CAutoValue Get(const std::string& m) override {
        if (m == "Count") return CAutoValue::Int(Bars());
        Unknown(m);
    }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override {
        if (m != "Item") Unknown(m);
        Args(args, 1, 1);
        const int i = args[0].AsInt();
        if (i < 1 || i > Bars()) throw CAutoError(AutoCode::InvalidArg, "no such command bar");
        return CAutoValue::Object(std::make_shared<CommandBar>(m_s, i == 1 ? "Standard" : "Menu Bar"));
    }
    bool Supports(const std::string& i) override { return i == "_CommandBars"; }

private:
    // From version 14 an inspector has the ribbon and no "Menu Bar".
    int Bars() const { return m_s->Major() >= kNoMenuBarVersion ? 1 : 2; }
};

// The current view of a calendar's explorer: GoToDate from version 12 on.
class CalendarView : public Base {
public:
    CalendarView(std::shared_ptr<State> s, std::string folderId) : Base(std::move(s)), m_id(std::move(folderId)) {}
    CAutoValue Get(const std::string& m) override {
        if (m == "ViewType") return CAutoValue::Int(2); // olCalendarView
        Unknown(m);
    }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override {
        if (m == "GoToDate" && m_s->Major() >= kGoToDateVersion) {
            Args(args, 1, 1);
            if (args[0].GetKind() != CAutoValue::Kind::Date) throw CAutoError(AutoCode::TypeMismatch, "GoToDate takes a date");
            Log("GoToDate " + COleDateTime(args[0].AsDate()).Format("%Y-%m-%d") + " " + m_id);
            return {};
        }
        Unknown(m);
    }
    bool Supports(const std::string& i) override { return i == "_CalendarView" || i == "View"; }

private:
    std::string m_id;
};

// A window of Outlook: the inspector of an item or the explorer of a folder. An
// explorer from GetExplorer is a new window, opened when first displayed or activated.
class Window : public Base {
public:
    Window(std::shared_ptr<State> s, std::string kind, std::string id, bool calendar = false)
        : Base(std::move(s)), m_kind(std::move(kind)), m_id(std::move(id)), m_calendar(calendar) {}
    CAutoValue Get(const std::string& m) override {
        State::Window& w = m_s->windows[m_id];
        if (m == "Width") return CAutoValue::Int(w.width);
        if (m == "Height") return CAutoValue::Int(w.height);
        if (m == "WindowState") return CAutoValue::Int(w.windowState);
        if (m == "CommandBars" && Inspector()) return CAutoValue::Object(std::make_shared<CommandBars>(m_s));
        if (m == "CurrentView" && !Inspector() && m_calendar)
            return CAutoValue::Object(std::make_shared<CalendarView>(m_s, m_id));
        Unknown(m);
    }
    void Put(const std::string& m, const CAutoValue& v) override {
        State::Window& w = m_s->windows[m_id];
        int* field = m == "Width" ? &w.width : m == "Height" ? &w.height : m == "WindowState" ? &w.windowState : nullptr;
        if (!field) Unknown(m);
        *field = v.AsInt();
        Log(m_kind + "." + m + " " + std::to_string(*field) + " " + m_id);
    }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override {
        if (m == "Activate") {
            Log(Inspector() ? "Activate " + m_id : m_kind + ".Activate " + m_id);
            Open();
            return {};
        }
        if (m == "Display") {
            Args(args, 0, 1);
            // Inspector.Display(Modal): a Boolean, as the object model declares it.
            if (Inspector() && args.size() == 1 && args[0].GetKind() != CAutoValue::Kind::Missing &&
                args[0].GetKind() != CAutoValue::Kind::Bool)
                throw CAutoError(AutoCode::TypeMismatch, "Display's Modal argument is not a Boolean");
            Log(m_kind + ".Display " + m_id);
            Open();
            return {};
        }
        if (m == "Close" && Inspector()) {
            Args(args, 1, 1);
            const int mode = args[0].AsInt();
            Log("Close " + std::to_string(mode) + " " + m_id);
            auto it = std::find_if(m_s->pending.begin(), m_s->pending.end(), [&](const auto& p) { return p->id == m_id; });
            if (it != m_s->pending.end()) {
                if (mode != 1 && (*it)->folder) (*it)->folder->appointments.push_back((*it)->data); // saved
                m_s->pending.erase(it);
            }
            return {};
        }
        Unknown(m);
    }
    bool Supports(const std::string& i) override { return i == (Inspector() ? "_Inspector" : "_Explorer"); }

private:
    bool Inspector() const { return m_kind == "Inspector"; }
    void Open() {
        if (Inspector() || m_open) return;
        m_open = true;
        ++m_s->explorers[m_id];
    }
    std::string m_kind, m_id;
    bool m_calendar = false;
    bool m_open = false;
};

class Attachments : public Base {
public:
    Attachments(std::shared_ptr<State> s, std::vector<std::string> names) : Base(std::move(s)), m_names(std::move(names)) {}
    CAutoValue Get(const std::string& m) override {
        if (m == "Count") return CAutoValue::Int(static_cast<int32_t>(m_names.size()));
        Unknown(m);
    }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override {
        if (m != "Item") Unknown(m);
        Args(args, 1, 1);
        int i = args[0].AsInt();
        if (i < 1 || i > static_cast<int>(m_names.size())) throw CAutoError(AutoCode::InvalidArg, "no such attachment");
        struct One : Base {
            std::string name;
            One(std::shared_ptr<State> s, std::string n) : Base(std::move(s)), name(std::move(n)) {}
            CAutoValue Get(const std::string& mm) override {
                if (mm == "DisplayName") return CAutoValue::String(name);
                Unknown(mm);
            }
            bool Supports(const std::string& i2) override { return i2 == "Attachment"; }
        };
        return CAutoValue::Object(std::make_shared<One>(m_s, m_names[static_cast<size_t>(i - 1)]));
    }

private:
    std::vector<std::string> m_names;
};

// Display, GetInspector for every item kind.
class Item : public Base {
public:
    Item(std::shared_ptr<State> s, std::string iface) : Base(std::move(s)), m_iface(std::move(iface)) {}
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override {
        if (m == "Display") {
            Args(args, 0, 1);
            Log("Display " + Id());
            return {};
        }
        if (m == "GetInspector") {
            Log("GetInspector " + Id());
            return CAutoValue::Object(std::make_shared<Window>(m_s, "Inspector", Id()));
        }
        Unknown(m);
    }
    bool Supports(const std::string& i) override { return i == m_iface; }
    virtual std::string Id() const = 0;

private:
    std::string m_iface;
};

// Outlook's RecurrenceState: a single item, a series' master, one occurrence, a changed one.
enum RecurrenceState { kNotRecurring = 0, kMaster = 1, kOccurrence = 2, kException = 3 };

class Appointment : public Item {
public:
    Appointment(std::shared_ptr<State> s, const ApptData* a, double start, double end, std::string subject,
                int state = -1)
        : Item(std::move(s), "_AppointmentItem"), m_a(a), m_start(start), m_end(end), m_subject(std::move(subject)),
          m_state(state >= 0 ? state : a->recurring ? kMaster : kNotRecurring) {}
    CAutoValue Get(const std::string& m) override {
        if (m == "Subject") return CAutoValue::String(m_subject);
        if (m == "Importance") return CAutoValue::Int(m_a->importance);
        if (m == "IsRecurring") return CAutoValue::Bool(m_a->recurring);
        if (m == "ReminderSet") return CAutoValue::Bool(m_a->reminder);
        if (m == "AllDayEvent") return CAutoValue::Bool(m_a->allDay);
        if (m == "Start") return CAutoValue::Date(m_start);
        if (m == "End") return CAutoValue::Date(m_end);
        if (m == "Duration")
            return CAutoValue::Int(static_cast<int32_t>(std::llround(
                (COleDateTime::ToLinear(m_end) - COleDateTime::ToLinear(m_start)) * 1440.0)));
        if (m == "EntryID") return CAutoValue::String(m_a->entryId);
        if (m == "Sensitivity") return CAutoValue::Int(m_a->sensitivity);
        if (m == "Location") return CAutoValue::String(m_a->location);
        if (m == "Body") return CAutoValue::String(m_a->body);
        if (m == "Attachments") return CAutoValue::Object(std::make_shared<Attachments>(m_s, m_a->attachments));
        if (m == "LastModificationTime") return CAutoValue::Date(m_a->modified);
        if (m == "RecurrenceState") return CAutoValue::Int(m_state);
        Unknown(m);
    }
    std::string Id() const override { return m_a->entryId; }

private:
    const ApptData* m_a;
    double m_start, m_end;
    std::string m_subject;
    int m_state;
};

class Task : public Item {
public:
    Task(std::shared_ptr<State> s, const TaskData* t) : Item(std::move(s), "_TaskItem"), m_t(t) {}
    CAutoValue Get(const std::string& m) override {
        if (m == "Subject") return CAutoValue::String(m_t->subject);
        if (m == "EntryID") return CAutoValue::String(m_t->entryId);
        if (m == "CreationTime") return CAutoValue::Date(m_t->created);
        if (m == "StartDate") return CAutoValue::Date(m_t->start);
        if (m == "DueDate") return CAutoValue::Date(m_t->due);
        if (m == "Complete") return CAutoValue::Bool(m_t->complete);
        if (m == "DateCompleted") return CAutoValue::Date(m_t->complete ? m_t->completed : COleDateTime::kNoDate);
        if (m == "IsRecurring") return CAutoValue::Bool(m_t->recurring);
        if (m == "ReminderSet") return CAutoValue::Bool(m_t->reminder);
        if (m == "Importance") return CAutoValue::Int(m_t->importance);
        if (m == "PercentComplete") return CAutoValue::Int(m_t->percent);
        if (m == "Status") return CAutoValue::Int(m_t->status);
        if (m == "Sensitivity") return CAutoValue::Int(m_t->sensitivity);
        if (m == "Attachments") return CAutoValue::Object(std::make_shared<Attachments>(m_s, m_t->attachments));
        if (m == "LastModificationTime") return CAutoValue::Date(m_t->modified);
        Unknown(m);
    }
    std::string Id() const override { return m_t->entryId; }

private:
    const TaskData* m_t;
};

class Mail : public Item {
public:
    Mail(std::shared_ptr<State> s, std::string id) : Item(std::move(s), "_MailItem"), m_id(std::move(id)) {}
    CAutoValue Get(const std::string& m) override {
        if (m == "EntryID") return CAutoValue::String(m_id);
        if (m == "Subject") return CAutoValue::String(std::string());
        Unknown(m);
    }
    std::string Id() const override { return m_id; }

private:
    std::string m_id;
};

// An appointment made by Items.Add: its start and subject can be set; it is saved
// into its folder or discarded when its inspector closes.
class AddedAppointment : public Item {
public:
    AddedAppointment(std::shared_ptr<State> s, std::string id) : Item(std::move(s), "_AppointmentItem"), m_id(std::move(id)) {}
    CAutoValue Get(const std::string& m) override {
        ApptData& a = Data();
        if (m == "Subject") return CAutoValue::String(a.subject);
        if (m == "Start") return CAutoValue::Date(a.start);
        if (m == "End") return CAutoValue::Date(a.end);
        if (m == "EntryID") return CAutoValue::String(m_id);
        Unknown(m);
    }
    void Put(const std::string& m, const CAutoValue& v) override {
        ApptData& a = Data();
        if (m == "Subject") {
            a.subject = v.AsString();
            Log("Subject " + a.subject + " " + m_id);
        } else if (m == "Start") {
            a.start = v.AsDate();
            a.end = COleDateTime::FromLinear(COleDateTime::ToLinear(a.start) + 30.0 / 1440.0);
            Log("Start " + COleDateTime(a.start).Format("%Y-%m-%d %H:%M") + " " + m_id);
        } else {
            Unknown(m);
        }
    }
    std::string Id() const override { return m_id; }

private:
    ApptData& Data() {
        for (auto& p : m_s->pending)
            if (p->id == m_id) return p->data;
        throw CAutoError(AutoCode::Exception, "the item has been closed");
    }
    std::string m_id;
};

// One entry of an item collection.
struct Entry {
    const ApptData* appt = nullptr;
    const TaskData* task = nullptr;
    double start = 0, end = 0;
    std::string subject;
    int state = -1; // RecurrenceState of an occurrence; -1: the item's own
};

CStoreFilter::Fields FieldsOf(const Entry& e) {
    return {e.start, e.end, e.appt ? e.appt->modified : e.task->modified,
            e.appt ? e.appt->recurring : e.task->recurring};
}

class Items : public Base {
public:
    Items(std::shared_ptr<State> s, FolderData* f, std::vector<Entry> entries, bool restricted)
        : Base(std::move(s)), m_folder(f), m_entries(std::move(entries)), m_restricted(restricted) {}

    CAutoValue Get(const std::string& m) override {
        if (m == "Count") return CAutoValue::Int(Count());
        if (m == "IncludeRecurrences") return CAutoValue::Bool(m_includeRecurrences);
        Unknown(m);
    }
    // Outlook expands recurrences only when the collection was sorted ascending by
    // [Start] before IncludeRecurrences was set, and stays sorted so.
    void Put(const std::string& m, const CAutoValue& v) override {
        if (m != "IncludeRecurrences") Unknown(m);
        m_includeRecurrences = v.AsBool();
        m_expand = m_includeRecurrences && m_sortedByStart;
    }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override {
        if (m == "GetFirst") {
            m_pos = 0;
            return Current();
        }
        if (m == "GetNext") {
            ++m_pos;
            return Current();
        }
        if (m == "Sort") {
            Args(args, 1, 2);
            std::string key = args[0].AsString();
            if (key != "[Start]" && key != "[End]") throw CAutoError(AutoCode::InvalidArg, "cannot sort by " + key);
            bool descending = args.size() > 1 && args[1].GetKind() != CAutoValue::Kind::Missing && args[1].AsBool();
            bool byEnd = key == "[End]";
            m_sortedByStart = !byEnd && !descending;
            if (!m_sortedByStart) m_expand = false;
            std::stable_sort(m_entries.begin(), m_entries.end(), [&](const Entry& a, const Entry& b) {
                double x = COleDateTime::ToLinear(byEnd ? a.end : a.start), y = COleDateTime::ToLinear(byEnd ? b.end : b.start);
                return descending ? x > y : x < y;
            });
            return {};
        }
        if (m == "Restrict") {
            Args(args, 1, 1);
            return CAutoValue::Object(Restrict(args[0].AsString()));
        }
        if (m == "Item") {
            Args(args, 1, 1);
            m_pos = static_cast<size_t>(args[0].AsInt() - 1);
            return Current();
        }
        if (m == "Add") {
            Args(args, 0, 1);
            if (m_folder->kind != 1) throw CAutoError(AutoCode::Exception, "only appointments can be added here");
            auto p = std::make_unique<State::Pending>();
            p->id = "added-" + std::to_string(++m_s->added);
            p->folder = m_folder;
            p->data.entryId = p->id;
            Log("Items.Add " + m_folder->entryId);
            const std::string id = p->id;
            m_s->pending.push_back(std::move(p));
            return CAutoValue::Object(std::make_shared<AddedAppointment>(m_s, id));
        }
        Unknown(m);
    }
    bool Supports(const std::string& i) override { return i == "_Items"; }
    std::shared_ptr<void> Advise(const std::string& events, EventHandler handler) override {
        return events == "ItemsEvents" ? m_s->Listen(m_folder, events, std::move(handler)) : nullptr;
    }

private:
    int32_t Count() const {
        // Undefined while recurrences are included: the series may never end.
        if (m_includeRecurrences) return kUndefinedCount;
        if (m_folder->kind == 0 && !m_restricted) return m_folder->itemCount;
        return static_cast<int32_t>(m_entries.size());
    }
    CAutoValue Current() {
        if (m_folder->kind == 0 && !m_restricted) {
            if (m_pos >= static_cast<size_t>(std::max(0, m_folder->itemCount))) return {};
            return CAutoValue::Object(std::make_shared<Mail>(m_s, m_folder->entryId + "-" + std::to_string(m_pos + 1)));
        }
        if (m_pos >= m_entries.size()) return {};
        const Entry& e = m_entries[m_pos];
        if (e.task) return CAutoValue::Object(std::make_shared<Task>(m_s, e.task));
        return CAutoValue::Object(std::make_shared<Appointment>(m_s, e.appt, e.start, e.end, e.subject, e.state));
    }
    std::shared_ptr<Items> Restrict(const std::string& filterText) {
        CLocaleValues locale = LocaleValues();
        std::string error;
        auto filter = CStoreFilter::Parse(filterText, locale, error);
        if (!filter) throw CAutoError(AutoCode::Exception, "cannot parse the condition \"" + filterText + "\": " + error);
        std::vector<Entry> candidates = m_entries;
        if (m_expand && !m_restricted) candidates = Expand(*filter);
        std::vector<Entry> kept;
        for (const auto& e : candidates)
            if (filter->Matches(FieldsOf(e))) kept.push_back(e);
        auto r = std::make_shared<Items>(m_s, m_folder, std::move(kept), true);
        r->m_includeRecurrences = m_expand;
        return r;
    }
    // Every single appointment, and every occurrence of the recurring ones near the filter's dates.
    std::vector<Entry> Expand(const CStoreFilter& filter) {
        std::vector<Entry> out;
        if (filter.Dates().empty()) return m_entries;
        double lo = 1e18, hi = -1e18;
        for (double d : filter.Dates()) {
            lo = std::min(lo, COleDateTime::ToLinear(d));
            hi = std::max(hi, COleDateTime::ToLinear(d));
        }
        for (const auto& e : m_entries) {
            if (!e.appt || !e.appt->recurring) {
                out.push_back(e);
                continue;
            }
            int state = kOccurrence;
            const ApptData& a = *e.appt;
            double s0 = COleDateTime::ToLinear(a.start);
            double length = COleDateTime::ToLinear(a.end) - s0;
            double timeOfDay = s0 - std::floor(s0 + 1e-9);
            int64_t from = static_cast<int64_t>(std::floor(lo - length)) - 1, to = static_cast<int64_t>(std::floor(hi)) + 1;
            // Only occurrences the filter keeps are built: each carries a copy of its subject.
            auto add = [&](double start, double end, const std::string& subject) {
                if (!filter.Matches({start, end, a.modified, true})) return;
                out.push_back({e.appt, nullptr, start, end, subject, state});
            };
            for (int64_t day : a.pattern.Days(from, to)) {
                auto ex = std::find_if(a.exceptions.begin(), a.exceptions.end(),
                                       [&](const ApptData::Exception& x) { return x.day == day; });
                if (ex != a.exceptions.end()) {
                    // A deleted occurrence is gone; a moved one is listed once, on its
                    // new day, by the loop below.
                    if (ex->deleted || DayOf(ex->start) != ex->day) continue;
                    state = kException;
                    add(ex->start, ex->end, ex->subject);
                } else {
                    state = kOccurrence;
                    add(COleDateTime::FromLinear(static_cast<double>(day) + timeOfDay),
                        COleDateTime::FromLinear(static_cast<double>(day) + timeOfDay + length), a.subject);
                }
            }
            // changed occurrences moved to another day still show there
            state = kException;
            for (const auto& ex : a.exceptions)
                if (!ex.deleted && DayOf(ex.start) != ex.day) add(ex.start, ex.end, ex.subject);
        }
        std::stable_sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) {
            return COleDateTime::ToLinear(a.start) < COleDateTime::ToLinear(b.start);
        });
        return out;
    }

    FolderData* m_folder;
    std::vector<Entry> m_entries;
    bool m_restricted;
    bool m_includeRecurrences = false;
    bool m_sortedByStart = false; // the latest Sort was [Start] ascending
    bool m_expand = false;        // IncludeRecurrences set in the documented order
    size_t m_pos = 0;
    // What Outlook answers for Count while recurrences are included.
    static constexpr int32_t kUndefinedCount = 0x7FFFFFFF;
};

// ---- tables (Outlook 2007 on) -------------------------------------------------------

// The MAPI property "has attachments" by its schema name.
constexpr const char* kHasAttachColumn = "http://schemas.microsoft.com/mapi/proptag/0x0E1B000B";

struct TableRow {
    const ApptData* appt = nullptr;
    const TaskData* task = nullptr;
};

// One column's value for an item; throws InvalidArg for a column the item kind lacks.
CAutoValue ColumnValue(const TableRow& r, const std::string& c) {
    if (r.appt) {
        const ApptData& a = *r.appt;
        if (c == "EntryID") return CAutoValue::String(a.entryId);
        if (c == "Subject") return CAutoValue::String(a.subject);
        if (c == "Start") return CAutoValue::Date(a.start);
        if (c == "End") return CAutoValue::Date(a.end);
        if (c == "Duration")
            return CAutoValue::Int(static_cast<int32_t>(
                std::llround((COleDateTime::ToLinear(a.end) - COleDateTime::ToLinear(a.start)) * 1440.0)));
        if (c == "Importance") return CAutoValue::Int(a.importance);
        if (c == "IsRecurring") return CAutoValue::Bool(a.recurring);
        if (c == "ReminderSet") return CAutoValue::Bool(a.reminder);
        if (c == "AllDayEvent") return CAutoValue::Bool(a.allDay);
        if (c == "Sensitivity") return CAutoValue::Int(a.sensitivity);
        if (c == "LastModificationTime") return CAutoValue::Date(a.modified);
        if (c == "MessageClass") return CAutoValue::String("IPM.Appointment");
        if (c == kHasAttachColumn) return CAutoValue::Bool(!a.attachments.empty());
    } else {
        const TaskData& t = *r.task;
        if (c == "EntryID") return CAutoValue::String(t.entryId);
        if (c == "Subject") return CAutoValue::String(t.subject);
        if (c == "CreationTime") return CAutoValue::Date(t.created);
        if (c == "StartDate") return CAutoValue::Date(t.start);
        if (c == "DueDate") return CAutoValue::Date(t.due);
        if (c == "Complete") return CAutoValue::Bool(t.complete);
        if (c == "DateCompleted") return CAutoValue::Date(t.complete ? t.completed : COleDateTime::kNoDate);
        if (c == "IsRecurring") return CAutoValue::Bool(t.recurring);
        if (c == "ReminderSet") return CAutoValue::Bool(t.reminder);
        if (c == "Importance") return CAutoValue::Int(t.importance);
        if (c == "PercentComplete") return CAutoValue::Int(t.percent);
        if (c == "Status") return CAutoValue::Int(t.status);
        if (c == "Sensitivity") return CAutoValue::Int(t.sensitivity);
        if (c == "LastModificationTime") return CAutoValue::Date(t.modified);
        if (c == "MessageClass") return CAutoValue::String("IPM.Task");
        if (c == kHasAttachColumn) return CAutoValue::Bool(!t.attachments.empty());
    }
    return {}; // a property the item does not have is empty in its row
}

bool KnownColumn(const std::string& c) {
    static const char* const kColumns[] = {"EntryID", "Subject", "Start", "End", "Duration", "Importance",
                                           "IsRecurring", "ReminderSet", "AllDayEvent", "LastModificationTime",
                                           "MessageClass", "CreationTime", "StartDate", "DueDate", "Complete",
                                           "DateCompleted", "PercentComplete", "Status", "Sensitivity", kHasAttachColumn};
    return std::any_of(std::begin(kColumns), std::end(kColumns), [&](const char* k) { return c == k; });
}

CStoreFilter::Fields FieldsOf(const TableRow& r) {
    if (r.appt) return {r.appt->start, r.appt->end, r.appt->modified, r.appt->recurring};
    return {r.task->due, r.task->due, r.task->modified, r.task->recurring};
}

class TableColumns : public Base {
public:
    TableColumns(std::shared_ptr<State> s, std::shared_ptr<std::vector<std::string>> columns)
        : Base(std::move(s)), m_columns(std::move(columns)) {}
    CAutoValue Get(const std::string& m) override {
        if (m == "Count") return CAutoValue::Int(static_cast<int32_t>(m_columns->size()));
        Unknown(m);
    }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override {
        if (m == "Add") {
            Args(args, 1, 1);
            const std::string name = args[0].AsString();
            if (!KnownColumn(name)) throw CAutoError(AutoCode::InvalidArg, "the property " + name + " cannot be a column");
            m_columns->push_back(name);
            return {};
        }
        if (m == "RemoveAll") {
            Args(args, 0, 0);
            m_columns->clear();
            return {};
        }
        Unknown(m);
    }
    bool Supports(const std::string& i) override { return i == "Columns"; }

private:
    std::shared_ptr<std::vector<std::string>> m_columns;
};

// A folder's items as rows, never an occurrence of a series; read a page at a time.
class Table : public Base {
public:
    Table(std::shared_ptr<State> s, std::vector<TableRow> rows, std::vector<std::string> columns)
        : Base(std::move(s)), m_rows(std::move(rows)),
          m_columns(std::make_shared<std::vector<std::string>>(std::move(columns))) {}
    CAutoValue Get(const std::string& m) override {
        if (m == "EndOfTable") return CAutoValue::Bool(m_pos >= m_rows.size());
        if (m == "Columns") return CAutoValue::Object(std::make_shared<TableColumns>(m_s, m_columns));
        Unknown(m);
    }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override {
        if (m == "GetArray") {
            Args(args, 1, 1);
            const int wanted = args[0].AsInt();
            if (wanted < 1) throw CAutoError(AutoCode::InvalidArg, "GetArray needs at least one row");
            const size_t n = std::min(static_cast<size_t>(wanted), m_rows.size() - std::min(m_pos, m_rows.size()));
            if (n == 0) return {};
            std::vector<CAutoValue> cells;
            cells.reserve(n * m_columns->size());
            for (size_t r = m_pos; r < m_pos + n; ++r)
                for (const std::string& c : *m_columns) cells.push_back(ColumnValue(m_rows[r], c));
            m_pos += n;
            return CAutoValue::Array(n, m_columns->size(), std::move(cells));
        }
        if (m == "GetRowCount") return CAutoValue::Int(static_cast<int32_t>(m_rows.size()));
        if (m == "MoveToStart") {
            m_pos = 0;
            return {};
        }
        if (m == "Restrict") {
            Args(args, 1, 1);
            return CAutoValue::Object(std::make_shared<Table>(m_s, Filter(m_rows, args[0].AsString()), *m_columns));
        }
        if (m == "Sort") {
            Args(args, 1, 2);
            std::string key = args[0].AsString();
            if (key.size() > 2 && key.front() == '[' && key.back() == ']') key = key.substr(1, key.size() - 2);
            const bool descending = args.size() > 1 && args[1].GetKind() != CAutoValue::Kind::Missing && args[1].AsBool();
            auto value = [&](const TableRow& r) {
                CAutoValue v = ColumnValue(r, key);
                return v.GetKind() == CAutoValue::Kind::Empty ? 0.0 : COleDateTime::ToLinear(v.AsDouble());
            };
            std::stable_sort(m_rows.begin(), m_rows.end(), [&](const TableRow& a, const TableRow& b) {
                return descending ? value(a) > value(b) : value(a) < value(b);
            });
            m_pos = 0;
            return {};
        }
        Unknown(m);
    }
    bool Supports(const std::string& i) override { return i == "Table"; }

    static std::vector<TableRow> Filter(const std::vector<TableRow>& rows, const std::string& text) {
        if (EParser::Trim(text).empty()) return rows;
        std::string error;
        auto filter = CStoreFilter::Parse(text, LocaleValues(), error);
        if (!filter) throw CAutoError(AutoCode::Exception, "cannot parse the condition \"" + text + "\": " + error);
        std::vector<TableRow> kept;
        for (const TableRow& r : rows)
            if (filter->Matches(FieldsOf(r))) kept.push_back(r);
        return kept;
    }

private:
    std::vector<TableRow> m_rows;
    std::shared_ptr<std::vector<std::string>> m_columns;
    size_t m_pos = 0;
};

class Folder;
AutoObjectPtr MakeNamespace(std::shared_ptr<State> s);

class Folders : public Base {
public:
    Folders(std::shared_ptr<State> s, FolderData* f) : Base(std::move(s)), m_f(f) {}
    CAutoValue Get(const std::string& m) override {
        if (m == "Count") return CAutoValue::Int(static_cast<int32_t>(m_f->children.size()));
        Unknown(m);
    }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override;
    bool Supports(const std::string& i) override { return i == "_Folders"; }
    std::shared_ptr<void> Advise(const std::string& events, EventHandler handler) override {
        return events == "FoldersEvents" ? m_s->Listen(m_f, events, std::move(handler)) : nullptr;
    }

private:
    CAutoValue At(size_t i);
    FolderData* m_f;
    size_t m_pos = 0;
};

class Folder : public Base {
public:
    Folder(std::shared_ptr<State> s, FolderData* f) : Base(std::move(s)), m_f(f) {}
    CAutoValue Get(const std::string& m) override {
        if (m == "Name") return CAutoValue::String(m_f->name);
        if (m == "EntryID") return CAutoValue::String(m_f->entryId);
        if (m == "StoreID") return CAutoValue::String(m_s->storeId);
        if (m == "UnReadItemCount") return CAutoValue::Int(m_f->unread);
        if (m == "DefaultItemType") return CAutoValue::Int(m_f->kind);
        if (m == "Folders") return CAutoValue::Object(std::make_shared<Folders>(m_s, m_f));
        if (m == "Session") return CAutoValue::Object(MakeNamespace(m_s));
        if (m == "Parent") {
            if (!m_f->parent) return CAutoValue::Object(MakeNamespace(m_s));
            return CAutoValue::Object(std::make_shared<Folder>(m_s, m_f->parent));
        }
        if (m == "Items") {
            std::vector<Entry> entries;
            for (const auto& a : m_f->appointments) entries.push_back({&a, nullptr, a.start, a.end, a.subject});
            for (const auto& t : m_f->tasks) entries.push_back({nullptr, &t, t.due, t.due, t.subject});
            return CAutoValue::Object(std::make_shared<Items>(m_s, m_f, std::move(entries), false));
        }
        Unknown(m);
    }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override {
        if (m == "Display") { // a new explorer window on the folder
            Args(args, 0, 0);
            Log("Display " + m_f->entryId);
            ++m_s->explorers[m_f->entryId];
            return {};
        }
        if (m == "GetTable" && m_s->Major() >= kGoToDateVersion) { // tables came with Outlook 2007 (12)
            Args(args, 0, 2);
            const std::string filter =
                args.empty() || args[0].GetKind() == CAutoValue::Kind::Missing ? std::string() : args[0].AsString();
            std::vector<TableRow> rows;
            for (const auto& a : m_f->appointments) rows.push_back({&a, nullptr});
            for (const auto& t : m_f->tasks) rows.push_back({nullptr, &t});
            return CAutoValue::Object(std::make_shared<Table>(
                m_s, Table::Filter(rows, filter),
                std::vector<std::string>{"EntryID", "Subject", "CreationTime", "LastModificationTime", "MessageClass"}));
        }
        if (m == "GetExplorer") { // a new, inactive explorer: no window until shown
            Args(args, 0, 1);
            Log("GetExplorer " + m_f->entryId);
            return CAutoValue::Object(std::make_shared<Window>(m_s, "Explorer", m_f->entryId, m_f->kind == 1));
        }
        Unknown(m);
    }
    bool Supports(const std::string& i) override { return i == "MAPIFolder"; }

private:
    FolderData* m_f;
};

CAutoValue Folders::At(size_t i) {
    if (i >= m_f->children.size()) return {};
    return CAutoValue::Object(std::make_shared<Folder>(m_s, m_f->children[i].get()));
}

CAutoValue Folders::Call(const std::string& m, const std::vector<CAutoValue>& args) {
    if (m == "GetFirst") return At(m_pos = 0);
    if (m == "GetNext") return At(++m_pos);
    if (m == "Item") {
        Args(args, 1, 1);
        return At(static_cast<size_t>(args[0].AsInt() - 1));
    }
    Unknown(m);
}

FolderData* FindFolder(FolderData& f, const std::string& id) {
    if (f.entryId == id) return &f;
    for (auto& c : f.children)
        if (FolderData* r = FindFolder(*c, id)) return r;
    return nullptr;
}

FolderData* FirstOfKind(FolderData& f, int kind) {
    for (auto& c : f.children) {
        if (c->kind == kind) return c.get();
        if (FolderData* r = FirstOfKind(*c, kind)) return r;
    }
    return nullptr;
}

class Namespace : public Base {
public:
    using Base::Base;
    CAutoValue Get(const std::string& m) override { Unknown(m); }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override {
        if (m == "GetDefaultFolder") {
            Args(args, 1, 1);
            static const std::map<int, std::string> kRoles = {
                {6, "inbox"}, {4, "outbox"}, {16, "drafts"}, {9, "calendar"}, {13, "tasks"}};
            if (args[0].AsInt() == 10) { // contacts: the first folder of that kind
                if (FolderData* c = FirstOfKind(*m_s->root, 2)) return CAutoValue::Object(std::make_shared<Folder>(m_s, c));
                throw CAutoError(AutoCode::Exception, "the default folder 10 does not exist");
            }
            auto role = kRoles.find(args[0].AsInt());
            if (role == kRoles.end() || !m_s->roles.count(role->second))
                throw CAutoError(AutoCode::Exception, "the default folder " + std::to_string(args[0].AsInt()) + " does not exist");
            return CAutoValue::Object(std::make_shared<Folder>(m_s, m_s->roles[role->second]));
        }
        if (m == "GetItemFromID") {
            Args(args, 1, 2);
            std::string id = args[0].AsString();
            Log("GetItemFromID " + id);
            // The store's id, when given, must name this store (the only one).
            if (args.size() == 2 && args[1].GetKind() != CAutoValue::Kind::Missing && args[1].AsString() != m_s->storeId)
                throw CAutoError(AutoCode::Exception, "no store with the id " + args[1].AsString());
            AutoObjectPtr found = Find(*m_s->root, id);
            if (!found) throw CAutoError(AutoCode::Exception, "no item with the entry id " + id);
            return CAutoValue::Object(found);
        }
        if (m == "GetFolderFromID") {
            Args(args, 1, 2);
            FolderData* f = FindFolder(*m_s->root, args[0].AsString());
            if (!f) throw CAutoError(AutoCode::Exception, "no folder with that entry id");
            return CAutoValue::Object(std::make_shared<Folder>(m_s, f));
        }
        Unknown(m);
    }
    bool Supports(const std::string& i) override { return i == "_NameSpace"; }

private:
    AutoObjectPtr Find(FolderData& f, const std::string& id) {
        for (const auto& a : f.appointments)
            if (a.entryId == id) return std::make_shared<Appointment>(m_s, &a, a.start, a.end, a.subject);
        for (const auto& t : f.tasks)
            if (t.entryId == id) return std::make_shared<Task>(m_s, &t);
        for (auto& c : f.children)
            if (AutoObjectPtr r = Find(*c, id)) return r;
        return nullptr;
    }
};

AutoObjectPtr MakeNamespace(std::shared_ptr<State> s) { return std::make_shared<Namespace>(std::move(s)); }

class Application : public Base {
public:
    using Base::Base;
    CAutoValue Get(const std::string& m) override {
        if (m == "Version") return CAutoValue::String(m_s->version);
        Unknown(m);
    }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override {
        if (m == "GetNamespace") {
            Args(args, 1, 1);
            if (args[0].AsString() != "MAPI") throw CAutoError(AutoCode::InvalidArg, "only the MAPI namespace exists");
            return CAutoValue::Object(MakeNamespace(m_s));
        }
        if (m == "CreateItem") {
            Args(args, 1, 1);
            int kind = args[0].AsInt();
            Log("CreateItem " + std::to_string(kind));
            std::string id = "new-" + std::to_string(++m_s->created);
            switch (kind) {
            case 0: return CAutoValue::Object(std::make_shared<Mail>(m_s, id));
            case 1: {
                auto* holder = &m_newAppointments.emplace_back();
                holder->entryId = id;
                return CAutoValue::Object(std::make_shared<Appointment>(m_s, holder, 0, 0, ""));
            }
            case 3: {
                auto* holder = &m_newTasks.emplace_back();
                holder->entryId = id;
                return CAutoValue::Object(std::make_shared<Task>(m_s, holder));
            }
            default: throw CAutoError(AutoCode::InvalidArg, "cannot create item kind " + std::to_string(kind));
            }
        }
        Unknown(m);
    }
    bool Supports(const std::string& i) override { return i == "_Application"; }

private:
    std::list<ApptData> m_newAppointments; // items being created live as long as the application
    std::list<TaskData> m_newTasks;
};

// What every object handed out answers first: the count of calls, Outlook closed,
// and a member made to fail. Objects it returns are wrapped in turn.
class Counted : public IAutoObject {
public:
    Counted(std::shared_ptr<State> s, AutoObjectPtr inner)
        : m_s(std::move(s)), m_inner(std::move(inner)), m_generation(m_s->generation) {}
    static AutoObjectPtr Wrap(const std::shared_ptr<State>& s, AutoObjectPtr o) {
        if (!o || dynamic_cast<Counted*>(o.get())) return o;
        return std::make_shared<Counted>(s, std::move(o));
    }
    CAutoValue Get(const std::string& m) override {
        Check(m);
        return Out(m_inner->Get(m));
    }
    void Put(const std::string& m, const CAutoValue& v) override {
        Check(m);
        m_inner->Put(m, v);
    }
    CAutoValue Call(const std::string& m, const std::vector<CAutoValue>& args) override {
        Check(m);
        return Out(m_inner->Call(m, args));
    }
    bool Supports(const std::string& i) override {
        ++m_s->calls;
        return Live() && m_inner->Supports(i);
    }
    std::shared_ptr<void> Advise(const std::string& events, EventHandler handler) override {
        Check("Advise");
        return m_inner->Advise(events, std::move(handler));
    }

private:
    bool Live() const { return m_s->running && m_generation == m_s->generation; }
    void Check(const std::string& m) {
        ++m_s->calls;
        if (!Live()) throw CAutoError(AutoCode::Disconnected, "the object invoked has disconnected from its clients");
        if (!m_s->failMember.empty() && m == m_s->failMember)
            throw CAutoError(m_s->failCode, m + " failed as the test asked");
    }
    CAutoValue Out(CAutoValue v) {
        if (v.GetKind() == CAutoValue::Kind::Object) return CAutoValue::Object(Wrap(m_s, v.AsObject()));
        return v;
    }
    std::shared_ptr<State> m_s;
    AutoObjectPtr m_inner;
    unsigned m_generation;
};

} // namespace

CSubstituteOutlook::CSubstituteOutlook(std::shared_ptr<State> state) : m_state(std::move(state)) {}

std::shared_ptr<CSubstituteOutlook> CSubstituteOutlook::Load(const std::string& text, double today, std::string& error) {
    auto state = std::make_shared<State>();
    try {
        json doc = json::parse(text);
        state->today = std::floor(today);
        Loader(*state, today).Load(doc);
    } catch (const json::parse_error& e) {
        error = "line/byte " + std::to_string(e.byte) + ": not valid JSON (" + e.what() + ")";
        return nullptr;
    } catch (const std::exception& e) {
        error = e.what();
        return nullptr;
    }
    return std::make_shared<CSubstituteOutlook>(state);
}

std::shared_ptr<CSubstituteOutlook> CSubstituteOutlook::LoadFile(const std::string& path, double today, std::string& error) {
    // Only a regular file of bounded size is read: a device or a pipe could be endless
    // and a folder has no text at all.
    std::error_code ec;
    const std::filesystem::path file(path);
    const auto status = std::filesystem::status(file, ec);
    if (ec || !std::filesystem::exists(status)) {
        error = path + ": cannot be read (" + (ec ? ec.message() : std::string("no such file")) + ")";
        return nullptr;
    }
    if (std::filesystem::is_directory(status)) {
        error = path + ": is a folder, not a store file";
        return nullptr;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = path + ": is not a regular file (a device, pipe or socket)";
        return nullptr;
    }
    const uintmax_t size = std::filesystem::file_size(file, ec);
    if (ec || size > kMaxFileBytes) {
        error = path + ": is larger than " + std::to_string(kMaxFileBytes >> 20) + " MB";
        return nullptr;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return nullptr;
    }
    // The file may grow after the size was taken: read no more than the limit allows.
    std::string text;
    text.reserve(static_cast<size_t>(size));
    char chunk[65536];
    while (text.size() <= kMaxFileBytes && in.read(chunk, sizeof chunk).gcount() > 0)
        text.append(chunk, static_cast<size_t>(in.gcount()));
    if (in.bad()) {
        error = path + ": cannot be read";
        return nullptr;
    }
    if (text.size() > kMaxFileBytes) {
        error = path + ": is larger than " + std::to_string(kMaxFileBytes >> 20) + " MB";
        return nullptr;
    }
    auto r = Load(text, today, error);
    if (!r) error = path + ": " + error;
    return r;
}

AutoObjectPtr CSubstituteOutlook::Application() {
    return Counted::Wrap(m_state, std::make_shared<::Application>(m_state));
}

const std::vector<std::string>& CSubstituteOutlook::Actions() const { return m_state->actions; }
void CSubstituteOutlook::SetActionSink(std::function<void(const std::string&)> sink) {
    m_state->actionSink = std::move(sink);
}
long CSubstituteOutlook::Calls() const { return m_state->calls; }
void CSubstituteOutlook::ResetCalls() { m_state->calls = 0; }
void CSubstituteOutlook::Disconnect() {
    m_state->running = false;
    ++m_state->generation;
}
void CSubstituteOutlook::Restart() { m_state->running = true; }
bool CSubstituteOutlook::Running() const { return m_state->running; }
void CSubstituteOutlook::SetMenuEntry(bool present) { m_state->menuEntry = present; }
int CSubstituteOutlook::ExplorerWindows(const std::string& folderId) const {
    auto it = m_state->explorers.find(folderId);
    return it == m_state->explorers.end() ? 0 : it->second;
}
int CSubstituteOutlook::PendingItems() const { return static_cast<int>(m_state->pending.size()); }
int CSubstituteOutlook::CountSubject(const std::string& subject) const {
    std::function<int(const FolderData&)> count = [&](const FolderData& f) {
        int n = 0;
        for (const auto& a : f.appointments) n += a.subject == subject;
        for (const auto& c : f.children) n += count(*c);
        return n;
    };
    return count(*m_state->root);
}
void CSubstituteOutlook::FailMember(const std::string& member, long code) {
    m_state->failMember = member;
    m_state->failCode = code;
}

namespace {

FolderData* FolderById(State& s, const std::string& id) { return s.root ? FindFolder(*s.root, id) : nullptr; }

// The folder that holds the item and its place there; null when there is none.
FolderData* Holder(FolderData& f, const std::string& id, bool& isTask, size_t& index) {
    for (size_t i = 0; i < f.appointments.size(); ++i)
        if (f.appointments[i].entryId == id) {
            isTask = false;
            index = i;
            return &f;
        }
    for (size_t i = 0; i < f.tasks.size(); ++i)
        if (f.tasks[i].entryId == id) {
            isTask = true;
            index = i;
            return &f;
        }
    for (auto& c : f.children)
        if (FolderData* r = Holder(*c, id, isTask, index)) return r;
    return nullptr;
}

} // namespace

std::string CSubstituteOutlook::FolderId(const std::string& roleOrName) const {
    auto it = m_state->roles.find(roleOrName);
    if (it != m_state->roles.end()) return it->second->entryId;
    std::function<const FolderData*(const FolderData&)> named = [&](const FolderData& f) -> const FolderData* {
        for (const auto& c : f.children) {
            if (c->name == roleOrName) return c.get();
            if (const FolderData* r = named(*c)) return r;
        }
        return nullptr;
    };
    const FolderData* f = m_state->root ? named(*m_state->root) : nullptr;
    return f ? f->entryId : std::string();
}

bool CSubstituteOutlook::AddItem(const std::string& folderId, const std::string& itemJson, std::string& idOut,
                                 std::string& error) {
    FolderData* f = FolderById(*m_state, folderId);
    if (!f) {
        error = "no folder " + folderId;
        return false;
    }
    try {
        Loader loader(*m_state, m_state->today);
        const json j = json::parse(itemJson);
        if (f->kind == 3) {
            TaskData t = loader.LoadTask(j);
            t.modified = m_state->Stamp();
            idOut = t.entryId;
            f->tasks.push_back(std::move(t));
            m_state->Fire(f, "ItemsEvents", "ItemAdd");
        } else {
            ApptData a = loader.LoadAppointment(j);
            a.modified = m_state->Stamp();
            idOut = a.entryId;
            f->appointments.push_back(std::move(a));
            m_state->Fire(f, "ItemsEvents", "ItemAdd");
        }
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

bool CSubstituteOutlook::ReplaceItem(const std::string& entryId, const std::string& itemJson, std::string& error) {
    bool isTask = false;
    size_t index = 0;
    FolderData* f = m_state->root ? Holder(*m_state->root, entryId, isTask, index) : nullptr;
    if (!f) {
        error = "no item " + entryId;
        return false;
    }
    try {
        json j = json::parse(itemJson);
        j["entryId"] = entryId;
        Loader loader(*m_state, m_state->today);
        if (isTask) {
            f->tasks[index] = loader.LoadTask(j);
            f->tasks[index].modified = m_state->Stamp();
        } else {
            f->appointments[index] = loader.LoadAppointment(j);
            f->appointments[index].modified = m_state->Stamp();
        }
        m_state->Fire(f, "ItemsEvents", "ItemChange");
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

bool CSubstituteOutlook::RemoveItem(const std::string& entryId) {
    bool isTask = false;
    size_t index = 0;
    FolderData* f = m_state->root ? Holder(*m_state->root, entryId, isTask, index) : nullptr;
    if (!f) return false;
    if (isTask) f->tasks.erase(f->tasks.begin() + static_cast<std::ptrdiff_t>(index));
    else f->appointments.erase(f->appointments.begin() + static_cast<std::ptrdiff_t>(index));
    m_state->Fire(f, "ItemsEvents", "ItemRemove");
    return true;
}

bool CSubstituteOutlook::MoveItem(const std::string& entryId, const std::string& folderId) {
    bool isTask = false;
    size_t index = 0;
    FolderData* from = m_state->root ? Holder(*m_state->root, entryId, isTask, index) : nullptr;
    FolderData* to = FolderById(*m_state, folderId);
    if (!from || !to) return false;
    if (isTask) {
        TaskData t = from->tasks[index];
        t.modified = m_state->Stamp();
        from->tasks.erase(from->tasks.begin() + static_cast<std::ptrdiff_t>(index));
        to->tasks.push_back(std::move(t));
    } else {
        ApptData a = from->appointments[index];
        a.modified = m_state->Stamp();
        from->appointments.erase(from->appointments.begin() + static_cast<std::ptrdiff_t>(index));
        to->appointments.push_back(std::move(a));
    }
    m_state->Fire(from, "ItemsEvents", "ItemRemove");
    m_state->Fire(to, "ItemsEvents", "ItemAdd");
    return true;
}

bool CSubstituteOutlook::SetCounts(const std::string& folderId, int unread, int items) {
    FolderData* f = FolderById(*m_state, folderId);
    if (!f) return false;
    f->unread = unread;
    f->itemCount = items;
    m_state->Fire(f->parent, "FoldersEvents", "FolderChange");
    return true;
}

void CSubstituteOutlook::SetEvents(bool on) { m_state->eventsOn = on; }

std::vector<std::string> CSubstituteOutlook::ItemIds(int kind) const {
    std::vector<std::string> ids;
    std::function<void(const FolderData&)> walk = [&](const FolderData& f) {
        if (kind == 1)
            for (const auto& a : f.appointments) ids.push_back(a.entryId);
        if (kind == 3)
            for (const auto& t : f.tasks) ids.push_back(t.entryId);
        for (const auto& c : f.children) walk(*c);
    };
    if (m_state->root) walk(*m_state->root);
    return ids;
}
