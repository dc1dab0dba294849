#pragma once
// The size the panel is drawn at, in per cent: 100 at 96 DPI. Fonts, the blocks'
// geometry, line heights, the pictures and so the regions all grow by it.
//
// The scale follows the panel's monitor ("Panel Scale" 0) in steps of 25 % from 100 to
// 300 %, as the systems offer their display scales; "Panel Scale" 100 to 300 fixes it.
// The pictures are delivered drawn at 100, 150 and 200 %: the nearest is used, and
// fitted to the exact size only at the scales between.
class CPanelScale {
public:
    static constexpr int kMin = 100;
    static constexpr int kMax = 300;
    // The scales the pictures are drawn at.
    static constexpr int kDrawnScales[3] = {100, 150, 200};

    // The scale for a monitor of dpi pixels per inch (0, unknown: 100 %).
    static int ForDpi(int dpi);
    // The scale the settings ask for: "Panel Scale" when it is 100 to 300, else the
    // monitor's (a value outside the range counts as 0).
    static int Choose(int panelScaleSetting, int monitorDpi);
    // A length of the 100 % drawing at scale, rounded to whole pixels (half away from
    // zero); exactly length at 100.
    static int Length(int length, int scale);
    // Of the scales the pictures are drawn at, the one nearest to scale (the larger
    // one on a tie: a picture brought down loses less than one blown up).
    static int NearestDrawn(int scale);
    // The largest scale, scale or below it in steps of 25 % down to 100 %, at which a
    // drawing of width x height at 100 % fits in areaWidth x areaHeight; 100 when none
    // does (a panel larger than its monitor is shown at the scale the monitor asks for
    // only where it fits whole).
    static int Fitting(int scale, int width, int height, int areaWidth, int areaHeight);
    // Whether "Panel Scale" may take value: 0, or 100 to 300.
    static bool ValidSetting(int value) { return value == 0 || (value >= kMin && value <= kMax); }
};
