#include "FolderList.h"

#include <algorithm>
#include <string>

#include "../outlook/MailFolders.h"
#include "../settings/Settings.h"
#include "MaskedBitmap.h"
#include "MemWallPaper.h"
#include "RegionList.h"

namespace {
} // namespace

void CFolderList::Draw(CMemWallPaper& data, CRegionList& regions, const CMailFolders& folders) {
    const CSettings& s = data.Settings();
    const PanelLayout& L = data.Layout();
    const StyleGeometry& g = L.geometry;
    if (!g.showFolders) return;
    const Rect& block = g.folders;
    CMemWallPaper surface(data.Factory(), block.Width(), block.Height(), s, L, L.colors[ColorSlot::FolderBackground]);
    if (!surface.IsValid()) return;
    ICanvas& canvas = surface.Canvas();
    canvas.SetTextColor(L.folderText);
    canvas.SetBackground(true, L.textBackground);
    const bool central = L.central;
    const bool singleClick = L.singleClick;
    const int dx = block.left + data.OriginX(), dy = block.top + data.OriginY();

    const auto px = [&](int v) { return L.Px(v); };
    int x = px(10), y = px(15);
    if (!central) {
        CMaskedBitmap::LoadBitmap(CStyleSet::kFolderStrip + L.style, L.scale).Draw(surface, 0, px(2));
        regions.AddHeaderRegion(Rect{0, px(2), block.Width(), px(28)}.Offsetted(dx, dy), singleClick, 2);
        x = px(2);
        y = px(28);
    }
    canvas.SetFont(L.fonts.listText);
    const int lineHeight = canvas.MeasureText("all-day event").height;
    // In the central Blue view the calendar lies over the lower part of the block; and
    // nothing is seen or clicked below the panel, however far the block reaches.
    const int limit = std::min(central && L.style == 0 ? g.calendar.top - block.top : block.Height(),
                               data.Height() - block.top);
    // Folders that would start under the calendar (or below the block or the panel) are not drawn.
    const int drawEnd = std::min(limit, block.Height());

    // Only whole lines: the calendar over the block must not cut a line of text in half.
    for (int i = 0; i < folders.GetCount() && y + (i > 0 ? px(10) : 0) + lineHeight <= drawEnd; ++i) {
        const CMailFolder& folder = folders.GetAt(i);
        if (i > 0) {
            canvas.DrawLine(g.folderInsets[0], y + px(5), block.Width() - g.folderInsets[1], y + px(5),
                            L.colors[ColorSlot::FolderLine]);
            y += px(10);
        }
        const int count = folder.GetDisplayCount();
        canvas.SetFont(count >= 1 ? L.fonts.folderUnread : L.fonts.listText);
        const std::string countText = std::to_string(count);
        const int countWidth = canvas.MeasureText(countText).width;
        surface.DrawLineFitted(folder.GetName(), x, y, block.Width() - countWidth - px(35));
        canvas.DrawText(block.Width() - px(10) - countWidth, y, countText);
        const int top = y, bottom = y + lineHeight;
        if (top < limit)
            regions.AddFolderRegion(Rect{x, top, block.Width() - countWidth + x, std::min(limit, bottom)}.Offsetted(dx, dy),
                                    singleClick, folder.GetEntryID())
                .SetName(folder.GetName() + ", " + countText);
        y = bottom;
    }
    data.DrawSurface(block.left, block.top, surface);
}
