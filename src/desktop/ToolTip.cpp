#include "ToolTip.h"

#include "../platform/Platform.h"

CToolTip::~CToolTip() {
    if (m_shown) Hide();
}

bool CToolTip::ShowTooltipText(const std::string& text, int x, int y, std::int64_t key, const void* owner) {
    if (m_shown) {
        if (m_key == key) return true;
        Hide();
    }
    IDesktopPort* desktop = PortOrNull<IDesktopPort>();
    if (!desktop) return false;
    const TooltipMetrics m = desktop->GetTooltipMetrics();
    const std::vector<std::string> lines = TooltipLines(text);
    std::vector<TextExtent> extents;
    for (const TextSize& size : desktop->MeasureTooltipLines(lines)) extents.push_back({size.width, size.height});
    TooltipBox box = TooltipTextBox(extents, m.screenWidth);
    box = WithWrappedHeight(box, desktop->WrappedTooltipHeight(text, box.width));

    const Rect screen = Rect::FromSize(m.screenLeft, m.screenTop, m.screenWidth, m.screenHeight);
    const FrameMetrics frame{m.captionHeight, m.frameHeight, m.cursorHeight};
    std::optional<int> taskbarTop;
    if (m.taskbarKnown) taskbarTop = m.taskbarTop;
    const Rect r = PlaceTooltip(box, x, y, screen, frame, taskbarTop);
    const Rect window = Rect::FromSize(r.left, r.top, r.Width(), ShownTooltipHeight(r, frame));
    const Rect region = Rect::FromSize(0, 0, box.width, box.height);
    // The window hides itself after 10 seconds, on a click or key, or when it loses
    // the focus; this object learns it here.
    if (!desktop->ShowTooltipWindow(text, window, region, [this] { Hide(); })) return false;
    m_shown = true;
    m_key = key;
    m_owner = owner;
    m_text = text;
    m_rect = r;
    return true;
}

void CToolTip::Hide() {
    IDesktopPort* desktop = PortOrNull<IDesktopPort>();
    m_shown = false;
    if (!desktop) return;
    desktop->SetExtraEvent(0);
    desktop->DestroyTooltipWindow();
}
