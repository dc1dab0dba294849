#pragma once
// One iCalendar text turned into the program's records: the events' occurrences
// that touch a window of days (RRULE, RDATE, EXDATE, moved and cancelled occurrences
// by RECURRENCE-ID, DURATION, all-day dates, floating times, VTIMEZONE and the zones
// CICalendarZones supplies), shown in the user's local time, and the VTODO items as
// tasks. The parsing and the recurrence rules are libical's.
#include <string>
#include <string_view>
#include <vector>

#include "../Appointment.h"
#include "../Task.h"

struct icalcomponent_impl;
typedef struct icalcomponent_impl icalcomponent;

// What one file gave: the records, or why it was refused (or cut short).
struct CICalendarItems {
    std::vector<CAppointment> appointments; // occurrences overlapping the window, local times
    std::vector<CTask> tasks;               // every task that is not cancelled
    std::string problem;                    // empty when the whole file was read
};

class CICalendarText {
public:
    // Larger files and files with more items or deeper nesting are refused whole.
    static constexpr size_t kMaxBytes = 16u << 20;
    static constexpr int kMaxComponents = 50000;
    static constexpr int kMaxDepth = 8;
    // Recurrence steps one file may take; a file that needs more is cut short.
    static constexpr long kMaxSteps = 100000;
    // Occurrences of one file kept for one day (the lists show 30 a day).
    static constexpr int kMaxPerDay = 30;

    struct Options {
        double from = 0;  // OLE date: midnight (local) of the window's first day
        int days = 7;     // the window's length
        // The IANA zone the times are shown in; empty: the user's local time (the
        // locale port's, UTC without one).
        std::string zone;
        std::string idPrefix; // entry ids are this followed by the item's UID
    };
    static CICalendarItems Read(std::string_view text, const Options& options);
    // Why the text is not read at all (too large, too many items, nested too deep, no
    // calendar in it); empty when it may be parsed.
    static std::string Refusal(std::string_view text);

    // One occurrence in seconds since 1970: a time with a zone as the instant, a
    // floating time or a date as its wall clock read as UTC.
    struct Span {
        long long start = 0, end = 0;
        bool floating = false, allDay = false;
        icalcomponent* event = nullptr; // the VEVENT it comes from (the master or a moved occurrence)
        bool recurring = false;
    };
    // The occurrences of the events of one parsed VCALENDAR that overlap [from, to)
    // in those seconds; steps counts down the recurrence budget (false when it ran out).
    static bool Expand(icalcomponent* calendar, long long from, long long to, long& steps, std::vector<Span>& out);
};
