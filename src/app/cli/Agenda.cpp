#include "Agenda.h"

#include <cstdio>
#include <cstdlib>

#include "../../outlook/calendar/CalendarSources.h"
#include "../../system/FileSystem.h"

#include "../../platform/Platform.h"
#include "../../settings/Settings.h"
#include "../../util/LocaleValues.h"
#include "../../util/Strings.h"
#include "../OrvantaDoc.h"

void CAgenda::Print(COrvantaDoc& doc, const CSettings& s, std::ostream& out) {
    CLocaleValues locale = LocaleValues();
    const bool hours24 = s.m_timeStyle == 1 || (s.m_timeStyle == 0 && locale.m_clockFormat == 1);
    if (!doc.Engine().CanRead() && doc.m_calendarSources.empty()) out << "Nothing could be read from Outlook.\n";
    for (int i = 0; i < s.m_outlook.m_calDays && i < COrvantaDoc::kDayLists; ++i) {
        const CAppointments& day = doc.Day(i);
        out << locale.DayName(day.m_dayStart.GetDayOfWeek()) << ", " << locale.LongDateText(day.m_dayStart) << "\n";
        if (day.GetCount() == 0) out << "  (no appointments)\n";
        for (int k = 0; k < day.GetCount(); ++k) {
            const CAppointment& a = day.GetAt(k);
            std::string when = a.IsMultiDay() ? "multi-day" : a.IsAllDay() ? "all day"
                                                                           : a.FormatStartTime(hours24) + " - " + a.FormatEndTime(hours24);
            out << "  " << when << "  " << a.GetSubject();
            if (a.IsRecurring()) out << "  [recurring]";
            if (a.HasAttachments()) out << "  [attachments]";
            out << "\n";
        }
    }
    out << "Tasks\n";
    if (doc.Tasks().GetCount() == 0) out << "  (none)\n";
    for (int i = 0; i < doc.Tasks().GetCount(); ++i) {
        const CTask& t = doc.Tasks().GetAt(i);
        out << "  " << (t.IsComplete() ? "[x] " : "[ ] ") << t.GetSubject();
        if (t.HasDueDate()) out << "  (due " << locale.DefaultText(t.GetDueDate()) << ")";
        if (!t.IsComplete() && t.GetPercentComplete()) out << "  " << t.GetPercentComplete() << " %";
        out << "\n";
    }
    out << "Folders\n";
    if (doc.Folders().GetCount() == 0) out << "  (none)\n";
    for (int i = 0; i < doc.Folders().GetCount(); ++i)
        out << "  " << doc.Folders().GetAt(i).GetName() << "  " << doc.Folders().GetAt(i).GetDisplayCount() << "\n";
    char crc[40];
    std::snprintf(crc, sizeof crc, "signature CRC-32: 0x%08X", static_cast<unsigned>(doc.LastSignature()));
    out << crc << "\n";
}

bool CAgenda::Parse(const std::vector<std::string>& args, Request& request, std::string& why) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (i + 1 >= args.size() || (a != "--from" && a != "--days" && a != "--source")) {
            why = a == "--from" || a == "--days" || a == "--source" ? a + " needs a value" : "unknown option " + a;
            return false;
        }
        const std::string& v = args[++i];
        if (a == "--from") {
            int y = 0, m = 0, d = 0;
            char tail = 0;
            COleDateTime check;
            if (v.size() != 10 || std::sscanf(v.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3 ||
                check.SetDate(y, m, d) != 0 || check.GetStatus() != COleDateTime::valid || y < 1601) {
                why = "--from takes a date as YYYY-MM-DD, not " + v;
                return false;
            }
            request.fromYear = y, request.fromMonth = m, request.fromDay = d;
        } else if (a == "--days") {
            char* end = nullptr;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end || n < 1 || n > 7) {
                why = "--days takes a number from 1 to 7, not " + v;
                return false;
            }
            request.days = static_cast<int>(n);
        } else {
            CCalendarSource source;
            source.location = v;
            source.kind = CCalendarSources::KindOf(v);
            request.sources.push_back(source);
        }
    }
    return true;
}

int CAgenda::Run(const Request& request, std::ostream& out, std::ostream& err) {
    CSettings settings(CSettings::ProgramRegistryRoot());
    settings.Open();
    COrvantaDoc doc(settings);
    doc.m_daysShown = request.days;
    if (request.fromYear) {
        const COleDateTime now = LocalNow();
        const COleDateTime from(*request.fromYear, *request.fromMonth, *request.fromDay, now.GetHour(), now.GetMinute(),
                                now.GetSecond());
        doc.m_clock = [from] { return from; };
    }
    doc.m_calendarProblem = [&err](const std::string& problem) { err << "orvanta: " << problem << "\n"; };
    // The files' records and the feeds' copies are kept beside the program's other data.
    doc.SetDataFolder(COrvantaDoc::UserDataFolder());
    if (!request.sources.empty()) {
        doc.m_calendarSources = request.sources;
    } else {
        // The configured sources (the settings' list), then Outlook's store.
        doc.m_sourcesFromSettings = true;
        doc.Engine().EnsureConnected();
    }
    bool ok = doc.RefreshData();
    Print(doc, settings, out);
    return ok ? 0 : 1;
}
