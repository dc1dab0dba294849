#include "PanelHeader.h"

#include <algorithm>

#include "../settings/Settings.h"
#include "MaskedBitmap.h"
#include "MemDC.h"
#include "SurfaceOps.h"

namespace {
constexpr int kHeaderHeight = 32;
constexpr int kDateRight = 692; // the date ends here in the central header
constexpr int kDateTop = 10;
} // namespace

void CPanelHeader::Draw(CMemDC& data, const CSettings& s, const std::string& dateText) {
    const StyleGeometry& g = s.m_layout;
    const CMaskedBitmap header = CMaskedBitmap::LoadBitmap(s.m_headerBitmap);
    if (s.m_sideBarStyle) {
        header.Draw(data, g.header.x, g.header.y);
        if (s.m_showContacts && s.m_useInteractiveDesktop)
            CMaskedBitmap::LoadBitmap(CStyleSet::kContactsButton + s.m_style).Draw(data, g.header.x + 126, g.header.y);
        ICanvas& canvas = data.Canvas();
        canvas.SetFont(s.m_fonts.date);
        canvas.SetTextColor(MakeColorref(255, 255, 255));
        canvas.SetBackground(false, 0);
        const TextSize size = canvas.MeasureText(dateText);
        canvas.DrawText(g.header.x + kDateRight - size.width, g.header.y + kDateTop, dateText);
        return;
    }
    // Side bar: the header picture cut to the column's width, then the column's body.
    const int width = std::min(s.m_sideBarWidth, CSettings::kMaxSideBarWidth);
    if (!header.IsEmpty()) {
        SurfaceOps::Copy(data.Pixels(), g.header.x, g.header.y, header.Pixels(), 0, 0, std::min(width, header.Width()),
                         std::min(kHeaderHeight, header.Height()));
        data.EndPixelWork();
    }
    const int bodyHeight = s.m_screenHeight - s.m_footerBlank - s.m_headerBlank - kHeaderHeight;
    data.FillRect(g.header.x, s.m_headerBlank + kHeaderHeight, width, bodyHeight, s.m_colors[2]);
}
