#include "MemWallPaper.h"

#include <algorithm>

#include "../settings/Settings.h"
#include "StyleSet.h"
#include "../util/Utf8.h"

CMemWallPaper::CMemWallPaper(ICanvasFactory* factory, int width, int height, const CSettings& settings,
                             const PanelLayout& layout, Colorref fill)
    : CMemDC(factory, width, height, fill), m_settings(settings), m_layout(layout) {}

bool CMemWallPaper::LoadIcons(const std::string& library) {
    bool all = true;
    for (int i = 0; i < 31; ++i) {
        m_days[static_cast<size_t>(i)] = CMaskedBitmap::LoadLibraryIcon(library, i, m_layout.scale);
        all = all && !m_days[static_cast<size_t>(i)].IsEmpty();
    }
    for (int i = 0; i < 7; ++i) {
        m_weekdays[static_cast<size_t>(i)] = CMaskedBitmap::LoadLibraryIcon(library, 31 + i, m_layout.scale);
        all = all && !m_weekdays[static_cast<size_t>(i)].IsEmpty();
    }
    m_today = CMaskedBitmap::LoadIcon(CStyleSet::kTodayIcon + m_layout.style, m_layout.scale);
    return all && !m_today.IsEmpty();
}

bool CMemWallPaper::LoadTaskBitmaps() {
    static const int kIds[8] = {190, 183, 184, 191, 192, 130, 193, 194};
    bool all = true;
    for (size_t i = 0; i < 8; ++i) {
        m_taskStates[i] = CMaskedBitmap::LoadBitmap(kIds[i], m_layout.scale);
        all = all && !m_taskStates[i].IsEmpty();
    }
    return all;
}

bool CMemWallPaper::LoadHeaderBitmap(int id) {
    m_header = CMaskedBitmap::LoadBitmap(id, m_layout.scale);
    return !m_header.IsEmpty();
}

std::string CMemWallPaper::DrawLineWrapped(const std::string& text, int x, int y, int width, std::string* drawn) {
    if (drawn) drawn->clear();
    if (text.empty() || !IsValid()) return text;
    size_t fits = Canvas().FitText(text, width);
    if (fits >= text.size()) {
        Canvas().DrawText(x, y, text);
        if (drawn) *drawn = text;
        return std::string();
    }
    // Never cut inside a character cluster; a line always takes at least one, so a
    // width too narrow for any text still comes to an end.
    fits = std::max(Utf8ClusterBoundary(text, fits), Utf8FirstClusterEnd(text));
    // Break before the last blank that still lies in the part that fits; a first word
    // wider than the line is cut where the line ends.
    size_t lineEnd = text.rfind(' ', fits);
    if (lineEnd == std::string::npos || lineEnd == 0) lineEnd = fits;
    Canvas().DrawText(x, y, text.substr(0, lineEnd));
    if (drawn) *drawn = text.substr(0, lineEnd);
    const size_t rest = text.find_first_not_of(' ', lineEnd);
    return rest == std::string::npos ? std::string() : text.substr(rest);
}

std::string CMemWallPaper::DrawLineFitted(const std::string& text, int x, int y, int width) {
    if (text.empty() || !IsValid()) return text;
    const size_t fits = Canvas().FitText(text, width);
    if (fits >= text.size()) {
        Canvas().DrawText(x, y, text);
        return std::string();
    }
    const int dots = Canvas().MeasureText("...").width;
    const size_t part = Utf8ClusterBoundary(text, Canvas().FitText(text, width - dots));
    Canvas().DrawText(x, y, text.substr(0, part) + "...");
    return text.substr(part);
}
