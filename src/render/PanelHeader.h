#pragma once
// The header at the top of the data panel: the style's header picture, the contacts
// button and today's date in the central view; the header strip and the column's body
// in the side-bar view.
#include <string>

class CMemDC;
class CSettings;

class CPanelHeader {
public:
    // dateText: today's long date, written at the right end of the central header.
    static void Draw(CMemDC& data, const CSettings& settings, const std::string& dateText);
};
