#include "Agenda.h"

#include <cstdio>

#include "../../platform/Platform.h"
#include "../../settings/Settings.h"
#include "../../util/LocaleValues.h"
#include "../../util/Strings.h"
#include "../OrvantaDoc.h"

void CAgenda::Print(COrvantaDoc& doc, const CSettings& s, std::ostream& out) {
    CLocaleValues locale = LocaleValues();
    const bool hours24 = s.m_timeStyle == 1 || (s.m_timeStyle == 0 && locale.m_clockFormat == 1);
    if (!doc.Engine().CanRead()) out << "Nothing could be read from Outlook.\n";
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

int CAgenda::Run(std::ostream& out) {
    CSettings settings(CSettings::ProgramRegistryRoot());
    settings.Open();
    COrvantaDoc doc(settings);
    doc.Engine().EnsureConnected();
    bool ok = doc.RefreshData();
    Print(doc, settings, out);
    return ok ? 0 : 1;
}
