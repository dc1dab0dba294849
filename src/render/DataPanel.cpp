#include "DataPanel.h"

#include "../outlook/Appointments.h"
#include "../outlook/MailFolders.h"
#include "../outlook/Tasks.h"
#include "../settings/Settings.h"
#include "../util/LocaleValues.h"
#include "AppointmentList.h"
#include "FolderList.h"
#include "MemWallPaper.h"
#include "MonthCalendar.h"
#include "PanelHeader.h"
#include "RegionList.h"
#include "TaskList.h"

void CDataPanel::Draw(CMemWallPaper& data, CRegionList& regions, const PanelData& panel) {
    static const CTasks kNoTasks;
    static const CMailFolders kNoFolders;
    static const CLocaleValues kNoLocale;
    const CLocaleValues& locale = panel.locale ? *panel.locale : kNoLocale;
    const CSettings& s = data.Settings();
    const PanelLayout& L = data.Layout();
    const bool central = L.central;
    if (!central && s.m_showCalendar) CMonthCalendar::Draw(data, regions, locale, panel.now);
    CPanelHeader::Draw(data, regions, locale.LongDateText(panel.now), panel.headerNote);
    CTaskList::Draw(data, regions, locale, panel.tasks ? *panel.tasks : kNoTasks);
    CAppointmentList::Draw(data, regions, locale, panel.days);
    CFolderList::Draw(data, regions, panel.folders ? *panel.folders : kNoFolders);
    if (central) CMonthCalendar::Draw(data, regions, locale, panel.now);
}
