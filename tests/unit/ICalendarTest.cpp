// The iCalendar sources: the corpus in tests/fixtures/ics expanded over windows of
// days and shown in a chosen zone (expected days written by hand for some files),
// every corpus file's occurrences against libical's own expansion, the files a hostile
// hand makes, the folder layout with its cache, and a refresh of the document with
// no Outlook but calendar files.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <numeric>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "FakePorts.h"
#include "TempFolder.h"
#include "app/OrvantaDoc.h"
#include "outlook/calendar/CalendarCache.h"
#include "outlook/calendar/CalendarMerge.h"
#include "outlook/calendar/CalendarSources.h"
#include "outlook/calendar/ICalendarText.h"
#include "outlook/calendar/ICalendarZones.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "util/Utf8.h"

namespace {

struct CorpusFile {
    const char* name;
    const char* text;
};
// tests/fixtures/ics, compiled in so that the Windows test program has it wherever it runs.
const CorpusFile kCorpus[] = {
#include "IcsCorpus.inc"
};

std::string Corpus(const std::string& name) {
    for (const CorpusFile& f : kCorpus)
        if (name == f.name) return f.text;
    ADD_FAILURE() << "no corpus file " << name;
    return std::string();
}

double Day(int y, int m, int d) { return COleDateTime(y, m, d, 0, 0, 0).m_dt; }

CICalendarText::Options Window(int y, int m, int d, int days, const std::string& zone = "Europe/Berlin") {
    CICalendarText::Options o;
    o.from = Day(y, m, d);
    o.days = days;
    o.zone = zone;
    o.idPrefix = "ical:test#";
    return o;
}

// "2026-03-09 09:00 - 2026-03-09 09:15 Team stand-up", sorted.
std::vector<std::string> Lines(const std::vector<CAppointment>& list) {
    std::vector<std::string> lines;
    for (const CAppointment& a : list)
        lines.push_back(a.m_start.Format("%Y-%m-%d %H:%M") + " - " + a.m_end.Format("%Y-%m-%d %H:%M") + " " +
                        a.m_subject);
    std::sort(lines.begin(), lines.end());
    return lines;
}

} // namespace

// Expected days written by hand, in Berlin's time (the Windows zones and the DST
// changes included), for a week or a day of some corpus files.
TEST(ICalendarCorpus, ExpandsToTheDaysWrittenByHand) {
    struct Case {
        const char* file;
        int y, m, d, days;
        std::vector<std::string> expected;
        const char* zone = "Europe/Berlin";
    };
    const std::vector<Case> cases = {
        {"outlook-exchange.ics", 2026, 3, 9, 7,
         {"2026-03-09 00:00 - 2026-03-11 00:00 Company offsite",
          "2026-03-09 09:00 - 2026-03-09 09:15 Team stand-up",
          "2026-03-11 14:00 - 2026-03-11 14:15 Team stand-up (moved)",
          "2026-03-12 16:00 - 2026-03-12 17:30 Quarterly review"}},
        // No VTIMEZONE: Outlook's Windows names, an IANA name and UTC by name. The US
        // is on summer time from 8 March, Europe only from 29 March.
        {"exchange-windows-zones.ics", 2026, 3, 9, 7,
         {"2026-03-10 10:00 - 2026-03-10 11:00 Berlin weekly planning",
          "2026-03-10 16:00 - 2026-03-10 17:00 Call with the Seattle office",
          "2026-03-11 09:00 - 2026-03-11 10:00 Tokyo release sync",
          "2026-03-12 23:00 - 2026-03-13 00:00 UTC maintenance window"}},
        {"dst-changes.ics", 2026, 3, 5, 1, {"2026-03-05 16:00 - 2026-03-05 17:00 New York weekly over the American change"}},
        {"dst-changes.ics", 2026, 3, 12, 1, {"2026-03-12 15:00 - 2026-03-12 16:00 New York weekly over the American change"}},
        {"dst-changes.ics", 2026, 3, 26, 7,
         {"2026-03-26 09:00 - 2026-03-26 09:30 Daily at nine in Berlin over the spring change",
          "2026-03-26 15:00 - 2026-03-26 16:00 New York weekly over the American change",
          "2026-03-27 09:00 - 2026-03-27 09:30 Daily at nine in Berlin over the spring change",
          "2026-03-28 09:00 - 2026-03-28 09:30 Daily at nine in Berlin over the spring change",
          "2026-03-28 23:00 - 2026-03-29 04:00 Night shift across the change",
          "2026-03-29 09:00 - 2026-03-29 09:30 Daily at nine in Berlin over the spring change",
          "2026-03-30 09:00 - 2026-03-30 09:30 Daily at nine in Berlin over the spring change",
          "2026-03-31 09:00 - 2026-03-31 09:30 Daily at nine in Berlin over the spring change"}},
        {"dst-changes.ics", 2026, 10, 24, 2,
         {"2026-10-24 08:00 - 2026-10-24 08:30 Daily at eight in Berlin over the autumn change",
          "2026-10-25 08:00 - 2026-10-25 08:30 Daily at eight in Berlin over the autumn change"}},
        {"floating-allday.ics", 2026, 3, 10, 3,
         {"2026-03-09 00:00 - 2026-03-16 00:00 Holiday week",
          "2026-03-09 22:00 - 2026-03-10 02:00 Late night into the next day",
          "2026-03-10 07:30 - 2026-03-10 08:00 Breakfast (floating time)",
          "2026-03-11 00:00 - 2026-03-12 00:00 All day without an end",
          "2026-03-11 07:30 - 2026-03-11 08:00 Breakfast (floating time)",
          "2026-03-12 07:30 - 2026-03-12 08:00 Breakfast (floating time)",
          "2026-03-12 15:00 - 2026-03-12 15:00 End before start"}},
        // Google's: a moved occurrence (Monday to Wednesday), an excluded one, UTC
        // times, a three-day all-day event, a yearly birthday, a cancelled event.
        {"google-export.ics", 2026, 3, 9, 7,
         {"2026-03-10 13:00 - 2026-03-10 14:00 Lunch with Sam",
          "2026-03-11 21:00 - 2026-03-11 22:00 Choir rehearsal (Wednesday this week)",
          "2026-03-12 00:00 - 2026-03-15 00:00 Conference in Lisbon",
          "2026-03-13 00:00 - 2026-03-14 00:00 Alex's birthday"}},
        {"google-export.ics", 2026, 3, 16, 1, {}},
        // Apple's, shown in Los Angeles: a weekly series with no end, DURATION, all day.
        {"apple-export.ics", 2026, 3, 9, 7,
         {"2026-03-10 00:00 - 2026-03-11 00:00 Day off",
          "2026-03-12 16:30 - 2026-03-12 18:00 Parent-teacher meeting",
          "2026-03-15 10:00 - 2026-03-15 11:00 Yoga"},
         "America/Los_Angeles"},
        {"rfc5545-recurrence.ics", 2026, 3, 10, 1,
         {"2026-03-10 00:00 - 2026-03-11 00:00 Yearly on 10 March since 1997",
          "2026-03-10 14:00 - 2026-03-10 14:30 Every other day - forever",
          "2026-03-10 14:00 - 2026-03-10 14:30 Weekly on Tuesday and Thursday until April",
          "2026-03-10 14:00 - 2026-03-10 15:00 Daily for 10 occurrences"}},
        {"rfc5545-recurrence.ics", 2026, 3, 11, 2,
         {"2026-03-11 14:00 - 2026-03-11 15:00 Daily for 10 occurrences",
          "2026-03-11 20:00 - 2026-03-11 21:00 Weekly with an extra date and a skipped one",
          "2026-03-12 14:00 - 2026-03-12 14:30 Every other day - forever",
          "2026-03-12 14:00 - 2026-03-12 14:30 Weekly on Tuesday and Thursday until April",
          "2026-03-12 20:00 - 2026-03-12 21:00 Weekly with an extra date and a skipped one"}},
    };
    for (const Case& c : cases) {
        const CICalendarItems items = CICalendarText::Read(Corpus(c.file), Window(c.y, c.m, c.d, c.days, c.zone));
        EXPECT_EQ(items.problem, "") << c.file;
        // What the window's days hold: an occurrence that ends before it is not asked for.
        std::vector<CAppointment> shown;
        for (const CAppointment& a : items.appointments)
            if (COleDateTime::ToLinear(a.m_end.m_dt) > COleDateTime::ToLinear(Day(c.y, c.m, c.d)) ||
                a.m_end == a.m_start)
                shown.push_back(a);
        EXPECT_EQ(Lines(shown), c.expected) << c.file << " from " << c.y << "-" << c.m << "-" << c.d;
    }
}

// Every corpus file: the occurrences of the year against libical's own expansion
// (icalcomponent_foreach_recurrence), with the moved and cancelled occurrences put in
// their place from their RECURRENCE-IDs.
TEST(ICalendarCorpus, EveryFileAgreesWithLibicalsOwnExpansion) {
    const long long from = 1767225600; // 2026-01-01 00:00 UTC
    const long long to = 1798761600;   // 2027-01-01
    const long long margin = 3 * 86400;
    ASSERT_GE(std::size(kCorpus), 8u);
    size_t filesCompared = 0;
    for (const CorpusFile& file : kCorpus) {
        icalcomponent* root = icalparser_parse_string(file.text);
        ASSERT_NE(root, nullptr) << file.name;
        icalcomponent* calendar = icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT
                                      ? root
                                      : icalcomponent_get_first_component(root, ICAL_VCALENDAR_COMPONENT);
        ASSERT_NE(calendar, nullptr) << file.name;
        CICalendarZones::AddMissing(calendar);
        long steps = CICalendarText::kMaxSteps;
        std::vector<CICalendarText::Span> spans;
        ASSERT_TRUE(CICalendarText::Expand(calendar, from, to, steps, spans)) << file.name;
        // libical's own walk reads an RDATE's time as UTC whatever its TZID says: the
        // events with RDATEs are left to the days written by hand.
        auto compared = [](icalcomponent* e) {
            return icalcomponent_get_first_property(e, ICAL_RDATE_PROPERTY) == nullptr;
        };
        std::multiset<std::pair<long long, std::string>> ours, theirs;
        for (const auto& s : spans)
            if (s.start >= from + margin && s.start < to - margin && compared(s.event))
                ours.insert({s.start, icalcomponent_get_summary(s.event)});

        // libical's: each event's occurrences; a RECURRENCE-ID takes its occurrence away
        // and the moved one (unless cancelled) stands in its own place.
        struct Collect {
            std::vector<long long> starts;
        };
        auto callback = [](icalcomponent*, icaltime_span* span, void* data) {
            static_cast<Collect*>(data)->starts.push_back(span->start);
        };
        const icaltimetype a = icaltime_from_timet_with_zone(from, 0, icaltimezone_get_utc_timezone());
        const icaltimetype b = icaltime_from_timet_with_zone(to, 0, icaltimezone_get_utc_timezone());
        std::map<std::string, std::set<long long>> movedAway;
        for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
             e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
            if (!icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY)) continue;
            icalproperty* p = icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY);
            const icaltimetype rid = icalproperty_get_recurrenceid(p);
            icalparameter* tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
            const icaltimezone* zone = tzid ? icalcomponent_get_timezone(calendar, icalparameter_get_tzid(tzid))
                                            : rid.zone;
            movedAway[icalcomponent_get_uid(e)].insert(
                icaltime_as_timet_with_zone(rid, zone ? zone : icaltimezone_get_utc_timezone()));
        }
        for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
             e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
            if (icalcomponent_get_status(e) == ICAL_STATUS_CANCELLED || !compared(e)) continue;
            const bool moved = icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY) != nullptr;
            Collect found;
            icalcomponent_foreach_recurrence(e, a, b, callback, &found);
            for (long long s : found.starts) {
                if (!moved && movedAway[icalcomponent_get_uid(e)].count(s)) continue;
                if (s >= from + margin && s < to - margin) theirs.insert({s, icalcomponent_get_summary(e)});
            }
        }
        EXPECT_EQ(ours, theirs) << file.name;
        if (!ours.empty()) ++filesCompared;
        icalcomponent_free(root);
    }
    EXPECT_EQ(filesCompared, std::size(kCorpus) - 1); // every file with events
}

// The tasks of the corpus through Outlook Today's filter: overdue, due today and
// without due date under "Overdue", completed only on the day of completion,
// cancelled never; priority gives the importance.
TEST(ICalendarCorpus, TasksFollowOutlookTodaysFilterAndSort) {
    const CICalendarItems items = CICalendarText::Read(Corpus("tasks.ics"), Window(2026, 3, 10, 1));
    ASSERT_EQ(items.problem, "");
    ASSERT_EQ(items.tasks.size(), 5u); // the cancelled one is left out
    std::map<std::string, const CTask*> by;
    for (const CTask& t : items.tasks) by[t.m_subject] = &t;
    EXPECT_EQ(by["Overdue report"]->m_importance, 2);
    EXPECT_EQ(by["Overdue report"]->m_percentComplete, 40);
    EXPECT_EQ(by["Overdue report"]->m_dueDate.m_dt, Day(2026, 3, 5));
    EXPECT_EQ(by["Renew passport"]->m_importance, 0);
    EXPECT_EQ(by["Renew passport"]->m_dueDate.m_dt, Day(2026, 4, 20)); // a due time counts as its day
    EXPECT_EQ(by["Someday: learn to juggle"]->m_dueDate.m_dt, COleDateTime::kNoDate);
    EXPECT_TRUE(by["Water the plants"]->IsComplete());
    EXPECT_EQ(by["Water the plants"]->m_status, 2);

    CSettings settings("Software\\Kestrova\\Orvanta for Outlook\\3.5");
    const COleDateTime now(2026, 3, 10, 12, 0, 0);
    struct Filter {
        const char* filter;
        std::vector<std::string> expected;
    };
    for (const Filter& f : {Filter{"All", {"Water the plants", "Someday: learn to juggle", "Overdue report", "Renew passport"}},
                            Filter{"Overdue", {"Water the plants", "Someday: learn to juggle", "Overdue report"}}}) {
        settings.m_outlook.m_taskFilter = f.filter;
        settings.m_outlook.m_taskSortKey1 = "[DueDate]";
        settings.m_outlook.m_taskSortAscending1 = true;
        CTasks list;
        CCalendarMerge::MergeTasks(list, items.tasks, settings, now);
        std::vector<std::string> subjects;
        for (int i = 0; i < list.GetCount(); ++i) subjects.push_back(list.GetAt(i).GetSubject());
        // No due date first (the earlier made first), then by due date.
        EXPECT_EQ(subjects, f.expected) << f.filter;
    }
}

// Files a hostile hand makes: each is answered, refused whole with its reason or read
// with what can be read.
TEST(ICalendarHostile, EachFileIsAnsweredOrRefusedWithItsReason) {
    auto event = [](const std::string& extra) {
        return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:x\r\n" + extra + "END:VEVENT\r\nEND:VCALENDAR\r\n";
    };
    std::string deep = "BEGIN:VCALENDAR\r\n";
    for (int i = 0; i < 5000; ++i) deep += "BEGIN:VEVENT\r\n";
    std::string many = "BEGIN:VCALENDAR\r\n";
    for (int i = 0; i < 60000; ++i) many += "BEGIN:VEVENT\r\nEND:VEVENT\r\n";
    many += "END:VCALENDAR\r\n";
    struct Case {
        const char* name;
        std::string text;
        std::string problem; // a part of the reason; empty: read whole
        size_t appointments;
        std::string subject = std::string(); // of the first appointment, when given
    };
    const std::vector<Case> cases = {
        {"nested", deep, "nested more than 8 levels", 0},
        {"too many items", many, "more than 50000 items", 0},
        {"no calendar", std::string("\x89PNG\r\n\x1a\n\0\0binary", 16), "not an iCalendar file", 0},
        {"larger than the limit", std::string(CICalendarText::kMaxBytes + 1, 'x'), "larger than 16 MB", 0},
        // Every minute since 1900, no end: the window's 3 days are walked, not 126 years,
        // and each keeps the 30 a day's list can show.
        {"minutely since 1900", event("DTSTART:19000101T000000Z\r\nRRULE:FREQ=MINUTELY\r\nSUMMARY:m\r\n"), "", 3 * 30},
        // Every second: more steps than a file may take; what was walked stays.
        {"secondly", event("DTSTART:20260101T000000Z\r\nRRULE:FREQ=SECONDLY;COUNT=100000000\r\nSUMMARY:s\r\n"),
         "more than " + std::to_string(CICalendarText::kMaxSteps) + " steps", 0},
        {"swapped start and end", event("DTSTART:20260310T100000Z\r\nDTEND:20260309T100000Z\r\nSUMMARY:x\r\n"), "", 1},
        {"bad UTF-8", event("DTSTART:20260310T100000Z\r\nSUMMARY:ab\xff\xfe\xc3(\r\n"), "", 1, "ab\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD("},
        {"no start", event("SUMMARY:nothing\r\n"), "", 0},
        {"garbage dates", event("DTSTART:99999999T999999\r\nDTEND:0\r\nRRULE:FREQ=DAILY;UNTIL=1\r\n"), "", 0},
    };
    for (const Case& c : cases) {
        const CICalendarItems items = CICalendarText::Read(c.text, Window(2026, 3, 9, 3, "UTC"));
        if (c.problem.empty()) {
            EXPECT_EQ(items.problem, "") << c.name;
        } else {
            EXPECT_NE(items.problem.find(c.problem), std::string::npos) << c.name << ": " << items.problem;
        }
        if (c.appointments) {
            EXPECT_EQ(items.appointments.size(), c.appointments) << c.name;
        }
        if (!c.subject.empty()) {
            ASSERT_FALSE(items.appointments.empty()) << c.name;
            EXPECT_EQ(items.appointments[0].m_subject, c.subject) << c.name;
        }
        for (const CAppointment& a : items.appointments) {
            EXPECT_LE(COleDateTime::ToLinear(a.m_start.m_dt), COleDateTime::ToLinear(a.m_end.m_dt)) << c.name;
            // Valid UTF-8 throughout: a bad byte became U+FFFD written out.
            for (size_t i = 0; i < a.m_subject.size();) {
                const Utf8Char ch = Utf8CharAt(a.m_subject, i);
                if (ch.code == 0xFFFD) {
                    EXPECT_EQ(a.m_subject.compare(i, 3, "\xEF\xBF\xBD"), 0) << c.name;
                }
                i += ch.length;
            }
        }
    }
}

// A folder as vdirsyncer writes it: a collection per subfolder, one item per file;
// temporary, hidden and other files are left out. A second read parses nothing that
// did not change, also from the disk copy of a later run; a broken file is told once.
TEST(ICalendarSources, FolderCacheAndProblemsToldOnce) {
    TempFolder dir;
    namespace fs = std::filesystem;
    auto write = [&](const std::string& rel, const std::string& text) {
        const std::string path = dir.File(rel);
        const fs::path p = fs::path(std::u8string(path.begin(), path.end()));
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
    };
    auto item = [](const std::string& uid, const std::string& start, const std::string& summary) {
        return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTART:" + start +
               "\r\nDURATION:PT1H\r\nSUMMARY:" + summary + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    };
    write("cal/work/a.ics", item("a", "20260310T090000", "Work A"));
    write("cal/work/b.ICS", item("b", "20260311T090000", "Work B"));
    write("cal/home/c.ics", item("c", "20260312T090000", "Home C"));
    write("cal/home/c.ics.tmp", item("t", "20260312T100000", "Temporary"));
    write("cal/home/.hidden.ics", item("h", "20260312T100000", "Hidden"));
    write("cal/home/notes.txt", item("n", "20260312T100000", "Not an item"));
    write("cal/home/broken.ics", "BEGIN:VEVENT\r\nnot a calendar");
    EXPECT_TRUE(CCalendarSources::IsItemName("x.ICS"));
    EXPECT_FALSE(CCalendarSources::IsItemName("x.ics.tmp"));
    EXPECT_EQ(CCalendarSources::KindOf(dir.File("cal")), CCalendarSource::Kind::Folder);
    EXPECT_EQ(CCalendarSources::KindOf("webcal://example.com/x.ics"), CCalendarSource::Kind::Feed);

    const std::vector<CCalendarSource> sources = {{CCalendarSource::Kind::Folder, dir.File("cal"), "", true}};
    const CICalendarText::Options window = Window(2026, 3, 9, 7);
    CCalendarSources reader;
    reader.SetCacheFile(dir.File("calendars.cache"));
    CCalendarSources::Result first = reader.Read(sources, window);
    EXPECT_EQ(Lines(first.appointments),
              (std::vector<std::string>{"2026-03-10 09:00 - 2026-03-10 10:00 Work A",
                                        "2026-03-11 09:00 - 2026-03-11 10:00 Work B",
                                        "2026-03-12 09:00 - 2026-03-12 10:00 Home C"}));
    EXPECT_EQ(first.files, 4);
    EXPECT_EQ(first.parsed, 4);
    ASSERT_EQ(first.newProblems.size(), 1u);
    EXPECT_NE(first.newProblems[0].find("broken.ics"), std::string::npos) << first.newProblems[0];
    EXPECT_NE(first.newProblems[0].find("no BEGIN:VCALENDAR"), std::string::npos) << first.newProblems[0];

    CCalendarSources::Result second = reader.Read(sources, window);
    EXPECT_EQ(second.parsed, 0);
    EXPECT_EQ(second.problems.size(), 1u);
    EXPECT_TRUE(second.newProblems.empty()); // told once
    EXPECT_EQ(Lines(second.appointments), Lines(first.appointments));

    // A later run reads the disk copy; a changed file alone is parsed again.
    write("cal/work/a.ics", item("a", "20260310T093000", "Work A, later"));
    CCalendarSources later;
    later.SetCacheFile(dir.File("calendars.cache"));
    CCalendarSources::Result third = later.Read(sources, window);
    EXPECT_EQ(third.parsed, 1);
    EXPECT_EQ(Lines(third.appointments)[0], "2026-03-10 09:30 - 2026-03-10 10:30 Work A, later");
    EXPECT_EQ(third.newProblems.size(), 1u); // a new run tells it again
    // Another window is another key.
    EXPECT_EQ(later.Read(sources, Window(2026, 3, 10, 7)).parsed, 4);
}

// The disk copy between runs, against real files: what each change to the folder makes
// the next run parse, and a copy that is damaged, cut short or of the earlier format is
// set aside with every file read again. Each run's records, every field of them, are
// those of a run without any copy; each case runs through the platform's file port and
// through std::filesystem alone (a program without the port).
TEST(ICalendarSources, DiskCopySeesEveryChangeAndSetsAsideABrokenCopy) {
    namespace fs = std::filesystem;
    auto pathOf = [](const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); };
    auto item = [](const std::string& uid, const std::string& start, const std::string& summary) {
        return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTART:" + start +
               "\r\nDURATION:PT1H\r\nSUMMARY:" + summary + "\r\nRRULE:FREQ=DAILY;COUNT=2\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    };
    const std::string task = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nUID:t\r\nSUMMARY:Call\\, then \xc3\xa9lectricien\r\n"
                             "DUE;VALUE=DATE:20260312\r\nPERCENT-COMPLETE:40\r\nPRIORITY:1\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
    // Every field the lists and the signature use.
    auto everything = [](const CCalendarSources::Result& r) {
        std::vector<std::string> out;
        char buf[200];
        for (const CAppointment& a : r.appointments) {
            std::snprintf(buf, sizeof buf, "A %.17g/%d %.17g/%d %d%d%d%d %d %d %d %zu ", a.m_start.m_dt,
                          static_cast<int>(a.m_start.GetStatus()), a.m_end.m_dt, static_cast<int>(a.m_end.GetStatus()),
                          a.m_multiDay, a.m_recurring, a.m_reminderSet, a.m_allDay, a.m_importance, a.m_duration,
                          a.m_sensitivity, a.m_attachments.size());
            out.push_back(buf + a.m_subject + " " + a.m_entryId);
        }
        for (const CTask& t : r.tasks) {
            std::snprintf(buf, sizeof buf, "T %.17g %.17g %.17g %.17g %d%d%d %d %d %d %d ", t.m_dueDate.m_dt,
                          t.m_creationTime.m_dt, t.m_dateCompleted.m_dt, t.m_startDate.m_dt, t.m_complete,
                          t.m_recurring, t.m_reminderSet, t.m_percentComplete, t.m_status, t.m_importance,
                          t.m_sensitivity);
            out.push_back(buf + t.m_subject + " " + t.m_entryId);
        }
        return out;
    };
    struct Case {
        const char* what;
        std::function<void(const std::string& folder, const std::string& cache)> change;
        int parsed;       // files the later run parses
        const char* sees; // a subject the later run shows (or "" for none to look for)
        const char* gone; // a subject it no longer shows
    };
    auto write = [&](const std::string& path, const std::string& text) {
        fs::create_directories(pathOf(path).parent_path());
        std::ofstream(pathOf(path), std::ios::binary | std::ios::trunc) << text;
    };
    auto edit = [&](const std::string& path, const std::function<void(std::string&)>& how) {
        std::ifstream in(pathOf(path), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        in.close();
        how(text);
        std::ofstream(pathOf(path), std::ios::binary | std::ios::trunc) << text;
    };
    const std::vector<Case> cases = {
        {"nothing changed", [](const std::string&, const std::string&) {}, 0, "Work A", ""},
        {"a file rewritten at the same size, with a new time",
         [&](const std::string& f, const std::string&) {
             const fs::file_time_type before = fs::last_write_time(pathOf(f + "/work/a.ics"));
             write(f + "/work/a.ics", item("a", "20260310T090000", "Work Z"));
             fs::last_write_time(pathOf(f + "/work/a.ics"), before + std::chrono::seconds(5));
         },
         1, "Work Z", "Work A"},
        {"a file grown, with its old time put back",
         [&](const std::string& f, const std::string&) {
             const fs::file_time_type before = fs::last_write_time(pathOf(f + "/work/a.ics"));
             write(f + "/work/a.ics", item("a", "20260310T090000", "Work A, longer"));
             fs::last_write_time(pathOf(f + "/work/a.ics"), before);
         },
         1, "Work A, longer", ""},
        {"a new file", [&](const std::string& f, const std::string&) { write(f + "/home/d.ics", item("d", "20260313T090000", "Home D")); },
         1, "Home D", ""},
        {"a file removed", [&](const std::string& f, const std::string&) { fs::remove(pathOf(f + "/home/c.ics")); }, 0, "",
         "Home C"},
        {"the copy cut short", [&](const std::string&, const std::string& c) { edit(c, [](std::string& t) { t.resize(t.size() / 2); }); },
         3, "Work A", ""},
        {"the copy cut at its last byte",
         [&](const std::string&, const std::string& c) { edit(c, [](std::string& t) { t.pop_back(); }); }, 3, "Work A", ""},
        {"one byte of a subject in the copy changed",
         [&](const std::string&, const std::string& c) { edit(c, [](std::string& t) { t[t.find("Work A")] = 'X'; }); }, 3,
         "Work A", "Xork A"},
        {"a length in the copy made huge",
         [&](const std::string&, const std::string& c) {
             edit(c, [](std::string& t) { t.replace(t.find("Work A") - 8, 8, std::string(8, '\xff')); });
         },
         3, "Work A", ""},
        {"the copy empty", [&](const std::string&, const std::string& c) { edit(c, [](std::string& t) { t.clear(); }); }, 3,
         "Work A", ""},
        {"a copy of the earlier text format",
         [&](const std::string&, const std::string& c) {
             write(c, "orvanta calendar cache 1\nF\t/x.ics\t1\t2\t3\t7\t\t\nA\tOld\t1\t0\t0\t0\t1/0\t2/0\t0\tid\t0\t\n");
         },
         3, "Work A", "Old"},
    };
    Ports& current = CurrentPorts();
    IFilePort* const saved = current.files;
    for (IFilePort* port : {RealPorts().files, static_cast<IFilePort*>(nullptr)}) {
        current.files = port;
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (port ? ", file port" : ", std::filesystem"));
            TempFolder dir;
            const std::string folder = dir.File("cal"), cache = dir.File("calendars.cache");
            write(folder + "/work/a.ics", item("a", "20260310T090000", "Work A"));
            write(folder + "/work/t.ics", task);
            write(folder + "/home/c.ics", item("c", "20260312T090000", "Home C"));
            const std::vector<CCalendarSource> sources = {{CCalendarSource::Kind::Folder, folder, "", true}};
            const CICalendarText::Options window = Window(2026, 3, 9, 7);
            {
                CCalendarSources first;
                first.SetCacheFile(cache);
                EXPECT_EQ(first.Read(sources, window).parsed, 3);
                ASSERT_TRUE(fs::exists(pathOf(cache)));
            }
            c.change(folder, cache);
            CCalendarSources later;
            later.SetCacheFile(cache);
            const CCalendarSources::Result got = later.Read(sources, window);
            const CCalendarSources::Result fresh = CCalendarSources().Read(sources, window);
            EXPECT_EQ(got.parsed, c.parsed);
            EXPECT_EQ(everything(got), everything(fresh));
            const std::vector<std::string> lines = Lines(got.appointments);
            const std::string all = std::accumulate(lines.begin(), lines.end(), std::string(), [](std::string a, const std::string& b) { return a + b + "\n"; });
            if (*c.sees) {
                EXPECT_NE(all.find(c.sees), std::string::npos) << all;
            }
            if (*c.gone) {
                EXPECT_EQ(all.find(c.gone), std::string::npos) << all;
            }
            ASSERT_EQ(got.tasks.size(), 1u);
            EXPECT_EQ(got.tasks[0].m_subject, "Call, then \xc3\xa9lectricien");
            EXPECT_EQ(got.tasks[0].m_percentComplete, 40);
            // What this run wrote back serves the next one whole.
            CCalendarSources next;
            next.SetCacheFile(cache);
            const CCalendarSources::Result again = next.Read(sources, window);
            EXPECT_EQ(again.parsed, 0);
            EXPECT_EQ(everything(again), everything(fresh));
        }
    }
    current.files = saved;
}

// The document without Outlook and with calendar files: the files' appointments and
// tasks fill the lists as Outlook's would, and a changed file changes the signature.
TEST(ICalendarSources, DocumentReadsTheFilesWithoutOutlook) {
    FakeEnvironment env;
    TempFolder dir;
    namespace fs = std::filesystem;
    const std::string path = dir.File("corpus.ics");
    auto write = [&](const std::string& text) {
        std::ofstream(fs::path(std::u8string(path.begin(), path.end())), std::ios::binary) << text;
    };
    write(Corpus("outlook-exchange.ics"));
    CSettings settings("Software\\Kestrova\\Orvanta for Outlook\\3.5");
    COrvantaDoc doc(settings);
    doc.m_clock = [] { return COleDateTime(2026, 3, 9, 8, 0, 0); };
    doc.m_calendarZone = "Europe/Berlin";
    doc.m_daysShown = 4;
    doc.m_calendarSources = {{CCalendarSource::Kind::File, path, "", true}};
    std::vector<std::string> told;
    doc.m_calendarProblem = [&](const std::string& p) { told.push_back(p); };
    ASSERT_TRUE(doc.RefreshData());
    ASSERT_EQ(doc.Day(0).GetCount(), 2); // the offsite (all day, two days) and the stand-up
    EXPECT_EQ(doc.Day(0).GetAt(0).GetSubject(), "Company offsite");
    EXPECT_TRUE(doc.Day(0).GetAt(0).IsAllDay());
    EXPECT_TRUE(doc.Day(0).GetAt(0).IsMultiDay());
    EXPECT_EQ(doc.Day(0).GetAt(1).GetSubject(), "Team stand-up");
    EXPECT_TRUE(doc.Day(0).GetAt(1).IsRecurring());
    EXPECT_TRUE(doc.Day(0).GetAt(1).HasReminder());
    EXPECT_EQ(doc.Day(1).GetCount(), 0); // the offsite started on Monday
    ASSERT_EQ(doc.Day(2).GetCount(), 1);
    EXPECT_EQ(doc.Day(2).GetAt(0).FormatStartTime(true), "14:00");
    ASSERT_EQ(doc.Day(3).GetCount(), 1);
    EXPECT_EQ(doc.Day(3).GetAt(0).GetImportance(), 2);
    EXPECT_TRUE(doc.Day(3).GetAt(0).HasAttachments());
    EXPECT_EQ(doc.Day(3).GetAt(0).GetAttachments()[0], "figures.xlsx");
    EXPECT_TRUE(told.empty());
    const uint32_t before = doc.LastSignature();
    EXPECT_FALSE(doc.RefreshAndCompare()); // unchanged

    std::string changed = Corpus("outlook-exchange.ics");
    changed.replace(changed.find("Quarterly review"), 16, "Quarterly budget");
    write(changed + "\r\n"); // another size: read again
    EXPECT_TRUE(doc.RefreshAndCompare());
    EXPECT_NE(doc.LastSignature(), before);
    EXPECT_EQ(doc.Day(3).GetAt(0).GetSubject(), "Quarterly budget");

    write("not a calendar");
    EXPECT_TRUE(doc.RefreshData()); // a broken file is told, not a failed read
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("corpus.ics"), std::string::npos);
    EXPECT_EQ(doc.Day(0).GetCount(), 0);
}

TEST(ICalendarZones, WindowsNamesMapThroughCldr) {
    EXPECT_GT(CICalendarZones::WindowsNameCount(), 100u);
    EXPECT_EQ(CICalendarZones::IanaForWindowsName("W. Europe Standard Time"), "Europe/Berlin");
    EXPECT_EQ(CICalendarZones::IanaForWindowsName("Pacific Standard Time"), "America/Los_Angeles");
    EXPECT_EQ(CICalendarZones::IanaForWindowsName("No Such Standard Time"), "");
    for (const char* name : {"Europe/Berlin", "W. Europe Standard Time", "/mozilla.org/20050126_1/Europe/Berlin",
                             "\"Tokyo Standard Time\"", "UTC"})
        EXPECT_NE(CICalendarZones::Find(name), nullptr) << name;
    for (const char* name : {"Mars/Olympus_Mons", "../../etc/passwd", ""})
        EXPECT_EQ(CICalendarZones::Find(name), nullptr) << name;
}
