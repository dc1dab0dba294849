#include "AppearancePage.h"

#include <algorithm>
#include <climits>

#include "../util/Strings.h"
#include "RangeCheck.h"
#include "Settings.h"

void CAppearancePage::Init(const CSettings& s, int screenWidth, int screenHeight) {
    m_screenWidth = std::max(0, screenWidth);
    m_screenHeight = std::max(0, screenHeight);
    m_centralView = s.m_centralView;
    m_offsetPosition = s.m_offsetType;
    m_calendarPosX = s.m_calendarPosX;
    m_calendarPosY = s.m_calendarPosY;
    m_sideBarCalPosX = s.m_sideBarCalPosX;
    m_sideBarCalPosY = s.m_sideBarCalPosY;
    m_showCalendar = s.m_showCalendar;
    m_showAppointments = s.m_showAppointments;
    m_showTasks = s.m_showTasks;
    m_showMessages = s.m_showMessages;
    m_sideBarWidth = s.m_sideBarWidth;
    m_headerBlank = s.m_headerBlank;
    m_footerBlank = s.m_footerBlank;
    m_rightMarginBlank = s.m_rightMarginBlank;
    m_appointmentsTask = s.m_appointmentsTask;
    m_transparency = s.m_transparency;
    m_fdow = s.m_fdow;
    m_panelScale = s.m_panelScale;
    m_showWeekNumbers = s.m_showWeekNumbers;
    m_timeStyle = s.m_timeStyle;
    m_style = s.m_style;
    m_rightMarginMax = std::max(0, m_screenWidth - m_sideBarWidth);
    m_rightMarginBlank = std::min(m_rightMarginBlank, m_rightMarginMax);
    m_modified = false;
}

CAppearancePage::Range CAppearancePage::AcceptedRange(int editId) {
    switch (editId) {
    case kCalendarPosXEdit:
    case kCalendarPosYEdit:
    case kSideBarCalPosXEdit:
    case kSideBarCalPosYEdit: return {0, kMaxPosition};
    case kSideBarWidthEdit: return {kMinSideBarWidth, kMaxSideBarWidth};
    case kTransparencyEdit: return {0, kMaxTransparency};
    default: return {0, INT_MAX};
    }
}

bool CAppearancePage::TakeEdit(int editId, const std::string& text, std::string& message) {
    int* member = nullptr;
    switch (editId) {
    case kCalendarPosXEdit: member = &m_calendarPosX; break;
    case kCalendarPosYEdit: member = &m_calendarPosY; break;
    case kSideBarCalPosXEdit: member = &m_sideBarCalPosX; break;
    case kSideBarCalPosYEdit: member = &m_sideBarCalPosY; break;
    case kSideBarWidthEdit: member = &m_sideBarWidth; break;
    case kHeaderEdit: member = &m_headerBlank; break;
    case kFooterEdit: member = &m_footerBlank; break;
    case kRightMarginEdit: member = &m_rightMarginBlank; break;
    case kTransparencyEdit: member = &m_transparency; break;
    default: return false;
    }
    const Range r = AcceptedRange(editId);
    int value = 0;
    if (r.max == INT_MAX) {
        // The blanks' edits hold digits only: a sign is no number they can show.
        if (!CRangeCheck::ParseInteger(text, value, message)) return false;
        if (value < 0) {
            message = CRangeCheck::NotIntegerMessage();
            return false;
        }
    } else if (!CRangeCheck::ParseInRange(text, r.min, r.max, value, message)) {
        return false;
    }
    *member = value;
    if (editId == kSideBarWidthEdit) LimitRightMargin(value);
    return true;
}

CAppearancePage::Range CAppearancePage::SpinRange(int spinId) const {
    switch (spinId) {
    case kTransparencySpin: return {0, kMaxTransparency};
    case kSideBarWidthSpin: return {kMinSideBarWidth, kMaxSideBarWidth};
    case kRightMarginSpin: return {0, m_rightMarginMax};
    case kHeaderSpin: return {0, std::max(0, m_screenHeight - m_footerBlank)};
    case kFooterSpin: return {0, std::max(0, m_screenHeight - m_headerBlank)};
    case kCalendarPosXSpin:
    case kSideBarCalPosXSpin: return {0, m_screenWidth};
    case kCalendarPosYSpin:
    case kSideBarCalPosYSpin: return {0, m_screenHeight};
    default: return {0, 0};
    }
}

void CAppearancePage::OnHeaderChanged(int header) {
    const int room = std::max(0, m_screenHeight - kMinSideBarHeight);
    m_headerBlank = std::clamp(header, 0, room);
    if (static_cast<long long>(m_headerBlank) + m_footerBlank > room) m_footerBlank = room - m_headerBlank;
}

void CAppearancePage::OnFooterChanged(int footer) {
    const int room = std::max(0, m_screenHeight - kMinSideBarHeight);
    m_footerBlank = std::clamp(footer, 0, room);
    if (static_cast<long long>(m_headerBlank) + m_footerBlank > room) m_headerBlank = room - m_footerBlank;
}

void CAppearancePage::LimitRightMargin(int width) {
    m_rightMarginMax = std::max(0, m_screenWidth - width);
    m_rightMarginBlank = std::min(m_rightMarginBlank, m_rightMarginMax);
}

void CAppearancePage::OnSideBarWidthChanged(int width) {
    // Any width the field accepts sets the limit, so the column always fits on the
    // screen beside its margin.
    if (width >= kMinSideBarWidth && width <= kMaxSideBarWidth) LimitRightMargin(width);
}

void CAppearancePage::OnRightMarginChanged(int margin) {
    m_rightMarginBlank = std::clamp(margin, 0, m_rightMarginMax);
}

void CAppearancePage::OnSliderScroll(int scrollCode, int thumbPosition, int sliderPosition) {
    const int position = (scrollCode == kThumbTrack || scrollCode == kThumbPosition) ? thumbPosition : sliderPosition;
    m_appointmentsTask = std::clamp(position, 0, kSliderMax);
    m_modified = true;
}

std::string CAppearancePage::RatioText() const {
    return FormatText(LoadResString(IDS_RATIO).c_str(), m_appointmentsTask, kSliderMax - m_appointmentsTask);
}

bool CAppearancePage::IsEnabled(int controlId) const {
    switch (controlId) {
    case kShowCalendar:
    case kShowAppointments:
    case kShowTasks:
    case kShowMessages:
    case kSideBarWidthLabel:
    case kSideBarWidthEdit:
    case kSideBarWidthSpin:
    case kSideBarWidthUnit:
    case kHeaderLabel:
    case kHeaderEdit:
    case kHeaderSpin:
    case kHeaderUnit:
    case kFooterLabel:
    case kFooterEdit:
    case kFooterSpin:
    case kFooterUnit:
    case kRightMarginLabel:
    case kRightMarginEdit:
    case kRightMarginSpin:
    case kRightMarginUnit:
    case kRatioText:
    case kRatioSlider: return !m_centralView;
    case kSideBarCalPosXLabel:
    case kSideBarCalPosXEdit:
    case kSideBarCalPosXSpin:
    case kSideBarCalPosYLabel:
    case kSideBarCalPosYEdit:
    case kSideBarCalPosYSpin: return !m_centralView && m_showCalendar;
    case kCenter:
    case kPosition: return m_centralView;
    case kCalendarPosXLabel:
    case kCalendarPosXEdit:
    case kCalendarPosXSpin:
    case kCalendarPosYLabel:
    case kCalendarPosYEdit:
    case kCalendarPosYSpin: return m_centralView && m_offsetPosition;
    default: return true;
    }
}

void CAppearancePage::FactorySettings() {
    const int w = m_screenWidth, h = m_screenHeight;
    m_fdow = 0;
    m_style = 0;
    m_panelScale = 0;
    m_showWeekNumbers = true;
    m_transparency = 30;
    m_centralView = false;
    m_timeStyle = 0;
    // 20 % of the screen, at most 256; on a screen under 800 pixels wide that would be
    // a width the field refuses, so it is never less than the narrowest accepted.
    m_sideBarWidth = std::clamp(w * 20 / 100, kMinSideBarWidth, 256);
    m_showCalendar = m_showAppointments = m_showTasks = m_showMessages = true;
    m_headerBlank = 0;
    m_footerBlank = 35;
    m_rightMarginBlank = 0;
    m_appointmentsTask = 60;
    m_calendarPosX = 0;
    m_calendarPosY = 0;
    // Likewise positions the fields accept, on screens smaller than the calendar.
    m_sideBarCalPosX = std::clamp((w - 450) / 2, 0, kMaxPosition);
    m_sideBarCalPosY = std::clamp(h - 384, 0, kMaxPosition);
    m_offsetPosition = false;
    LimitRightMargin(m_sideBarWidth);
    m_modified = true;
}
