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
constexpr int kContactsButtonAt = 126; // where its picture is drawn
} // namespace

void CPanelHeader::Draw(CMemWallPaper& data, CRegionList& regions, const std::string& dateText,
                        const std::string& note) {
    const CSettings& s = data.Settings();
    const PanelLayout& L = data.Layout();
    const StyleGeometry& g = L.geometry;
    const bool singleClick = L.singleClick;
    const int ox = data.OriginX(), oy = data.OriginY();
    const int height = L.Px(kHeight);
    const CMaskedBitmap header = CMaskedBitmap::LoadBitmap(L.headerBitmap, L.scale);
    const CMaskedBitmap contacts = CMaskedBitmap::LoadBitmap(CStyleSet::kContactsButton + L.style, L.scale);
    // Regions on the header: Outlook, then contacts; both at the list's tail.
    auto buttons = [&] {
        regions.AddHeaderRegion(
            Rect::FromSize(g.header.x, g.header.y, L.Px(kOutlookButtonWidth), height).Offsetted(ox, oy), singleClick,
            CHeaderRegion::Outlook, note);
        if (s.m_showContacts) {
            const int left = g.header.x + L.Px(kContactsButtonLeft);
            regions.AddHeaderRegion(
                Rect::FromSize(left, g.header.y, L.Px(kContactsButtonWidth), height).Offsetted(ox, oy), singleClick,
                CHeaderRegion::Contacts);
        }
    };
    const bool contactsButton = s.m_showContacts && L.interactive;

    if (L.central) {
        header.Draw(data, g.header.x, g.header.y);
        if (contactsButton) contacts.Draw(data, g.header.x + L.Px(kContactsButtonAt), g.header.y);
        buttons();
        // The band above each block opens a new item of its kind, shown or not, where it
        // lies on the panel: Green keeps a folder rectangle of another layout, which may
        // lie anywhere, even on the bare desktop beside the panel.
        const Rect* blocks[3] = {&g.appointments, &g.tasks, &g.folders};
        for (int kind = 0; kind < 3; ++kind) {
            const Rect& b = *blocks[kind];
            const Rect band =
                Rect{b.left, b.top - height, b.right, b.top}.Intersect({0, 0, data.Width(), data.Height()});
            if (!band.IsEmpty()) regions.AddHeaderRegion(band.Offsetted(ox, oy), singleClick, kind);
        }
        ICanvas& canvas = data.Canvas();
        canvas.SetFont(L.fonts.date);
        canvas.SetTextColor(MakeColorref(255, 255, 255));
        canvas.SetBackground(false, 0);
        const TextSize size = canvas.MeasureText(dateText);
        canvas.DrawText(g.header.x + L.Px(kDateRight) - size.width, g.header.y + L.Px(kDateTop), dateText);
        return;
    }
    // Side bar: the header picture cut to the column's width, then the column's body.
    const int width = L.sideBarWidth;
    if (!header.IsEmpty()) {
        SurfaceOps::Copy(data.Pixels(), g.header.x, g.header.y, header.Pixels(), 0, 0, std::min(width, header.Width()),
                         std::min(height, header.Height()));
        data.EndPixelWork();
    }
    // The side-bar header has the same contacts button as the central one, so that
    // the spot that opens the contacts shows what it does.
    if (contactsButton && width >= L.Px(kContactsButtonLeft + kContactsButtonWidth + 1))
        contacts.Draw(data, g.header.x + L.Px(kContactsButtonAt), g.header.y);
    buttons();
    const int areaHeight = L.workArea.IsEmpty() ? L.screenHeight : L.workArea.Height();
    const int bodyHeight = areaHeight - s.m_footerBlank - s.m_headerBlank - height;
    data.FillRect(g.header.x, g.header.y + height, width, bodyHeight, L.colors[ColorSlot::TaskBackground]);
}
