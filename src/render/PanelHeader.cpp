#include "PanelHeader.h"

#include <algorithm>

#include "../settings/Settings.h"
#include "HeaderRegion.h"
#include "MaskedBitmap.h"
#include "MemWallPaper.h"
#include "RegionList.h"
#include "SurfaceOps.h"

namespace {
constexpr int kDateRight = 692; // the date ends here in the central header
constexpr int kDateTop = 10;
constexpr int kOutlookButtonWidth = 120;
constexpr int kContactsButtonLeft = 125, kContactsButtonWidth = 25;
} // namespace

void CPanelHeader::Draw(CMemWallPaper& data, CRegionList& regions, const std::string& dateText) {
    const CSettings& s = data.Settings();
    const PanelLayout& L = data.Layout();
    const StyleGeometry& g = L.geometry;
    const bool singleClick = L.singleClick;
    const int ox = data.OriginX(), oy = data.OriginY();
    const CMaskedBitmap header = CMaskedBitmap::LoadBitmap(L.headerBitmap);
    // Regions on the header: Outlook, then contacts; both at the list's tail.
    auto buttons = [&] {
        regions.AddHeaderRegion(Rect::FromSize(g.header.x, g.header.y, kOutlookButtonWidth, kHeight).Offsetted(ox, oy),
                                singleClick, CHeaderRegion::Outlook);
        if (s.m_showContacts) {
            const int left = g.header.x + kContactsButtonLeft;
            regions.AddHeaderRegion(Rect::FromSize(left, g.header.y, kContactsButtonWidth, kHeight).Offsetted(ox, oy),
                                    singleClick, CHeaderRegion::Contacts);
        }
    };
    const bool contactsButton = s.m_showContacts && L.interactive;

    if (L.central) {
        header.Draw(data, g.header.x, g.header.y);
        if (contactsButton)
            CMaskedBitmap::LoadBitmap(CStyleSet::kContactsButton + L.style).Draw(data, g.header.x + 126, g.header.y);
        buttons();
        // The band above each block opens a new item of its kind, shown or not, where it
        // lies on the panel: Green keeps a folder rectangle of another layout, which may
        // lie anywhere, even on the bare desktop beside the panel.
        const Rect* blocks[3] = {&g.appointments, &g.tasks, &g.folders};
        for (int kind = 0; kind < 3; ++kind) {
            const Rect& b = *blocks[kind];
            const Rect band =
                Rect{b.left, b.top - kHeight, b.right, b.top}.Intersect({0, 0, data.Width(), data.Height()});
            if (!band.IsEmpty()) regions.AddHeaderRegion(band.Offsetted(ox, oy), singleClick, kind);
        }
        ICanvas& canvas = data.Canvas();
        canvas.SetFont(L.fonts.date);
        canvas.SetTextColor(MakeColorref(255, 255, 255));
        canvas.SetBackground(false, 0);
        const TextSize size = canvas.MeasureText(dateText);
        canvas.DrawText(g.header.x + kDateRight - size.width, g.header.y + kDateTop, dateText);
        return;
    }
    // Side bar: the header picture cut to the column's width, then the column's body.
    const int width = L.sideBarWidth;
    if (!header.IsEmpty()) {
        SurfaceOps::Copy(data.Pixels(), g.header.x, g.header.y, header.Pixels(), 0, 0, std::min(width, header.Width()),
                         std::min(kHeight, header.Height()));
        data.EndPixelWork();
    }
    // The side-bar header has the same contacts button as the central one, so that
    // the spot that opens the contacts shows what it does.
    if (contactsButton && width >= kContactsButtonLeft + kContactsButtonWidth + 1)
        CMaskedBitmap::LoadBitmap(CStyleSet::kContactsButton + L.style).Draw(data, g.header.x + 126, g.header.y);
    buttons();
    const int areaHeight = L.workArea.IsEmpty() ? L.screenHeight : L.workArea.Height();
    const int bodyHeight = areaHeight - s.m_footerBlank - s.m_headerBlank - kHeight;
    data.FillRect(g.header.x, g.header.y + kHeight, width, bodyHeight, L.colors[ColorSlot::TaskBackground]);
}
