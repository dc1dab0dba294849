#pragma once
// What the "Appearance && Positioning" page of the settings sheet holds and decides:
// one member per control, the range checks of its edit fields, which controls the
// view, placement and calendar choices enable, the limits of the spin controls
// against the virtual screen (kept while the user types), the ratio text, and the
// factory settings. The dialog (dialog resource 241) only moves values between its
// controls and this object.
#include <string>

class CSettings;

class CAppearancePage {
public:
    static constexpr int kDialogId = 241;
    // Control ids of the dialog.
    static constexpr int kSideBarView = 1034;
    static constexpr int kCentralView = 1033;
    static constexpr int kCenter = 1067;
    static constexpr int kPosition = 1068;
    static constexpr int kCalendarPosXLabel = 1070;
    static constexpr int kCalendarPosXEdit = 1060;
    static constexpr int kCalendarPosXSpin = 1063;
    static constexpr int kCalendarPosYLabel = 1071;
    static constexpr int kCalendarPosYEdit = 1059;
    static constexpr int kCalendarPosYSpin = 1064;
    static constexpr int kSideBarCalPosXLabel = 1072;
    static constexpr int kSideBarCalPosXEdit = 1062;
    static constexpr int kSideBarCalPosXSpin = 1065;
    static constexpr int kSideBarCalPosYLabel = 1073;
    static constexpr int kSideBarCalPosYEdit = 1061;
    static constexpr int kSideBarCalPosYSpin = 1066;
    static constexpr int kShowCalendar = 1036;
    static constexpr int kShowAppointments = 1037;
    static constexpr int kShowTasks = 1038;
    static constexpr int kShowMessages = 1039;
    static constexpr int kSideBarWidthLabel = 1074;
    static constexpr int kSideBarWidthEdit = 1032;
    static constexpr int kSideBarWidthSpin = 1035;
    static constexpr int kSideBarWidthUnit = 1040;
    static constexpr int kHeaderLabel = 1075;
    static constexpr int kHeaderEdit = 1041;
    static constexpr int kHeaderSpin = 1042;
    static constexpr int kHeaderUnit = 1043;
    static constexpr int kFooterLabel = 1076;
    static constexpr int kFooterEdit = 1044;
    static constexpr int kFooterSpin = 1045;
    static constexpr int kFooterUnit = 1046;
    static constexpr int kRightMarginLabel = 1077;
    static constexpr int kRightMarginEdit = 1047;
    static constexpr int kRightMarginSpin = 1048;
    static constexpr int kRightMarginUnit = 1049;
    static constexpr int kRatioText = 1058;
    static constexpr int kRatioSlider = 1057;
    static constexpr int kTransparencyEdit = 1030;
    static constexpr int kTransparencySpin = 1031;
    static constexpr int kFdowOutlook = 1007;
    static constexpr int kFdowSunday = 1008;
    static constexpr int kFdowMonday = 1009;
    static constexpr int kShowWeekNumbers = 1015;
    static constexpr int kTimeOutlook = 1021;
    static constexpr int kTime24 = 1022;
    static constexpr int kTime12 = 1023;
    static constexpr int kStyleBlue = 1004;
    static constexpr int kStyleGreen = 1005;
    static constexpr int kStyleBrown = 1018;
    static constexpr int kFactorySettings = 1069;
    static constexpr int kHelp = 5;
    static constexpr int kAbout = 57664;

    // Accepted ranges of the edit fields.
    static constexpr int kMaxPosition = 3000;
    static constexpr int kMinSideBarWidth = 160;
    static constexpr int kMaxSideBarWidth = 400;
    static constexpr int kMaxTransparency = 100;
    // Space the header and footer blanks always leave to the side bar.
    static constexpr int kMinSideBarHeight = 128;
    // The ratio slider.
    static constexpr int kSliderMax = 100;
    static constexpr int kSliderPage = 25;
    static constexpr int kSliderTicks = 10;
    // Horizontal scroll codes of a thumb drag (SB_THUMBPOSITION, SB_THUMBTRACK).
    static constexpr int kThumbPosition = 4;
    static constexpr int kThumbTrack = 5;

    struct Range {
        int min;
        int max;
        bool operator==(const Range&) const = default;
    };

    // Copies the record's values for a virtual screen of screenWidth x screenHeight
    // and sets the spin limits; a right margin beyond its limit is brought down to it.
    void Init(const CSettings& settings, int screenWidth, int screenHeight);

    // The text of an edit field (by its id) taken over with that field's range check:
    // false with the message when refused, and the member keeps its value.
    bool TakeEdit(int editId, const std::string& text, std::string& message);
    // The accepted range of an edit field; header, footer and right margin accept any
    // integer the edit holds (0 upward) and are kept in bounds by the live limits.
    static Range AcceptedRange(int editId);
    // The limits of a spin control (by its id) for the screen and the values now held.
    Range SpinRange(int spinId) const;

    // Live limits while the user types (the dialog shows the members again after).
    void OnHeaderChanged(int header);
    void OnFooterChanged(int footer);
    // A width typed into the side-bar width field: within the accepted range it moves
    // the right margin's limit, and a larger right margin comes down to it.
    void OnSideBarWidthChanged(int width);
    void OnRightMarginChanged(int margin);
    // The slider's horizontal scroll notification: during a thumb drag the position
    // it carries counts, else the slider's own position. Marks the page modified.
    void OnSliderScroll(int scrollCode, int thumbPosition, int sliderPosition);
    // Resource string 10013 filled with the ratio and 100 minus it.
    std::string RatioText() const;

    bool IsEnabled(int controlId) const;

    // The initial values of the settings store for this page's controls.
    void FactorySettings();

    void SetModified(bool modified = true) { m_modified = modified; }
    bool IsModified() const { return m_modified; }
    int ScreenWidth() const { return m_screenWidth; }
    int ScreenHeight() const { return m_screenHeight; }

    bool m_centralView = false; // "SideBarStyle"
    bool m_offsetPosition = false; // "OffsetType": at the position, not centred
    int m_calendarPosX = 0;
    int m_calendarPosY = 0;
    int m_sideBarCalPosX = 0;
    int m_sideBarCalPosY = 0;
    bool m_showCalendar = true;
    bool m_showAppointments = true;
    bool m_showTasks = true;
    bool m_showMessages = true;
    int m_sideBarWidth = kMinSideBarWidth;
    int m_headerBlank = 0;
    int m_footerBlank = 35;
    int m_rightMarginBlank = 0;
    int m_appointmentsTask = 75;
    int m_transparency = 30;
    int m_fdow = 0;      // 0 Outlook's, 1 Sunday, 2 Monday
    bool m_showWeekNumbers = true;
    int m_timeStyle = 0; // 0 Outlook's, 1 24 hours, 2 12 hours
    int m_style = 0;     // 0 Blue, 1 Green, 2 Brown
    // "Panel Scale": 0 the monitor's, else 100 to 300 per cent. It has no control of its
    // own on the page; `orvanta settings` and the registry set it.
    int m_panelScale = 0;

private:
    void LimitRightMargin(int width);

    int m_screenWidth = 0;
    int m_screenHeight = 0;
    int m_rightMarginMax = 0;
    bool m_modified = false;
};
