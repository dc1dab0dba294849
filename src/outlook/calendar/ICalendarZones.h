#pragma once
// Time zones for iCalendar files: a TZID that the file defines no VTIMEZONE for is
// given one, found by its IANA name ("Europe/Berlin") or, through CLDR's table, by
// the Windows name that Outlook and Exchange write ("W. Europe Standard Time"). The
// Linux program takes the zones from the system's database through libical; the
// Windows program, which has none that libical reads, from libical's zone files
// compiled into it.
#include <string>

struct icalcomponent_impl;
typedef struct icalcomponent_impl icalcomponent;
struct _icaltimezone;
typedef struct _icaltimezone icaltimezone;

class CICalendarZones {
public:
    // The IANA name for a Windows zone name; empty when CLDR lists none.
    static std::string IanaForWindowsName(const std::string& windowsName);
    // The zone of an IANA name, a Windows name or a name with a prefix before its IANA
    // part ("/mozilla.org/20050126_1/Europe/Berlin"); null when none is known. Owned
    // by libical (or by this class) for the life of the process.
    static icaltimezone* Find(const std::string& tzid);
    // Adds to the calendar a VTIMEZONE for each TZID its components use but it does
    // not define, when Find knows the zone; the others stay and read as floating.
    static void AddMissing(icalcomponent* calendar);
    // How many Windows names the table holds.
    static size_t WindowsNameCount();
};
