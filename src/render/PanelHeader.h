#pragma once
// The header at the top of the data panel and the buttons in it: the style's header
// picture, the contacts button and today's date in the central view, with the bands
// above the blocks as buttons; the header strip and the column's body in the side-bar
// view.
#include <string>

class CMemWallPaper;
class CRegionList;

class CPanelHeader {
public:
    static constexpr int kHeight = 32;
    // dateText: today's long date, written at the right end of the central header.
    // note: a line more for the tooltip of the Outlook button (empty: none).
    static void Draw(CMemWallPaper& data, CRegionList& regions, const std::string& dateText,
                     const std::string& note = std::string());
};
