#include "MainFrame.h"

#include "../desktop/ActiveWallpaper.h"
#include "../desktop/DesktopLockResponse.h"
#include "../outlook/OutlookEngine.h"
#include "../outlook/calendar/CalendarMerge.h"
#include "../platform/Platform.h"
#include "../render/ActiveRegion.h"
#include "../system/FileSystem.h"
#include "../settings/Settings.h"
#include "../settings/SettingsPropSheet.h"
#include "../system/MonitorSet.h"
#include "../system/SystemInfo.h"
#include "../settings/SystemTray.h"
#include "../util/Strings.h"
#include "InfoStartupDlg.h"
#include "OrvantaDoc.h"

namespace {
// Whether an item's entry id is one Outlook handed out (not a calendar file's "ical:"
// or a Maildir's "maildir:" id).
bool OutlooksOwn(std::string_view entryId) {
    return entryId.rfind(CCalendarMerge::kIdPrefix, 0) != 0 && entryId.rfind("maildir:", 0) != 0;
}
} // namespace

namespace {
constexpr int kInformationIcon = 32516; // IDI_ASTERISK
constexpr const char* kPopupFailed = "Failed to create PopUp screen";
} // namespace

CMainFrame::CMainFrame(CSettings& settings, CActiveWallpaper& wallpaper)
    : m_clock([] { return LocalNow(); }), m_settings(settings), m_wallpaper(wallpaper) {}

CMainFrame::~CMainFrame() {
    SetRegionSender(nullptr);
    Shutdown();
    m_tray.reset();
    m_window.reset();
}

bool CMainFrame::Create(const std::string& caption) {
    m_window = Port<IWindowKit>().MakeWindow(WindowDesc{caption, true}, *this);
    if (!m_window) return false;
    OnCreate();
    return true;
}

void CMainFrame::SetCaption(const std::string& caption) {
    if (m_window) m_window->SetCaption(caption);
}

std::string CMainFrame::Caption() const { return m_window ? m_window->Caption() : std::string(); }

unsigned CMainFrame::DefaultTrayItem() const {
    switch (m_settings.m_doubleclickAction) {
    case 1: return ID_START_OUTLOOK;
    case 2: return ID_HIDE_DATA;
    case 3: return ID_POPUP;
    default: return ID_SETTINGS;
    }
}

void CMainFrame::OnCreate() {
    m_tray = std::make_unique<CSystemTray>();
    m_tray->Create(kTrayNotify, LoadResString(IDS_PRODUCT), kInformationIcon, kTrayId, false);
    m_tray->SetMenuDefaultItem(DefaultTrayItem(), false);
    if (m_settings.m_launchOutlook) LaunchOutlookAtStart();
    m_tray->SetTargetWindow(m_window.get());
    m_tray->SetIcon(IDI_TRAY_START);
    m_tray->SetCheckedItems([this] { return CheckedTrayItems(); });
    m_storedTime = m_clock();
    CheckDayChange();
    m_window->SetTimer(kDeferredTimer, kDeferredPeriod);
    // The session's own lock notices are seen at once; the watcher's poll is only for
    // systems without them.
    if (IDesktopLockPort* lock = PortOrNull<IDesktopLockPort>())
        m_watchingSession = lock->WatchSession(m_window->Handle());
    StartWatcherIfWanted();
    // Where the system does not tell windows of display changes by a message, its
    // notice arrives as one (Linux: RandR and the work area).
    Port<ISystemPort>().WatchDisplays([window = m_window.get()] { window->Post(Msg::DisplayChange); });
    // A clicked region (on the desktop or in the pop-up) reaches this window's
    // handlers, on whichever thread the click was seen: item and folder ids travel as
    // the message's text, the day as a number.
    SetRegionSender([this](const RegionMessage& m) {
        if (!m_window || m_shutDown) return;
        if (m.message == kOpenDayMsg)
            m_window->Send(m.message, 0, static_cast<intptr_t>(m.day));
        else
            m_window->SendText(m.message, m.entryId);
    });
}

bool CMainFrame::OnTimer(unsigned id) {
    switch (id) {
    case kDeferredTimer: OnDeferredWork(); return true;
    case kRefreshTimer: OnRefreshTick(); return true;
    case kWallpaperTimer:
        CheckWallpaperChange();
        CheckDisplays(); // a change no notice reported
        return true;
    case kDayTimer:
        CheckDayChange();
        if (m_tray) m_tray->RetryAdd(); // a taskbar that came late gets the icon
        return true;
    default: return false;
    }
}

bool CMainFrame::OnCommand(unsigned id, intptr_t argument) {
    // The argument of a command from the Linux command line: 1 hide, 2 show (the menu
    // item itself toggles); the settings command says the settings were saved.
    if (id == ID_HIDE_DATA && argument != 0) {
        if ((argument == 1) != m_settings.m_hideData) ToggleHideData();
    } else if (id == ID_PRESENTING && argument != 0) {
        if (m_doc && (argument == 1) != m_doc->Presenting()) RouteCommand(ID_PRESENTING);
    } else if (id == ID_SETTINGS && argument == kSettingsSaved) {
        OnSettingsSavedElsewhere();
    } else {
        RouteCommand(static_cast<int>(id));
    }
    return true;
}

bool CMainFrame::OnClose() {
    Shutdown();
    m_window->Destroy();
    return true;
}

std::optional<bool> CMainFrame::OnQueryEndSession() {
    SaveSettings();
    return true; // the session may end
}

bool CMainFrame::OnEndSession(bool ending) {
    if (ending) {
        if (!m_settings.m_keepOnExit) m_wallpaper.Restore();
        Shutdown();
    }
    return true;
}

bool CMainFrame::OnSettingChange(unsigned action) {
    if (action == kSetDeskWallpaper || action == 0) CheckWallpaperChange();
    // The high-contrast scheme went on or off: drawn again in its colours (or the style's).
    if (action == kSetHighContrast) m_refreshRequested = true;
    // A taskbar moved or changed size; or a change without a name, as the display's
    // scale (its DPI) changing is announced: compared, and drawn again only when the
    // monitors, their work areas or their scales differ.
    if (action == kSetWorkArea || action == 0 || action == kSetLogicalDpiOverride) CheckDisplays();
    return false; // the platform's own handling goes on
}

bool CMainFrame::OnDisplayChange(const DisplayChange&) {
    CheckDisplays();
    return false;
}

void CMainFrame::CheckDisplays() {
    // Before the first composition there is nothing to move; compared first, acted
    // on only when the monitors really differ.
    if (!m_doc || m_firstTickPending || m_shutDown) return;
    const std::optional<CMonitorSet>& composedFor = m_doc->Composer().Monitors();
    if (!composedFor || *composedFor == CMonitorSet::Current()) return;
    ++m_displayRedraws;
    ComposeAndInstall(true);
}

bool CMainFrame::OnSessionChange(SessionChange kind) {
    if (kind != SessionChange::Other) OnDesktopLock(kind == SessionChange::Lock);
    return true;
}

bool CMainFrame::OnAppMessage(const AppMessage& m) {
    switch (m.msg) {
    case kTrayNotify:
        if (m_tray) m_tray->OnAppMessage(m);
        return true;
    case kDesktopLockMsg: OnDesktopLock(m.lParam != 0); return true;
    case kRefreshRequestMsg: m_refreshRequested = true; return true;
    default: return OnRegionRequest(m);
    }
}

bool CMainFrame::OnRegionRequest(const AppMessage& m) {
    // What a clicked region asks for; the entry and folder ids come as the message's
    // text, the day as its number.
    switch (m.msg) {
    case kNewAppointmentMsg:
        m_window->SetForeground();
        if (m_doc) m_doc->Engine().NewAppointment();
        return true;
    case kNewTaskMsg:
        if (m_doc) m_doc->Engine().NewTask();
        return true;
    case kNewMailMsg:
        if (m_doc) m_doc->Engine().NewMail();
        return true;
    // Items of calendar files and Maildir folders are not Outlook's: Outlook is not
    // asked for them (it would only say it has no such item).
    case kOpenAppointmentMsg:
        if (m_doc && m.text && OutlooksOwn(*m.text)) m_doc->Engine().OpenAppointment(std::string(*m.text));
        return true;
    case kOpenTaskMsg:
        if (m_doc && m.text && OutlooksOwn(*m.text)) m_doc->Engine().OpenTask(std::string(*m.text));
        return true;
    case kOpenFolderMsg:
        if (m_doc && m.text && OutlooksOwn(*m.text)) m_doc->Engine().OpenFolder(std::string(*m.text));
        return true;
    case kOpenDayMsg:
        if (m_doc && m.lParam > 0) m_doc->Engine().OpenCalendarAtDay(static_cast<int64_t>(m.lParam));
        return true;
    case kStartOutlookMsg: StartOutlook(); return true;
    case kContactsMsg:
        if (m_doc) m_doc->Engine().OpenContacts();
        return true;
    case kNothingMsg: return true;
    default: return false;
    }
}

bool CMainFrame::RouteCommand(int id) {
    // Every command comes from the tray or the command line, and most open a window of
    // ours or change the picture: a desktop tooltip left up would stand over them.
    HideTooltip();
    if (OnFrameCommand(id)) return true;
    for (const auto& target : m_targets)
        if (target(id)) return true;
    return false;
}

bool CMainFrame::OnFrameCommand(int id) {
    switch (id) {
    case ID_SETTINGS: m_settingsRequested = true; return true;
    case ID_STYLE_BLUE:
    case ID_STYLE_GREEN:
    case ID_STYLE_BROWN:
        m_settings.ApplyStyle(id - ID_STYLE_BLUE);
        SaveSettings();
        m_refreshRequested = true;
        return true;
    case ID_HELP_INDEX: {
        const std::string folder = EFileSystem::DirectoryPart(EFileSystem::ProgramFilePath(false));
        ESystemInfo::OpenInBrowser(EFileSystem::Join(EFileSystem::Join(folder.empty() ? "." : folder, "help"),
                                                     "Index.html"));
        return true;
    }
    case ID_HIDE_DATA: ToggleHideData(); return true;
    case ID_PRESENTING:
        // Read again, so the masked subjects come from the data, and drawn at once.
        if (m_doc) m_doc->SetPresenting(!m_doc->Presenting());
        m_refreshRequested = true;
        return true;
    case ID_SHOW_STARTUP_INFO: ShowStartupInfo(); return true;
    case ID_START_OUTLOOK: StartOutlook(); return true;
    case ID_REFRESH: m_refreshRequested = true; return true;
    case ID_POPUP:
        if (!m_doc || !m_doc->OpenPopup())
            Port<IDialogPort>().ShowMessageBox(kPopupFailed, LoadResString(IDS_APP_TITLE),
                                               MsgBox::Ok | MsgBox::IconError);
        return true;
    case ID_APP_EXIT:
        if (m_window) m_window->Post(Msg::Close);
        return true;
    default: return false;
    }
}

void CMainFrame::RestartRefreshTimer() {
    const int seconds = m_settings.m_refresh > 0 ? m_settings.m_refresh : CSettings::kDefaultRefresh;
    m_window->SetTimer(kRefreshTimer, static_cast<unsigned>(seconds) * 1000u);
}

void CMainFrame::ComposeAndInstall(bool installOnlyWhenComposed) {
    const bool composed = m_doc->Compose();
    // Every data load reads the settings again, which clears the "Hide Data" the lock
    // set in memory only: a locked desktop keeps the user's picture all the same.
    if ((composed || !installOnlyWhenComposed) && !m_hiddenByLock) InstallWallpaper();
    ++m_redraws;
}

void CMainFrame::OnDeferredWork() {
    if (m_firstTickPending && m_doc) {
        m_firstTickPending = false;
        if (m_doc->Engine().EnsureConnected()) {
            ++m_refreshes;
            m_doc->RefreshData();
            ConvertBackground();
            ComposeAndInstall(false);
        }
        if (m_settings.m_useInteractiveDesktop && !m_settings.m_hideData) InstallHook();
        RestartRefreshTimer();
        m_window->SetTimer(kWallpaperTimer, kWallpaperPeriod);
        m_window->SetTimer(kDayTimer, kDayPeriod);
        m_startupInfoDue = !m_settings.m_showStartup;
    }
    if (m_refreshRequested && m_doc && !m_firstTickPending) {
        m_refreshRequested = false;
        m_window->KillTimer(kRefreshTimer);
        ++m_refreshes;
        if (m_doc->RefreshData()) {
            ConvertBackground();
            ComposeAndInstall(true);
        }
        RestartRefreshTimer();
    }
    // Outlook told of a change by its events: the refresh tick's work now rather than
    // at the end of the period (the events only marked what changed).
    if (m_doc && !m_firstTickPending && m_doc->Engine().ChangesPending()) OnRefreshTick();
    if (m_settingsRequested) {
        m_settingsRequested = false;
        OpenSettingsSheet();
    }
    if (m_startupInfoDue && !(m_splashShowing && m_splashShowing())) {
        m_startupInfoDue = false;
        ShowStartupInfo();
    }
}

void CMainFrame::OpenSettingsSheet() {
    // The sheet runs modally inside this tick, and the timers go on meanwhile: a
    // request that arrives while it is open finds it open and is dropped.
    if (m_settingsSheetOpen || !m_window) return;
    HideTooltip();
    m_settingsSheetOpen = true;
    struct Closed {
        bool& open;
        ~Closed() { open = false; }
    } closed{m_settingsSheetOpen};
    CSettingsPropSheet sheet(m_settings, {[this](const std::vector<ApplyStep>& steps) { ApplySettings(steps); },
                                          [this] { RouteCommand(ID_HELP_INDEX); },
                                          [this] { RouteCommand(ID_APP_ABOUT); }});
    sheet.DoModal(m_window->Handle());
}

void CMainFrame::OnRefreshTick() {
    if (m_hiddenByLock || !m_doc) return;
    if (m_wallpaper.AdoptChanged(CActiveWallpaper::Check::RefreshTick)) {
        // The next deferred tick recomposes over the new picture (or, when that read
        // fails, the next refresh that succeeds).
        m_doc->MarkPictureBehind();
        ConvertBackground();
        SaveSettings();
        m_refreshRequested = true;
        if (m_settings.m_hideData) RestartRefreshTimer();
        return;
    }
    m_window->KillTimer(kRefreshTimer);
    ++m_refreshes;
    if (m_doc->RefreshAndCompare()) ComposeAndInstall(false);
    RestartRefreshTimer();
}

void CMainFrame::InstallWallpaper() {
    m_wallpaper.Install();
    // A picture the user set while ours was being set is taken now, not 5 s later.
    if (m_wallpaper.OtherPictureShown()) CheckWallpaperChange();
}

void CMainFrame::CheckWallpaperChange() {
    if (m_hiddenByLock) return;
    if (!m_wallpaper.AdoptChanged(CActiveWallpaper::Check::Timer)) return;
    if (m_doc) m_doc->MarkPictureBehind();
    ConvertBackground();
    SaveSettings();
    m_refreshRequested = true;
    if (m_window) RestartRefreshTimer();
}

void CMainFrame::CheckDayChange() {
    const COleDateTime now = m_clock();
    if (m_storedDay == now.GetDay() - 1 && now.GetMonth() == m_storedTime.GetMonth() &&
        now.GetYear() == m_storedTime.GetYear())
        return;
    m_storedDay = now.GetDay() - 1;
    m_storedTime = now;
    if (m_tray) m_tray->SetIconBySetting(m_settings.m_systrayIcon, now.GetDay());
    if (!m_doc) return;
    // The calendar's "today" moved: drawn again whether or not the data changed.
    m_window->KillTimer(kRefreshTimer);
    ++m_refreshes;
    if (m_doc->RefreshData()) ComposeAndInstall(false);
    RestartRefreshTimer();
}

void CMainFrame::ConvertBackground() {
    if (m_doc) m_doc->ConvertBackground();
}

void CMainFrame::ToggleHideData() {
    // The user's command decides: data a lock hid count as hidden, and showing them
    // ends the lock's hiding (the refresh ticks would otherwise stay idle until an
    // unlock that a restarted watcher never reports).
    if (m_hiddenByLock) {
        m_hiddenByLock = false;
        if (m_window) RestartRefreshTimer();
    }
    if (m_settings.m_hideData) CheckWallpaperChange();
    m_settings.m_hideData = !m_settings.m_hideData;
    m_watcher.Stop();
    if (!m_settings.m_hideData) {
        StartWatcherIfWanted();
        InstallWallpaper();
        SaveSettings();
        if (m_settings.m_useInteractiveDesktop) InstallHook();
    } else {
        // Nothing of ours is on the desktop: no tooltip of it either.
        HideTooltip();
        m_wallpaper.Restore();
        SaveSettings();
        // Nothing of ours is on the desktop: its clicks are the shell's alone.
        if (m_settings.m_useInteractiveDesktop) RemoveHook();
    }
}

void CMainFrame::ApplySettings(const std::vector<ApplyStep>& steps) {
    // Before the first tick the timers have not started and nothing is drawn yet;
    // that tick reads, composes and starts them with the values now in force.
    const bool running = m_window && !m_firstTickPending;
    for (ApplyStep step : steps) {
        switch (step) {
        case ApplyStep::UpdateTray:
            if (!m_tray) break;
            m_tray->SetIconBySetting(m_settings.m_systrayIcon, m_clock().GetDay());
            m_tray->SetMenuDefaultItem(DefaultTrayItem(), false);
            break;
        case ApplyStep::StopRefreshTimer:
            if (running) m_window->KillTimer(kRefreshTimer);
            break;
        case ApplyStep::SaveSettings: SaveSettings(); break;
        case ApplyStep::ReadAndRecompose:
            if (!running || !m_doc) break;
            ++m_refreshes;
            if (m_doc->RefreshData()) {
                ConvertBackground();
                ComposeAndInstall(true);
            }
            break;
        case ApplyStep::StartRefreshTimer:
            if (running) RestartRefreshTimer();
            break;
        case ApplyStep::RemoveHook: RemoveHook(); break;
        case ApplyStep::InstallHook:
            // Before the first tick, that tick sets the hook.
            if (running) InstallHook();
            break;
        case ApplyStep::StopWatcher: m_watcher.Stop(); break;
        case ApplyStep::StartWatcher:
            if (m_window) StartWatcherIfWanted();
            break;
        }
    }
}

void CMainFrame::OnSettingsSavedElsewhere() {
    m_settings.Load();
    std::vector<ApplyStep> steps = CSettingsSheetModel::StepsAfterTakeOver(m_settings);
    // What was just read is what the file holds: saving it again could only overwrite
    // a newer change.
    std::erase(steps, ApplyStep::SaveSettings);
    ApplySettings(steps);
}

void CMainFrame::OnDesktopLock(bool locked) {
    // A data load while locked reads "Hide Data" back from the registry; the lock's
    // own flag still says the data are hidden.
    const LockState state{m_settings.m_hideOnDesktopLock, m_settings.m_hideData || m_hiddenByLock,
                          m_settings.m_useInteractiveDesktop, m_hiddenByLock};
    for (LockStep step : CDesktopLockResponse::Steps(state, locked)) {
        switch (step) {
        case LockStep::StopRefreshTimer:
            if (m_window) m_window->KillTimer(kRefreshTimer);
            break;
        case LockStep::HideDataInMemory: m_settings.m_hideData = true; break;
        case LockStep::ShowDataInMemory: m_settings.m_hideData = false; break;
        case LockStep::RemoveHook: ApplySettings({ApplyStep::RemoveHook}); break;
        case LockStep::InstallHook: ApplySettings({ApplyStep::InstallHook}); break;
        case LockStep::RestoreWallpaper:
            HideTooltip();
            m_wallpaper.Restore();
            break;
        case LockStep::InstallWallpaper: InstallWallpaper(); break;
        case LockStep::MarkHiddenByLock: m_hiddenByLock = true; break;
        case LockStep::ClearHiddenByLock: m_hiddenByLock = false; break;
        case LockStep::StartRefreshTimer:
            if (m_window) RestartRefreshTimer();
            break;
        }
    }
}

std::vector<unsigned> CMainFrame::CheckedTrayItems() const {
    // The style and "Hide Data" are marked each on its own: hiding the data keeps the
    // style, and a style chosen while hidden leaves the data hidden.
    std::vector<unsigned> checked{static_cast<unsigned>(ID_STYLE_BLUE + m_settings.m_style)};
    if (m_settings.m_hideData) checked.push_back(ID_HIDE_DATA);
    if (m_doc && m_doc->Presenting()) checked.push_back(ID_PRESENTING);
    return checked;
}

void CMainFrame::SaveSettings() {
    // "Hide Data" set by a lock lives in memory only: a save while locked (the session
    // ending from the lock screen) must not keep the data hidden at the next start.
    const bool hideData = m_settings.m_hideData;
    if (m_hiddenByLock) m_settings.m_hideData = false;
    m_settings.Save();
    m_settings.m_hideData = hideData;
}

void CMainFrame::StartWatcherIfWanted() {
    // Where the session reports its locks the poll has nothing to add, and its test
    // switches the input desktop for real: a user working on another desktop would be
    // pulled back at every poll.
    if (!m_window || m_shutDown || m_watchingSession) return;
    if (!m_settings.m_hideData && m_settings.m_hideOnDesktopLock) m_watcher.Start(kWatcherInterval, m_window->Handle());
}

void CMainFrame::HideTooltip() {
    if (m_doc) m_doc->HideTooltip();
}

void CMainFrame::ShowStartupInfo() {
    HideTooltip();
    CInfoStartupDlg dlg(m_settings.m_showStartup);
    dlg.DoModal();
    m_settings.m_showStartup = dlg.m_dontShowAgain;
    SaveSettings();
}

bool CMainFrame::InstallHook() {
    CDesktopMapper* mapper = m_doc ? m_doc->DesktopMapper() : nullptr;
    return mapper && mapper->InstallHook();
}

bool CMainFrame::RemoveHook() {
    CDesktopMapper* mapper = m_doc ? m_doc->DesktopMapper() : nullptr;
    return !mapper || mapper->RemoveHook();
}

void CMainFrame::StartOutlook() {
    // Outlook's window brought forward, or Outlook started when it has none; the same
    // before the document (and its engine) exists.
    if (m_doc)
        m_doc->Engine().StartOutlook();
    else
        COutlookEngine::FindOrStartOutlook(true);
}

void CMainFrame::LaunchOutlookAtStart() {
    // An Outlook that already runs keeps its place: its window is only looked for, not
    // brought forward over what the user does at log-on.
    COutlookEngine::FindOrStartOutlook(false);
}

void CMainFrame::Shutdown() {
    if (m_shutDown || !m_window) return;
    m_shutDown = true;
    // What the user changed while the program ran is kept for the next start.
    SaveSettings();
    if (m_tray) m_tray->Remove();
    m_watcher.Stop();
    if (m_watchingSession) {
        if (IDesktopLockPort* lock = PortOrNull<IDesktopLockPort>()) lock->UnwatchSession(m_window->Handle());
        m_watchingSession = false;
    }
    for (unsigned id : {kDeferredTimer, kRefreshTimer, kWallpaperTimer, kDayTimer}) m_window->KillTimer(id);
}
