#include "SettingsSheetModel.h"

#include <variant>

#include "../platform/AutomationPort.h"
#include "../platform/Platform.h"
#include "../util/Parser.h"
#include "../util/Strings.h"
#include "../util/Utf8.h"
#include "RangeCheck.h"
#include "../system/Registry.h"
#include "Settings.h"
#include "../system/MonitorSet.h"
#include "../system/SystemInfo.h"

namespace {

using G = CGeneralOptionsPage;
using A = CAppearancePage;

enum class Kind {
    Flag,   // a check box: "TRUE" or "FALSE"
    Choice, // a radio group: min..max, each named in choices
    Number, // an edit field with an accepted range
    Blank,  // header, footer, right margin: an edit kept in bounds while typed
    Scale,  // 0 (follow the monitor) or min..max per cent
};

struct Field {
    const char* name;
    Kind kind;
    std::variant<bool G::*, int G::*, bool A::*, int A::*> member;
    int min = 0;
    int max = 1;
    const char* choices = nullptr;
    int editId = 0;
    bool sideBarOnly = false; // taken over by Apply in the side-bar view only
};

const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = {
        {"LaunchAtStartup", Kind::Flag, &G::m_launchAtStartup},
        {"Lounch Outlook", Kind::Flag, &G::m_launchOutlook},
        {"ShowSplash", Kind::Flag, &G::m_showSplash},
        {"KeepOnExit", Kind::Flag, &G::m_keepOnExit},
        {"Refresh", Kind::Number, &G::m_refresh, G::kMinRefresh, G::kMaxRefresh, nullptr, G::kRefreshEdit},
        {"Use Interactive Desktop", Kind::Flag, &G::m_useInteractiveDesktop},
        {"Desktop Mouse Mode", Kind::Choice, &G::m_desktopMouseMode, 0, 1, "0 double click, 1 single click"},
        {"Show Desktop Tooltip", Kind::Flag, &G::m_showDesktopTooltip},
        {"Show Contacts", Kind::Flag, &G::m_showContacts},
        {"Hide On Desktop Lock", Kind::Flag, &G::m_hideOnDesktopLock},
        {"Doubleclick Action", Kind::Choice, &G::m_doubleclickAction, 0, 3,
         "0 settings, 1 start Outlook, 2 show/hide data, 3 pop-up data"},
        {"Systray Ico", Kind::Choice, &G::m_systrayIcon, 0, 1, "0 date icon, 1 program icon"},
        {"Private Items", Kind::Choice, &G::m_privateItems, 0, 2,
         "0 shown as they are, 1 subject hidden, 2 left out"},
        {"Presenting", Kind::Flag, &G::m_presenting},
        {"Panel Monitor", Kind::Choice, &G::m_panelMonitor, 0, G::kMaxPanelMonitor,
         "0 the primary, 1 to n a monitor by its position from the left"},
        {"SideBarStyle", Kind::Choice, &A::m_centralView, 0, 1, "0 side bar view, 1 central view"},
        {"OffsetType", Kind::Choice, &A::m_offsetPosition, 0, 1, "0 centred, 1 at CalendarPosX/CalendarPosY"},
        {"CalendarPosX", Kind::Number, &A::m_calendarPosX, 0, A::kMaxPosition, nullptr, A::kCalendarPosXEdit},
        {"CalendarPosY", Kind::Number, &A::m_calendarPosY, 0, A::kMaxPosition, nullptr, A::kCalendarPosYEdit},
        {"SideBarCalPosX", Kind::Number, &A::m_sideBarCalPosX, 0, A::kMaxPosition, nullptr, A::kSideBarCalPosXEdit},
        {"SideBarCalPosY", Kind::Number, &A::m_sideBarCalPosY, 0, A::kMaxPosition, nullptr, A::kSideBarCalPosYEdit},
        {"Show Calendar", Kind::Flag, &A::m_showCalendar, 0, 1, nullptr, 0, true},
        {"Show Appointments", Kind::Flag, &A::m_showAppointments, 0, 1, nullptr, 0, true},
        {"Show Tasks", Kind::Flag, &A::m_showTasks, 0, 1, nullptr, 0, true},
        {"Show Messages", Kind::Flag, &A::m_showMessages, 0, 1, nullptr, 0, true},
        {"SideBar Width", Kind::Number, &A::m_sideBarWidth, A::kMinSideBarWidth, A::kMaxSideBarWidth, nullptr,
         A::kSideBarWidthEdit, true},
        {"Header Blank", Kind::Blank, &A::m_headerBlank, 0, 0, nullptr, A::kHeaderEdit, true},
        {"Footer Blank", Kind::Blank, &A::m_footerBlank, 0, 0, nullptr, A::kFooterEdit, true},
        {"Right Margin Blank", Kind::Blank, &A::m_rightMarginBlank, 0, 0, nullptr, A::kRightMarginEdit, true},
        {"AppointmentsTask", Kind::Choice, &A::m_appointmentsTask, 0, A::kSliderMax, nullptr, 0, true},
        {"Transparency", Kind::Number, &A::m_transparency, 0, A::kMaxTransparency, nullptr, A::kTransparencyEdit},
        {"FDOW", Kind::Choice, &A::m_fdow, 0, 2, "0 Outlook's, 1 Sunday, 2 Monday"},
        {"ShowWeekNumbers", Kind::Flag, &A::m_showWeekNumbers},
        {"Time Style", Kind::Choice, &A::m_timeStyle, 0, 2, "0 Outlook's, 1 24 hours, 2 12 hours (am/pm)"},
        {"Orvanta style", Kind::Choice, &A::m_style, 0, 2, "0 Blue, 1 Green, 2 Brown"},
        {"Panel Scale", Kind::Scale, &A::m_panelScale, CSettings::kMinPanelScale, CSettings::kMaxPanelScale,
         "0 the monitor's scale, or 100 to 300 per cent"},
    };
    return fields;
}

const Field* Find(const std::string& name) {
    for (const Field& f : Fields())
        if (name == f.name) return &f;
    return nullptr;
}

int Get(const CSettingsSheetModel& m, const Field& f) {
    return std::visit(
        [&](auto member) -> int {
            using P = decltype(member);
            if constexpr (std::is_same_v<P, bool G::*> || std::is_same_v<P, int G::*>)
                return static_cast<int>(m.General().*member);
            else
                return static_cast<int>(m.Appearance().*member);
        },
        f.member);
}

void Set(CSettingsSheetModel& m, const Field& f, int value) {
    std::visit(
        [&](auto member) {
            using P = decltype(member);
            if constexpr (std::is_same_v<P, bool G::*>) m.General().*member = value != 0;
            else if constexpr (std::is_same_v<P, int G::*>) m.General().*member = value;
            else if constexpr (std::is_same_v<P, bool A::*>) m.Appearance().*member = value != 0;
            else m.Appearance().*member = value;
        },
        f.member);
}

bool OnGeneralPage(const Field& f) {
    return std::holds_alternative<bool G::*>(f.member) || std::holds_alternative<int G::*>(f.member);
}

// The most a blank can be without another moving: what the screen leaves beside the
// other blank (header and footer) or beside the side bar (right margin).
int BlankMax(const CAppearancePage& a, const Field& f) {
    const int room = std::max(0, a.ScreenHeight() - CAppearancePage::kMinSideBarHeight);
    int max = 0;
    if (f.editId == CAppearancePage::kHeaderEdit) max = room - a.m_footerBlank;
    else if (f.editId == CAppearancePage::kFooterEdit) max = room - a.m_headerBlank;
    else max = a.SpinRange(CAppearancePage::kRightMarginSpin).max;
    return std::max(0, max);
}

const char* const kBroughtDown = "larger values are brought down to fit the screen";

} // namespace

void CSettingsSheetModel::Init(const CSettings& settings, bool launchEntryExists, bool ntFamily, int screenWidth,
                               int screenHeight, bool outlookInstalled) {
    m_general.Init(settings, launchEntryExists, ntFamily);
    m_appearance.Init(settings, screenWidth, screenHeight);
    m_calendars.Init(settings, outlookInstalled);
}

void CSettingsSheetModel::Open(const CSettings& settings, IRegistryPort* port) {
    const Rect screen = ESystemInfo::VirtualScreenRect();
    IAutomationPort* automation = PortOrNull<IAutomationPort>();
    Init(settings, CRegistry::RunEntryExists(LoadResString(IDS_PRODUCT), port), ESystemInfo::IsNtFamily(),
         screen.Width(), screen.Height(), automation && automation->OutlookInstalled());
    m_general.SetMonitorCount(static_cast<int>(CMonitorSet::Current().Monitors().size()));
}

std::vector<ApplyStep> CSettingsSheetModel::Apply(CSettings& s, IRegistryPort* port) {
    const CGeneralOptionsPage& g = m_general;
    const CAppearancePage& a = m_appearance;
    s.m_refresh = g.m_refresh;
    s.m_transparency = a.m_transparency;
    s.m_fdow = a.m_fdow;
    s.m_style = a.m_style;
    s.m_systrayIcon = g.m_systrayIcon;
    s.m_doubleclickAction = g.m_doubleclickAction;
    s.m_keepOnExit = g.m_keepOnExit;
    s.m_centralView = a.m_centralView;
    s.m_offsetType = a.m_offsetPosition;
    s.m_timeStyle = a.m_timeStyle;
    s.m_launchOutlook = g.m_launchOutlook;
    s.m_calendarPosX = a.m_calendarPosX;
    s.m_calendarPosY = a.m_calendarPosY;
    s.m_sideBarCalPosX = a.m_sideBarCalPosX;
    s.m_sideBarCalPosY = a.m_sideBarCalPosY;
    if (!a.m_centralView) {
        s.m_sideBarWidth = a.m_sideBarWidth;
        s.m_showAppointments = a.m_showAppointments;
        s.m_showTasks = a.m_showTasks;
        s.m_showMessages = a.m_showMessages;
        s.m_showCalendar = a.m_showCalendar;
        s.m_appointmentsTask = a.m_appointmentsTask;
        s.m_headerBlank = a.m_headerBlank;
        s.m_footerBlank = a.m_footerBlank;
        s.m_rightMarginBlank = a.m_rightMarginBlank;
    }
    s.m_launchAtStartup = g.m_launchAtStartup;
    const std::string entry = LoadResString(IDS_PRODUCT);
    if (s.m_launchAtStartup) {
        const std::string command = CSettings::LogonCommand();
        if (!command.empty()) CRegistry::SetRunEntry(entry, command, port);
    } else {
        CRegistry::DeleteRunEntry(entry, port);
    }
    s.m_hideOnDesktopLock = g.m_hideOnDesktopLock;
    s.m_desktopMouseMode = g.m_desktopMouseMode;
    s.m_useInteractiveDesktop = g.m_useInteractiveDesktop;
    s.m_showDesktopTooltip = g.m_showDesktopTooltip;
    s.m_showContacts = g.m_showContacts;
    s.m_showSplash = g.m_showSplash;
    s.m_showWeekNumbers = a.m_showWeekNumbers;
    s.m_panelScale = a.m_panelScale;
    s.m_privateItems = g.m_privateItems;
    s.m_presenting = g.m_presenting;
    s.m_panelMonitor = g.m_panelMonitor;
    // The style's colours and the view's geometry follow the values just taken.
    s.ApplyStyle(s.m_style);
    // The list is written only when the user edited it: a save for another change never
    // puts back a list that changed meanwhile. A list that could not be written stays
    // edited, so the next Apply tries again.
    if (m_calendars.SourcesEdited()) {
        s.m_sources = m_calendars.Sources();
        if (s.SaveSources()) m_calendars.SourcesTakenOver();
    }
    m_general.SetModified(false);
    m_appearance.SetModified(false);
    m_calendars.SetModified(false);
    return StepsAfterTakeOver(s);
}

std::vector<ApplyStep> CSettingsSheetModel::StepsAfterTakeOver(const CSettings& s) {
    std::vector<ApplyStep> steps{ApplyStep::UpdateTray, ApplyStep::StopRefreshTimer, ApplyStep::StopWatcher};
    if (!s.m_hideData && s.m_hideOnDesktopLock) steps.push_back(ApplyStep::StartWatcher);
    steps.push_back(ApplyStep::SaveSettings);
    if (!s.m_useInteractiveDesktop) steps.push_back(ApplyStep::RemoveHook);
    else if (!s.m_hideData) steps.push_back(ApplyStep::InstallHook);
    steps.push_back(ApplyStep::ReadAndRecompose);
    steps.push_back(ApplyStep::StartRefreshTimer);
    return steps;
}

const std::vector<std::string>& CSettingsSheetModel::SettingNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const Field& f : Fields()) n.emplace_back(f.name);
        return n;
    }();
    return names;
}

std::string CSettingsSheetModel::ValueText(const std::string& name) const {
    const Field* f = Find(name);
    if (!f) return {};
    const int v = Get(*this, *f);
    if (f->kind == Kind::Flag) return v ? "TRUE" : "FALSE";
    return std::to_string(v);
}

std::string CSettingsSheetModel::RangeText(const std::string& name) const {
    const Field* f = Find(name);
    if (!f) return {};
    std::string text;
    switch (f->kind) {
    case Kind::Flag: text = "TRUE or FALSE"; break;
    case Kind::Choice:
    case Kind::Scale: text = f->choices ? f->choices : std::to_string(f->min) + " to " + std::to_string(f->max); break;
    case Kind::Number: text = std::to_string(f->min) + " to " + std::to_string(f->max); break;
    case Kind::Blank:
        text = "0 to " + std::to_string(BlankMax(m_appearance, *f)) + " (" + kBroughtDown + ")";
        break;
    }
    if (f->sideBarOnly) text += "; side bar view only";
    if (std::string(f->name) == "Hide On Desktop Lock" && !m_general.m_ntFamily) text += "; not on this system";
    return text;
}

CSettingsSheetModel::SetResult CSettingsSheetModel::SetByName(const std::string& name, const std::string& text,
                                                              std::string& message) {
    message.clear();
    const Field* f = Find(name);
    if (!f) {
        message = QuotedForDisplay(name) + " is not a setting of the settings sheet.";
        return SetResult::Unknown;
    }
    // A value Apply would not take over (its control is disabled) is refused rather
    // than dropped without a word.
    if (f->sideBarOnly && m_appearance.m_centralView) {
        message = "\"" + name + "\" belongs to the side bar view; set \"SideBarStyle\" to 0 first.";
        return SetResult::Refused;
    }
    if (!m_general.IsEnabled(CGeneralOptionsPage::kHideOnDesktopLock) && name == "Hide On Desktop Lock") {
        message = "\"Hide On Desktop Lock\" does not apply to this system.";
        return SetResult::Refused;
    }
    int value = 0;
    switch (f->kind) {
    case Kind::Flag: {
        // Blanks around the word are taken as the numbers' fields take them.
        const std::string upper = EParser::ToUpper(EParser::TrimChars(text, " \t"));
        if (upper != "TRUE" && upper != "FALSE") {
            message = "Please enter TRUE or FALSE.";
            return SetResult::Refused;
        }
        Set(*this, *f, upper == "TRUE" ? 1 : 0);
        break;
    }
    case Kind::Choice:
        if (!CRangeCheck::ParseInRange(text, f->min, f->max, value, message)) return SetResult::Refused;
        Set(*this, *f, value);
        break;
    case Kind::Scale:
        if (!CRangeCheck::ParseInteger(text, value, message)) return SetResult::Refused;
        if (value != 0 && (value < f->min || value > f->max)) {
            message = "Please enter 0 (the monitor's scale) or an integer between " + std::to_string(f->min) + " and " +
                      std::to_string(f->max) + ".";
            return SetResult::Refused;
        }
        Set(*this, *f, value);
        break;
    case Kind::Number: {
        const bool taken = OnGeneralPage(*f) ? m_general.TakeRefresh(text, message)
                                             : m_appearance.TakeEdit(f->editId, text, message);
        if (!taken) return SetResult::Refused;
        break;
    }
    case Kind::Blank: {
        // A number below 0 is refused with the range, which the edit field never needs
        // to say (it holds digits only).
        const int most = BlankMax(m_appearance, *f);
        if (CRangeCheck::ParseInteger(text, value, message) && value < 0) {
            message = "Please enter an integer between 0 and " + std::to_string(most) + " (" + kBroughtDown + ").";
            return SetResult::Refused;
        }
        // Header and footer share the screen's height: one may make room for the other.
        const Field* other = f->editId == CAppearancePage::kHeaderEdit   ? Find("Footer Blank")
                             : f->editId == CAppearancePage::kFooterEdit ? Find("Header Blank")
                                                                         : nullptr;
        const int otherBefore = other ? Get(*this, *other) : 0;
        if (!m_appearance.TakeEdit(f->editId, text, message)) return SetResult::Refused;
        const int typed = Get(*this, *f);
        if (f->editId == CAppearancePage::kHeaderEdit) m_appearance.OnHeaderChanged(typed);
        else if (f->editId == CAppearancePage::kFooterEdit) m_appearance.OnFooterChanged(typed);
        else m_appearance.OnRightMarginChanged(typed);
        // The sheet's live limits may have moved the value and the other blank: said.
        message.clear();
        if (Get(*this, *f) != typed)
            message = "\"" + std::string(f->name) + "\" " + std::to_string(typed) +
                      " does not fit the screen: it was brought down to " + std::to_string(Get(*this, *f)) + ".";
        if (other && Get(*this, *other) != otherBefore)
            message += (message.empty() ? "" : " ") + std::string("\"") + other->name + "\" went from " +
                       std::to_string(otherBefore) + " to " + std::to_string(Get(*this, *other)) + " to make room.";
        break;
    }
    }
    if (OnGeneralPage(*f)) m_general.SetModified();
    else m_appearance.SetModified();
    return SetResult::Taken;
}
