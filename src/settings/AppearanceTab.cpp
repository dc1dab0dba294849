#include "AppearanceTab.h"

#include <string>

#include "../platform/DialogPort.h"
#include "../util/Strings.h"
#include "AppearancePage.h"
#include "RangeCheck.h"
#include "SettingsSheetHost.h"

namespace {

using A = CAppearancePage;

constexpr int kViews[] = {A::kSideBarView, A::kCentralView};
constexpr int kPlacements[] = {A::kCenter, A::kPosition};
constexpr int kFirstDays[] = {A::kFdowOutlook, A::kFdowSunday, A::kFdowMonday};
constexpr int kTimeStyles[] = {A::kTimeOutlook, A::kTime24, A::kTime12};
constexpr int kStyles[] = {A::kStyleBlue, A::kStyleGreen, A::kStyleBrown};

struct Edit {
    int edit;
    int spin;
    int A::*member;
};
// In the order the values are taken (and a refusal is reported) when the page is left.
constexpr Edit kEdits[] = {
    {A::kCalendarPosXEdit, A::kCalendarPosXSpin, &A::m_calendarPosX},
    {A::kCalendarPosYEdit, A::kCalendarPosYSpin, &A::m_calendarPosY},
    {A::kSideBarCalPosXEdit, A::kSideBarCalPosXSpin, &A::m_sideBarCalPosX},
    {A::kSideBarCalPosYEdit, A::kSideBarCalPosYSpin, &A::m_sideBarCalPosY},
    {A::kSideBarWidthEdit, A::kSideBarWidthSpin, &A::m_sideBarWidth},
    {A::kHeaderEdit, A::kHeaderSpin, &A::m_headerBlank},
    {A::kFooterEdit, A::kFooterSpin, &A::m_footerBlank},
    {A::kRightMarginEdit, A::kRightMarginSpin, &A::m_rightMarginBlank},
    {A::kTransparencyEdit, A::kTransparencySpin, &A::m_transparency},
};

// The controls the view, placement and calendar rules enable or grey.
constexpr int kRuled[] = {
    A::kShowCalendar,        A::kShowAppointments,    A::kShowTasks,          A::kShowMessages,
    A::kSideBarWidthLabel,   A::kSideBarWidthEdit,    A::kSideBarWidthSpin,   A::kSideBarWidthUnit,
    A::kHeaderLabel,         A::kHeaderEdit,          A::kHeaderSpin,         A::kHeaderUnit,
    A::kFooterLabel,         A::kFooterEdit,          A::kFooterSpin,         A::kFooterUnit,
    A::kRightMarginLabel,    A::kRightMarginEdit,     A::kRightMarginSpin,    A::kRightMarginUnit,
    A::kRatioText,           A::kRatioSlider,         A::kSideBarCalPosXLabel, A::kSideBarCalPosXEdit,
    A::kSideBarCalPosXSpin,  A::kSideBarCalPosYLabel, A::kSideBarCalPosYEdit, A::kSideBarCalPosYSpin,
    A::kCenter,              A::kPosition,            A::kCalendarPosXLabel,  A::kCalendarPosXEdit,
    A::kCalendarPosXSpin,    A::kCalendarPosYLabel,   A::kCalendarPosYEdit,   A::kCalendarPosYSpin,
};

template <size_t N>
void ShowChoice(IPageControls& c, const int (&buttons)[N], int value) {
    for (size_t i = 0; i < N; ++i) c.SetChecked(buttons[i], static_cast<int>(i) == value);
}

template <size_t N, typename T>
void TakeChoice(IPageControls& c, const int (&buttons)[N], T& value) {
    for (size_t i = 0; i < N; ++i)
        if (c.Checked(buttons[i])) {
            value = static_cast<T>(i);
            return;
        }
}

// The number an edit holds while the user types; false for anything else (an empty
// field, a sign), which the live limits leave alone.
bool TypedNumber(IPageControls& c, int id, int& value) {
    std::string ignored;
    return CRangeCheck::ParseInteger(c.Text(id), value, ignored) && value >= 0;
}

} // namespace

void CAppearanceTab::OnInitPage(IPageControls& c) {
    c.SetSliderRange(A::kRatioSlider, 0, A::kSliderMax, A::kSliderPage, A::kSliderTicks);
    SetSpinRanges(c);
    Fill(c);
}

void CAppearanceTab::SetSpinRanges(IPageControls& c) {
    for (const Edit& e : kEdits) {
        const A::Range r = m_page.SpinRange(e.spin);
        c.SetSpinRange(e.spin, r.min, r.max);
    }
}

void CAppearanceTab::Fill(IPageControls& c) {
    m_filling = true;
    ShowChoice(c, kViews, m_page.m_centralView ? 1 : 0);
    ShowChoice(c, kPlacements, m_page.m_offsetPosition ? 1 : 0);
    for (const Edit& e : kEdits) c.SetText(e.edit, std::to_string(m_page.*e.member));
    c.SetChecked(A::kShowCalendar, m_page.m_showCalendar);
    c.SetChecked(A::kShowAppointments, m_page.m_showAppointments);
    c.SetChecked(A::kShowTasks, m_page.m_showTasks);
    c.SetChecked(A::kShowMessages, m_page.m_showMessages);
    c.SetSliderPosition(A::kRatioSlider, m_page.m_appointmentsTask);
    c.SetText(A::kRatioText, m_page.RatioText());
    ShowChoice(c, kFirstDays, m_page.m_fdow);
    c.SetChecked(A::kShowWeekNumbers, m_page.m_showWeekNumbers);
    ShowChoice(c, kTimeStyles, m_page.m_timeStyle);
    ShowChoice(c, kStyles, m_page.m_style);
    ApplyEnableRules(c);
    m_filling = false;
}

void CAppearanceTab::TakeChoices(IPageControls& c) {
    TakeChoice(c, kViews, m_page.m_centralView);
    TakeChoice(c, kPlacements, m_page.m_offsetPosition);
    m_page.m_showCalendar = c.Checked(A::kShowCalendar);
    m_page.m_showAppointments = c.Checked(A::kShowAppointments);
    m_page.m_showTasks = c.Checked(A::kShowTasks);
    m_page.m_showMessages = c.Checked(A::kShowMessages);
    TakeChoice(c, kFirstDays, m_page.m_fdow);
    m_page.m_showWeekNumbers = c.Checked(A::kShowWeekNumbers);
    TakeChoice(c, kTimeStyles, m_page.m_timeStyle);
    TakeChoice(c, kStyles, m_page.m_style);
}

void CAppearanceTab::ApplyEnableRules(IPageControls& c) {
    for (int id : kRuled) c.Enable(id, m_page.IsEnabled(id));
}

void CAppearanceTab::ShowNumber(IPageControls& c, int editId, int value) {
    int shown = 0;
    if (TypedNumber(c, editId, shown) && shown == value) return;
    m_filling = true;
    c.SetText(editId, std::to_string(value));
    m_filling = false;
}

void CAppearanceTab::OnEditChanged(IPageControls& c, int id) {
    int typed = 0;
    const bool number = TypedNumber(c, id, typed);
    switch (id) {
    case A::kHeaderEdit:
    case A::kFooterEdit:
        if (!number) break;
        if (id == A::kHeaderEdit) m_page.OnHeaderChanged(typed);
        else m_page.OnFooterChanged(typed);
        ShowNumber(c, A::kHeaderEdit, m_page.m_headerBlank);
        ShowNumber(c, A::kFooterEdit, m_page.m_footerBlank);
        for (int spin : {A::kHeaderSpin, A::kFooterSpin}) {
            const A::Range r = m_page.SpinRange(spin);
            c.SetSpinRange(spin, r.min, r.max);
        }
        break;
    case A::kSideBarWidthEdit:
    case A::kRightMarginEdit: {
        if (!number) break;
        if (id == A::kSideBarWidthEdit) m_page.OnSideBarWidthChanged(typed);
        else m_page.OnRightMarginChanged(typed);
        const A::Range r = m_page.SpinRange(A::kRightMarginSpin);
        c.SetSpinRange(A::kRightMarginSpin, r.min, r.max);
        // The margin typed, or the one a wider column brought down, as now held.
        int margin = 0;
        if (id == A::kRightMarginEdit || (TypedNumber(c, A::kRightMarginEdit, margin) && margin > r.max))
            ShowNumber(c, A::kRightMarginEdit, m_page.m_rightMarginBlank);
        break;
    }
    default: break;
    }
    MarkModified(c);
}

void CAppearanceTab::ResetToFactory(IPageControls& c) {
    m_page.FactorySettings();
    SetSpinRanges(c);
}

void CAppearanceTab::OnHScroll(IPageControls& c, int id, int scrollCode, int position) {
    if (id != A::kRatioSlider || m_filling) return;
    m_page.OnSliderScroll(scrollCode, position, c.SliderPosition(A::kRatioSlider));
    c.SetText(A::kRatioText, m_page.RatioText());
    c.SetModified(true);
}

bool CAppearanceTab::OnKillActive(IPageControls& c) {
    TakeChoices(c);
    m_page.m_appointmentsTask = c.SliderPosition(A::kRatioSlider);
    for (const Edit& e : kEdits) {
        std::string message;
        if (m_page.TakeEdit(e.edit, c.Text(e.edit), message)) continue;
        c.ShowMessage(message, LoadResString(IDS_APP_TITLE), MsgBox::Ok | MsgBox::IconWarning);
        m_filling = true;
        c.SetText(e.edit, std::to_string(m_page.*e.member));
        m_filling = false;
        c.FocusEdit(e.edit);
        return false;
    }
    return true;
}
