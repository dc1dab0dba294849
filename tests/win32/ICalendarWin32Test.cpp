// The iCalendar reader on Windows: libical built for MinGW with its zones compiled in.
// A weekly Exchange meeting written with a Windows zone name, over America's change to
// summer time, shown in the system's local time by the program's locale port, against
// the same instants turned into local time by the Windows API.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "outlook/calendar/ICalendarText.h"
#include "outlook/calendar/ICalendarZones.h"
#include "util/OleDateTime.h"

namespace {

const char* kMeeting =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:Microsoft Exchange Server 2010\r\n"
    "BEGIN:VEVENT\r\nUID:040000008200E00074C5B7101A82E008000000001\r\n"
    "SUMMARY:New York weekly\r\nRRULE:FREQ=WEEKLY;COUNT=4;BYDAY=TH\r\n"
    "DTSTART;TZID=Eastern Standard Time:20260305T100000\r\n"
    "DTEND;TZID=Eastern Standard Time:20260305T110000\r\n"
    "EXDATE;TZID=Eastern Standard Time:20260319T100000\r\n"
    "END:VEVENT\r\nEND:VCALENDAR\r\n";

CICalendarItems ReadMonth(const std::string& zone) {
    CICalendarText::Options o;
    o.days = 7;
    CICalendarItems items;
    // Four weeks, a window of seven days at a time as the program reads them.
    for (int week = 0; week < 4; ++week) {
        o.from = COleDateTime(2026, 3, 1 + 7 * week, 0, 0, 0).m_dt;
        o.zone = zone;
        CICalendarItems part = CICalendarText::Read(kMeeting, o);
        EXPECT_EQ(part.problem, "");
        for (CAppointment& a : part.appointments)
            if (a.m_start.m_dt >= o.from) items.appointments.push_back(a);
    }
    return items;
}

TEST(ICalendarWin32, RecurringEventInTheSystemsLocalTimeAgreesWithWindows) {
    EXPECT_EQ(CICalendarZones::IanaForWindowsName("Eastern Standard Time"), "America/New_York");
    const CICalendarItems utc = ReadMonth("UTC");
    // 5, 12 and 26 March (19 March excluded): 15:00 UTC before the change on 8 March,
    // 14:00 UTC after it.
    ASSERT_EQ(utc.appointments.size(), 3u);
    EXPECT_EQ(utc.appointments[0].m_start.Format("%Y-%m-%d %H:%M"), "2026-03-05 15:00");
    EXPECT_EQ(utc.appointments[1].m_start.Format("%Y-%m-%d %H:%M"), "2026-03-12 14:00");
    EXPECT_EQ(utc.appointments[2].m_start.Format("%Y-%m-%d %H:%M"), "2026-03-26 14:00");
    EXPECT_TRUE(utc.appointments[1].m_recurring);

    const CICalendarItems local = ReadMonth("");
    ASSERT_EQ(local.appointments.size(), utc.appointments.size());
    for (size_t i = 0; i < utc.appointments.size(); ++i) {
        SYSTEMTIME u{}, l{};
        ASSERT_TRUE(VariantTimeToSystemTime(utc.appointments[i].m_start.m_dt, &u));
        ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &u, &l));
        double expected = 0;
        ASSERT_TRUE(SystemTimeToVariantTime(&l, &expected));
        EXPECT_NEAR(local.appointments[i].m_start.m_dt, expected, 0.5 / 86400) << i;
        EXPECT_NEAR(local.appointments[i].m_end.m_dt - local.appointments[i].m_start.m_dt, 1.0 / 24, 0.5 / 86400);
    }
}

} // namespace
