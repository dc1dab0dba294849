#include "OrvantaDoc.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "../outlook/MaildirReader.h"
#include "../outlook/PrivacyFilter.h"
#include "../outlook/calendar/CalendarMerge.h"
#include "../platform/Platform.h"
#include "../settings/Settings.h"
#include "../system/MonitorSet.h"
#include "../render/ImageLayer.h"
#include "../render/Utf8Path.h"
#include "../render/DataPanel.h"
#include "../system/FileSystem.h"
#include "../util/LocaleValues.h"
#include "../util/Strings.h"
#include "../util/Utf8.h"

COrvantaDoc::COrvantaDoc(CSettings& settings)
    : m_settings(settings), m_engine(settings), m_composer(settings, std::string()), m_presenting(settings.m_presenting) {
    m_composer.SetPanelPainter([this](CMemWallPaper& data, CRegionList& regions) {
        const CLocaleValues locale = LocaleValues();
        PanelData panel;
        panel.now = m_clock();
        panel.days = std::span<const CAppointments>(m_days.data(), static_cast<size_t>(std::clamp(m_settings.m_outlook.m_calDays, 1, kDayLists)));
        panel.tasks = &m_tasks;
        panel.folders = &m_folders;
        panel.locale = &locale;
        panel.headerNote = HeaderNote();
        CDataPanel::Draw(data, regions, panel);
    });
    // The pop-up's picture is drawn only while a pop-up shows it (most compositions
    // have none open); one that opens has it drawn then.
    m_composer.SetPopupWanted([this] { return m_popupSource && m_popupSource->Shown(); });
}

COrvantaDoc::~COrvantaDoc() {
    // The mappers first: the desktop's takes its hook away; no pop-up reads the
    // source after the process's last message (the pop-up threads end with it).
    m_desktopMapper.reset();
    m_popupMapper.reset();
}

bool COrvantaDoc::CreateMappers() {
    m_desktopMapper = std::make_unique<CDesktopMapper>(m_settings, m_composer.Regions(), m_tooltip);
    m_popupMapper = std::make_unique<CDesktopMapper>(m_settings, m_composer.PopupRegions(), m_tooltip);
    m_popupSource = std::make_unique<CPopUpSource>(m_composer, *m_popupMapper);
    return m_desktopMapper->Create() && m_popupMapper->Create();
}

bool COrvantaDoc::OpenPopup() {
    IDesktopPort* desktop = PortOrNull<IDesktopPort>();
    if (!desktop || !m_popupSource) return false;
    m_popupSource->SetMouseMode(m_settings.m_desktopMouseMode);
    m_popupSource->Opening();
    if (!m_composer.PopupCurrent()) {
        // The data of the last composition, as the desktop shows them.
        m_composer.ComposePopup();
        if (m_popupMapper) m_popupMapper->RegionsChanged(m_settings.m_showDesktopTooltip);
        m_popupSource->PictureChanged(m_composer.PopupRegions());
    }
    m_popupSource->ResetFocus();
    const Rect window = PopupWindow();
    m_popupSource->Place(window);
    const bool opened = desktop->OpenPopup(*m_popupSource, window);
    if (!opened) m_popupSource->OpeningFailed();
    return opened;
}

Rect COrvantaDoc::PopupWindow() const {
    // In the middle of the monitor the panel is on, as large as its picture (drawn at
    // that monitor's scale).
    const Rect monitor = CMonitorSet::Current().Chosen(m_settings.m_panelMonitor).bounds;
    const CMemDC* picture = m_composer.PopupSurface();
    const int width = picture ? picture->Width() : kPopupWidth, height = picture ? picture->Height() : kPopupHeight;
    return Rect::FromSize(monitor.left + (monitor.Width() - width) / 2, monitor.top + (monitor.Height() - height) / 2,
                          width, height);
}

bool COrvantaDoc::Compose() {
    // A copy made for another screen or style, or from an older file, is made again.
    if (m_settings.m_converted) ConvertBackground();
    // The side-bar column makes room for the folders there are.
    const bool written = m_composer.Compose(m_folders.GetCount());
    if (!written && !m_pictureBehind && !m_composer.FailureSaid())
        std::fprintf(stderr, "orvanta: the wallpaper could not be composed into %s; the previous picture stays\n",
                     m_composer.OutputPath().c_str());
    m_pictureBehind = !written;
    m_redrawWanted = false;
    // Both region lists were recorded anew.
    for (CDesktopMapper* m : {m_desktopMapper.get(), m_popupMapper.get()})
        if (m) m->RegionsChanged(m_settings.m_showDesktopTooltip);
    // An open pop-up paints the new picture, its focus kept on the same item, and moves
    // to the panel's monitor as it is now (a display change or another "Panel Monitor").
    if (m_popupSource) {
        m_popupSource->Place(PopupWindow());
        m_popupSource->PictureChanged(m_composer.PopupRegions());
    }
    return written;
}

void COrvantaDoc::ConvertBackground() {
    m_settings.m_converted = false;
    const std::string ext = EFileSystem::Extension(m_settings.m_wallpaper, true);
    if (ext != "jpg" && ext != "jpeg") return;
    m_settings.m_converted = m_composer.PrepareBackground();
}

bool COrvantaDoc::RefreshData() {
    if (m_beforeRead && m_beforeRead()) m_redrawWanted = true;
    bool ok = false;
    const COleDateTime now = m_clock();
    const COleDateTime today(now.GetYear(), now.GetMonth(), now.GetDay(), 0, 0, 0);
    auto dayBounds = [&](int i) -> CAppointments& {
        // Each list knows its day even when nothing could be read for it.
        CAppointments& list = m_days[static_cast<size_t>(i)];
        list.RemoveAll();
        list.m_dayStart = today + COleDateTimeSpan(static_cast<double>(i));
        list.m_dayEnd = list.m_dayStart + COleDateTimeSpan(1.0);
        return list;
    };
    // Outlook's folders alone, as the engine keeps them; the Maildirs' come after.
    m_folders.Truncate(m_folders.GetCount() - m_maildirFolders);
    m_maildirFolders = 0;
    m_engine.BeginRefresh(); // a lost connection is made again here, at most once a minute
    const CPrivacyFilter privacy(m_settings.m_privateItems, m_presenting);
    if (m_engine.IsConnected()) {
        OutlookOptions options = m_engine.ReadOutlookOptions();
        if (m_daysShown) options.m_calDays = std::clamp(*m_daysShown, 1, kDayLists);
        // Everything is read after a read that failed, on a new day (the shown days
        // move), with other options, after a new connection, when what the picture may
        // show of private items changed (the lists kept hold what the last filter left)
        // and every tenth refresh (for what no change detection sees); otherwise only
        // the sources that changed.
        const bool full = !m_lastReadOk || today != m_lastToday || options != m_lastOptions ||
                          m_engine.Connections() != m_lastConnections || privacy != m_lastPrivacy ||
                          ++m_partialReads >= kFullReadEvery;
        m_settings.m_outlook = options;
        // Outlook's events say what changed at once; the detection also sees what no
        // event told (bulk changes, an Outlook without events). It looks also before a
        // full read: each look is the base of the next one.
        const bool tasksEvent = m_engine.TakeChanged(COutlookEngine::Source::Tasks);
        const bool calendarEvent = m_engine.TakeChanged(COutlookEngine::Source::Calendar);
        m_engine.TakeChanged(COutlookEngine::Source::MailFolders); // their counts are read at every refresh
        const bool tasksChanged = m_engine.SourceChanged(COutlookEngine::Tasks) || full || tasksEvent;
        const bool calendarChanged =
            m_engine.SourceChanged(COutlookEngine::Calendar) || full || calendarEvent || m_calendarCut;
        ok = true;
        if (tasksChanged) {
            m_tasks.RemoveAll();
            ok = m_engine.ReadTasksBulk(m_tasks, now) == 1;
            privacy.Apply(m_tasks); // what the picture and the signature below may show of them
        }
        const int days = std::clamp(m_settings.m_outlook.m_calDays, 1, kDayLists);
        if (calendarChanged) {
            for (int i = 0; i < days; ++i) dayBounds(i);
            ok = m_engine.ReadCalendarBulk(std::span<CAppointments>(m_days.data(), static_cast<size_t>(days)), today) == 1 &&
                 ok;
            for (int i = 0; i < days; ++i) privacy.Apply(m_days[static_cast<size_t>(i)]);
        }
        bool countsChanged = false;
        if (full || m_engine.UpdateMailCounts(m_folders, countsChanged) != 1) {
            m_folders.RemoveAll();
            ok = m_engine.ReadMailFoldersKept(m_folders) == 1 && ok;
        }
        // The calendar files' records of the last read go; this read's come in.
        CCalendarMerge::RemoveFromLists(std::span<CAppointments>(m_days.data(), static_cast<size_t>(days)), m_tasks);
        // With no Outlook to read (none installed, or gone until it is connected again)
        // the calendar sources alone are the data.
        if (MergeCalendarSources(now, today, days, privacy) && !m_engine.CanRead()) ok = true;
        if (full) m_partialReads = 0;
        m_lastToday = today;
        m_lastOptions = options;
        m_lastConnections = m_engine.Connections();
        m_lastPrivacy = privacy;
    } else {
        m_tasks.RemoveAll();
        m_folders.RemoveAll();
        if (m_daysShown) m_settings.m_outlook.m_calDays = std::clamp(*m_daysShown, 1, kDayLists);
        const int days = std::clamp(m_settings.m_outlook.m_calDays, 1, kDayLists);
        for (int i = 0; i < days; ++i) dayBounds(i);
        // Without Outlook the calendar sources alone are the data.
        ok = MergeCalendarSources(now, today, days, privacy);
    }
    AppendMaildirFolders();
    m_lastReadOk = ok;
    if (ok) m_lastSignature = BuildSignature();
    return ok;
}

bool COrvantaDoc::MergeCalendarSources(const COleDateTime& now, const COleDateTime& today, int days,
                                       const CPrivacyFilter& privacy) {
    m_calendarCut = false;
    if (m_sourcesFromSettings) {
        m_calendarSources.clear();
        for (const CCalendarSource& source : m_settings.m_sources)
            if (source.kind != CCalendarSource::Kind::Maildir) m_calendarSources.push_back(source);
    }
    // Feeds are fetched into copies in the data folder, at most once a "Refresh" period.
    const bool anyFeed = std::any_of(m_calendarSources.begin(), m_calendarSources.end(), [](const CCalendarSource& s) {
        return s.kind == CCalendarSource::Kind::Feed && s.shown;
    });
    if (anyFeed && !m_feeds && !m_dataFolder.empty()) {
        if (IHttpPort* http = PortOrNull<IHttpPort>()) {
            m_feeds = std::make_unique<CFeedCache>(EFileSystem::Join(m_dataFolder, "feeds"), *http);
            m_calendars.SetFeeds(m_feeds.get());
        }
    }
    if (m_feeds) m_feeds->SetRefreshSeconds(m_settings.m_refresh);
    if (m_calendarSources.empty()) {
        m_lastCalendarRead = CCalendarSources::Result();
        return false;
    }
    CICalendarText::Options window;
    window.from = today.m_dt;
    window.days = days;
    window.zone = m_calendarZone;
    m_lastCalendarRead = m_calendars.Read(m_calendarSources, window);
    for (const std::string& problem : m_lastCalendarRead.newProblems) {
        if (m_calendarProblem) m_calendarProblem(problem);
        else std::fprintf(stderr, "orvanta: %s\n", problem.c_str());
    }
    // What the picture may show of them, as for Outlook's records.
    std::vector<CAppointment> appointments;
    for (CAppointment a : m_lastCalendarRead.appointments)
        if (privacy.Apply(a)) appointments.push_back(std::move(a));
    std::vector<CTask> tasks;
    for (CTask t : m_lastCalendarRead.tasks)
        if (privacy.Apply(t)) tasks.push_back(std::move(t));
    m_calendarCut = !CCalendarMerge::MergeDays(std::span<CAppointments>(m_days.data(), static_cast<size_t>(days)),
                                               appointments, today);
    CCalendarMerge::MergeTasks(m_tasks, tasks, m_settings, now);
    return true;
}

void COrvantaDoc::SetDataFolder(const std::string& folder) {
    m_dataFolder = folder;
    if (!folder.empty()) m_calendars.SetCacheFile(EFileSystem::Join(folder, "calendars.cache"));
}

std::string COrvantaDoc::UserDataFolder() {
    const std::string appData = EFileSystem::SpecialFolderPath(SpecialFolder::AppData);
    const std::vector<std::string> names = {LoadResString(IDS_COMPANY), LoadResString(IDS_PRODUCT)};
    if (appData.empty() || !EFileSystem::EnsureDirectoryChain(appData, names)) return {};
    return EFileSystem::Join(EFileSystem::Join(appData, names[0]), names[1]);
}

void COrvantaDoc::AppendMaildirFolders() {
    for (const CCalendarSource& source : m_settings.m_sources) {
        if (source.kind != CCalendarSource::Kind::Maildir || !source.shown) continue;
        std::string why;
        std::vector<CMailFolder> folders = CMaildirReader::Read(source.location, why);
        if (folders.empty()) {
            const std::string problem = "The Maildir " + QuotedForDisplay(source.location, 260) + " cannot be read: " + why + ".";
            if (std::find(m_maildirProblems.begin(), m_maildirProblems.end(), problem) == m_maildirProblems.end()) {
                m_maildirProblems.push_back(problem);
                Port<IDialogPort>().ShowMessageBox(problem, LoadResString(IDS_APP_TITLE), MsgBox::Ok);
            }
            continue;
        }
        for (CMailFolder& f : folders) {
            m_folders.Append(std::make_unique<CMailFolder>(std::move(f)));
            ++m_maildirFolders;
        }
    }
}

bool COrvantaDoc::OnCommand(int id) {
    switch (id) {
    case ID_NEW_APPOINTMENT: m_engine.NewAppointment(); return true;
    case ID_NEW_TASK: m_engine.NewTask(); return true;
    case ID_NEW_MAIL: m_engine.NewMail(); return true;
    default: return false;
    }
}

bool COrvantaDoc::RefreshAndCompare() {
    const uint32_t before = m_lastSignature;
    return RefreshData() && (m_lastSignature != before || m_pictureBehind || m_redrawWanted);
}

namespace {
const char* Importance(int i) { return i == 1 ? "1" : i != 0 ? "2" : "0"; }
const char* Flag(bool b) { return b ? "t" : "f"; }
} // namespace

std::string COrvantaDoc::HeaderNote() const {
    std::string note;
    for (const std::string& line : m_lastCalendarRead.staleNotes) note += (note.empty() ? "" : "\n") + line;
    return note;
}

std::string COrvantaDoc::SignatureText() const {
    // A feed going offline (or its copy growing older) is shown in the header's tooltip.
    std::string s = HeaderNote();
    const int days = std::clamp(m_settings.m_outlook.m_calDays, 1, kDayLists);
    for (int i = 0; i < days; ++i) {
        s += "Day " + std::to_string(i);
        const CAppointments& list = m_days[static_cast<size_t>(i)];
        for (int k = 0; k < list.GetCount(); ++k) {
            const CAppointment& a = list.GetAt(k);
            if (a.IsMultiDay()) s += "Multi - day";
            else if (a.IsAllDay()) s += "All day event";
            else s += a.FormatStartTime(true) + " - " + a.FormatEndTime(true);
            s += Flag(a.HasAttachments());
            s += Importance(a.GetImportance());
            s += Flag(a.HasReminder());
            s += Flag(a.IsRecurring());
            s += a.GetSubject();
        }
    }
    for (int i = 0; i < m_folders.GetCount(); ++i)
        s += m_folders.GetAt(i).GetName() + std::to_string(m_folders.GetAt(i).GetDisplayCount());
    CLocaleValues locale = LocaleValues();
    for (int i = 0; i < m_tasks.GetCount(); ++i) {
        const CTask& t = m_tasks.GetAt(i);
        s += t.GetSubject();
        s += t.IsComplete() ? "c" : t.GetPercentComplete() != 0 ? "P" : "0";
        s += Flag(t.HasAttachments());
        s += Importance(t.GetImportance());
        s += Flag(t.HasReminder());
        s += Flag(t.IsRecurring());
        if (t.HasDueDate()) s += " (" + locale.DefaultText(t.GetDueDate()) + ")";
    }
    return s;
}

uint32_t COrvantaDoc::BuildSignature() {
    std::string text = SignatureText();
    return static_cast<uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
}
