#include "Settings.h"

#include <algorithm>

#include "../platform/Platform.h"
#include "SourcesKey.h"
#include "../system/FileSystem.h"
#include "../util/PanelScale.h"
#include "../util/Parser.h"
#include "../system/Registry.h"
#include "../util/Strings.h"
#include "../system/SystemInfo.h"

namespace {

constexpr size_t kTextBuffer = 260;

std::string ReadTextOrEmpty(CRegistry& reg, const char* name) {
    std::string text;
    reg.ReadText(name, text, kTextBuffer);
    return text;
}

// Default-on flags are true unless the text is "FALSE"; default-off ones false unless "TRUE".
bool ReadFlag(CRegistry& reg, const char* name, bool defaultOn) {
    std::string text = EParser::ToUpper(ReadTextOrEmpty(reg, name));
    return defaultOn ? text != "FALSE" : text == "TRUE";
}

int32_t ReadNumber(CRegistry& reg, const char* name, int32_t absent) {
    int32_t v = absent;
    reg.ReadNumber(name, v);
    return v;
}

void ReadNumberTextIfSet(CRegistry& reg, const char* name, int32_t& field) {
    std::string text = ReadTextOrEmpty(reg, name);
    if (!text.empty()) field = EParser::ParseInt(text);
}

void ReadNumberTextIfSet(CRegistry& reg, const char* name, bool& field) {
    std::string text = ReadTextOrEmpty(reg, name);
    if (!text.empty()) field = EParser::ParseInt(text) != 0;
}

} // namespace

const std::vector<CSettings::PersistedValue>& CSettings::SaveOrder() {
    using E = Encoding;
    static const std::vector<PersistedValue> order = {
        {"Wallpaper", E::Text, &CSettings::m_wallpaper},
        {"WPStyle", E::Text, &CSettings::m_wpStyle},
        {"Orvanta style", E::Number, &CSettings::m_style},
        {"FDOW", E::Number, &CSettings::m_fdow},
        {"Systray Ico", E::Number, &CSettings::m_systrayIcon},
        {"Doubleclick Action", E::Number, &CSettings::m_doubleclickAction},
        {"Transparency", E::Number, &CSettings::m_transparency},
        {"SideBar Width", E::Number, &CSettings::m_sideBarWidth},
        {"Desktop Mouse Mode", E::NumberText, &CSettings::m_desktopMouseMode},
        {"Use Interactive Desktop", E::Flag, &CSettings::m_useInteractiveDesktop},
        {"Show Desktop Tooltip", E::Flag, &CSettings::m_showDesktopTooltip},
        {"Show Contacts", E::Flag, &CSettings::m_showContacts},
        {"Show Appointments", E::Flag, &CSettings::m_showAppointments},
        {"Show Tasks", E::Flag, &CSettings::m_showTasks},
        {"Show Messages", E::Flag, &CSettings::m_showMessages},
        {"Show Calendar", E::Flag, &CSettings::m_showCalendar},
        {"ShowWeekNumbers", E::Flag, &CSettings::m_showWeekNumbers},
        {"LaunchAtStartup", E::Flag, &CSettings::m_launchAtStartup},
        {"Hide Data", E::Flag, &CSettings::m_hideData},
        {"Hide On Desktop Lock", E::Flag, &CSettings::m_hideOnDesktopLock},
        {"KeepOnExit", E::Flag, &CSettings::m_keepOnExit},
        {"ShowSplash", E::Flag, &CSettings::m_showSplash},
        {"Lounch Outlook", E::Flag, &CSettings::m_launchOutlook},
        {"Time Style", E::NumberText, &CSettings::m_timeStyle},
        {"SideBarStyle", E::NumberText, &CSettings::m_centralView},
        {"Header Blank", E::NumberText, &CSettings::m_headerBlank},
        {"Footer Blank", E::NumberText, &CSettings::m_footerBlank},
        {"Right Margin Blank", E::NumberText, &CSettings::m_rightMarginBlank},
        {"Header Blank", E::NumberText, &CSettings::m_headerBlank},
        {"AppointmentsTask", E::NumberText, &CSettings::m_appointmentsTask},
        {"OffsetType", E::NumberText, &CSettings::m_offsetType},
        {"CalendarPosX", E::NumberText, &CSettings::m_calendarPosX},
        {"CalendarPosY", E::NumberText, &CSettings::m_calendarPosY},
        {"SideBarCalPosX", E::NumberText, &CSettings::m_sideBarCalPosX},
        {"SideBarCalPosY", E::NumberText, &CSettings::m_sideBarCalPosY},
        {"Panel Monitor", E::Number, &CSettings::m_panelMonitor},
        {"Panel Scale", E::Number, &CSettings::m_panelScale},
        {"Refresh", E::Number, &CSettings::m_refresh},
        {"ShowStartup", E::Flag, &CSettings::m_showStartup},
        {"Private Items", E::Number, &CSettings::m_privateItems},
        {"Presenting", E::Flag, &CSettings::m_presenting},
    };
    return order;
}

std::string CSettings::ProgramRegistryRoot() {
    return FormatText("Software\\Kestrova\\%s\\%s", LoadResString(IDS_APP_TITLE).c_str(),
                      LoadResString(IDS_VERSION).c_str());
}

CSettings::CSettings(std::string registryRoot, IRegistryPort* port)
    : m_registryRoot(std::move(registryRoot)), m_port(port) {}

void CSettings::Open() {
    // Factory values taken from the screens as they are at the first start.
    // The side bar's calendar is placed from its monitor's top-left corner: its
    // factory place is on the primary monitor.
    const ScreenMetrics metrics = Port<ISystemPort>().GetScreenMetrics();
    const Rect screen = Rect::FromSize(0, 0, metrics.primaryWidth, metrics.primaryHeight);
    m_sideBarWidth = ESystemInfo::DisplayHorizontalResolution() * 20 / 100;
    // The calendar (450 x 384 with its room below, at 100 %) at the primary monitor's scale.
    const int scale = CPanelScale::ForDpi(Port<ISystemPort>().PrimaryDpi());
    m_sideBarCalPosX = (screen.Width() - CPanelScale::Length(450, scale)) / 2;
    m_sideBarCalPosY = screen.Height() - CPanelScale::Length(384, scale);
    m_hideOnDesktopLock = ESystemInfo::IsNtFamily();

    std::string appData = EFileSystem::SpecialFolderPath(SpecialFolder::AppData);
    m_convertedPath = EFileSystem::Join(
        EFileSystem::Join(EFileSystem::Join(appData, LoadResString(IDS_COMPANY)),
                          LoadResString(IDS_PRODUCT)),
        "wallpaper.bmp");
    // Windows compares these paths lower-cased; a case-sensitive file system must not.
    if (Port<ISystemPort>().CaseInsensitivePaths()) m_convertedPath = EParser::ToLower(m_convertedPath);

    Load();
    // On a first start the user finds every setting in the registry at once, not
    // only after the first change; a start that finds some missing (an earlier start
    // ended before its first save) writes those, keeping what the others hold.
    if (m_createdKey) {
        Save();
    } else if (!m_missingValues.empty()) {
        CRegistry reg(m_port);
        if (!OpenKey(reg, RegAccess::Write)) return;
        std::vector<std::pair<std::string, RegValue>> values;
        for (auto& nv : PersistedValues())
            if (std::find(m_missingValues.begin(), m_missingValues.end(), nv.first) != m_missingValues.end())
                values.push_back(std::move(nv));
        reg.WriteValues(values);
    }
}

bool CSettings::OpenKey(CRegistry& reg, RegAccess access) {
    if (reg.Open(RegRoot::CurrentUser, m_registryRoot, access)) return true;
    reg.CreateKeyPath(RegRoot::CurrentUser, m_registryRoot, "REG_BINARY");
    bool opened = reg.Open(RegRoot::CurrentUser, m_registryRoot, access);
    m_createdKey = m_createdKey || opened;
    return opened;
}

int32_t CSettings::ClampPanelScale(int32_t value) {
    // 0 or less follows the monitor; a hand-edited value outside 100..300 % is taken as
    // the nearest scale there is.
    return value <= 0 ? 0 : std::clamp(value, kMinPanelScale, kMaxPanelScale);
}

void CSettings::ApplyStyle(int style) { m_style = (style >= 0 && style <= 2) ? style : 0; }

void CSettings::Load() {
    m_wallpaper.clear();
    m_wpStyle.clear();
    CRegistry reg(m_port);
    if (!OpenKey(reg, RegAccess::ReadWrite)) return; // "Refresh" is written back

    m_missingValues.clear();
    for (const auto& v : SaveOrder())
        if (!reg.ValueExists(v.name)) m_missingValues.emplace_back(v.name);

    m_wallpaper = ReadTextOrEmpty(reg, "Wallpaper");
    m_wpStyle = ReadTextOrEmpty(reg, "WPStyle");

    m_fdow = ReadNumber(reg, "FDOW", 0);
    m_systrayIcon = ReadNumber(reg, "Systray Ico", 0);

    ReadNumberTextIfSet(reg, "SideBarStyle", m_centralView);
    ReadNumberTextIfSet(reg, "Header Blank", m_headerBlank);
    ReadNumberTextIfSet(reg, "Footer Blank", m_footerBlank);
    ReadNumberTextIfSet(reg, "Right Margin Blank", m_rightMarginBlank);
    ReadNumberTextIfSet(reg, "AppointmentsTask", m_appointmentsTask);
    ReadNumberTextIfSet(reg, "OffsetType", m_offsetType);
    ReadNumberTextIfSet(reg, "CalendarPosX", m_calendarPosX);
    ReadNumberTextIfSet(reg, "CalendarPosY", m_calendarPosY);
    ReadNumberTextIfSet(reg, "SideBarCalPosX", m_sideBarCalPosX);
    ReadNumberTextIfSet(reg, "SideBarCalPosY", m_sideBarCalPosY);
    m_appointmentsTask = std::clamp(m_appointmentsTask, 0, 100);
    m_panelMonitor = std::max(0, ReadNumber(reg, "Panel Monitor", 0));
    m_panelScale = ClampPanelScale(ReadNumber(reg, "Panel Scale", 0));

    ApplyStyle(ReadNumber(reg, "Orvanta style", 0));

    m_doubleclickAction = ReadNumber(reg, "Doubleclick Action", 3);
    m_transparency = std::clamp(ReadNumber(reg, "Transparency", 30), 0, 100);
    m_sideBarWidth = std::clamp(ReadNumber(reg, "SideBar Width", m_sideBarWidth),
                                kMinSideBarWidth, kMaxSideBarWidth);

    ReadNumberTextIfSet(reg, "Desktop Mouse Mode", m_desktopMouseMode);

    m_useInteractiveDesktop = ReadFlag(reg, "Use Interactive Desktop", true);
    m_showDesktopTooltip = ReadFlag(reg, "Show Desktop Tooltip", true);
    m_showContacts = ReadFlag(reg, "Show Contacts", true);
    m_showAppointments = ReadFlag(reg, "Show Appointments", true);
    m_showTasks = ReadFlag(reg, "Show Tasks", true);
    m_showMessages = ReadFlag(reg, "Show Messages", true);
    m_showCalendar = ReadFlag(reg, "Show Calendar", true);
    m_showWeekNumbers = ReadFlag(reg, "ShowWeekNumbers", true);
    m_hideData = ReadFlag(reg, "Hide Data", false);
    if (ESystemInfo::IsNtFamily()) m_hideOnDesktopLock = ReadFlag(reg, "Hide On Desktop Lock", true);

    m_launchAtStartup = ReadFlag(reg, "LaunchAtStartup", true);
    if (m_launchAtStartup) {
        std::string command = LogonCommand();
        if (!command.empty()) CRegistry::SetRunEntry(LoadResString(IDS_PRODUCT), command, m_port);
    }

    m_keepOnExit = ReadFlag(reg, "KeepOnExit", false);
    m_launchOutlook = ReadFlag(reg, "Lounch Outlook", false);
    m_showSplash = ReadFlag(reg, "ShowSplash", true);

    m_timeStyle = EParser::ParseInt(ReadTextOrEmpty(reg, "Time Style"));

    // The settings sheet accepts 5..3600 seconds; 0, a negative or a missing value
    // means the default, and a hand-edited value outside the range is pulled into it.
    int32_t refresh = ReadNumber(reg, "Refresh", 0);
    m_refresh = refresh <= 0 ? kDefaultRefresh : std::clamp(refresh, kMinRefresh, kMaxRefresh);
    reg.WriteNumber("Refresh", m_refresh);

    m_showStartup = ReadFlag(reg, "ShowStartup", false);
    // A hand-edited value outside 0..2 is taken as the nearest: never more shown than asked.
    m_privateItems = std::clamp(ReadNumber(reg, "Private Items", 0), 0, 2);
    m_presenting = ReadFlag(reg, "Presenting", false);
    reg.Close();
    LoadSources();
}

void CSettings::Save() {
    CRegistry reg(m_port);
    if (!OpenKey(reg, RegAccess::Write)) return;
    // One write for all: another process reading or saving at the same time sees
    // either the whole of this save or none of it.
    reg.WriteValues(PersistedValues());
}

std::vector<std::pair<std::string, RegValue>> CSettings::PersistedValues() const {
    std::vector<std::pair<std::string, RegValue>> values;
    values.reserve(SaveOrder().size());
    for (const auto& v : SaveOrder()) {
        switch (v.encoding) {
        case Encoding::Text:
            values.emplace_back(v.name, RegValue::Text(this->*std::get<std::string CSettings::*>(v.field)));
            break;
        case Encoding::Number:
            values.emplace_back(v.name, RegValue::Number(this->*std::get<int32_t CSettings::*>(v.field)));
            break;
        case Encoding::Flag:
            values.emplace_back(v.name,
                                RegValue::Text((this->*std::get<bool CSettings::*>(v.field)) ? "TRUE" : "FALSE"));
            break;
        case Encoding::NumberText: {
            int32_t n = std::holds_alternative<bool CSettings::*>(v.field)
                            ? (this->*std::get<bool CSettings::*>(v.field) ? 1 : 0)
                            : this->*std::get<int32_t CSettings::*>(v.field);
            values.emplace_back(v.name, RegValue::Text(std::to_string(n)));
            break;
        }
        }
    }
    return values;
}

std::string CSettings::LogonCommand() {
    std::string program = EFileSystem::ProgramFilePath(true);
    // Where short names are disabled the "short" path keeps its spaces; unquoted, the
    // system would try "C:\Program" first, which another program may be.
    if (program.find(' ') != std::string::npos) program = "\"" + program + "\"";
    return program;
}

int CSettings::EffectiveFirstDayOfWeek() const {
    if (m_fdow == 1) return 6;
    if (m_fdow == 2) return 0;
    return m_outlook.m_outlookFirstDayOfWeek;
}

void CSettings::LoadSources() {
    m_sourceProblems.clear();
    m_sources = CSourcesKey::Load(m_port, m_registryRoot, m_sourceProblems);
    // Load runs at every refresh: each entry left out is said once.
    for (const std::string& problem : m_sourceProblems) {
        if (std::find(m_reportedSourceProblems.begin(), m_reportedSourceProblems.end(), problem) !=
            m_reportedSourceProblems.end())
            continue;
        m_reportedSourceProblems.push_back(problem);
        if (IDialogPort* dialogs = PortOrNull<IDialogPort>())
            dialogs->ShowMessageBox(problem, LoadResString(IDS_APP_TITLE), MsgBox::Ok | MsgBox::IconWarning);
    }
}

bool CSettings::SaveSources() { return CSourcesKey::Save(m_port, m_registryRoot, m_sources); }
