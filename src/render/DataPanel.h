#pragma once
// The data panel: the blocks drawn in their order onto the data surface, each
// recording the regions a click can open.
#include <span>

#include "../util/OleDateTime.h"

class CAppointments;
class CLocaleValues;
class CMailFolders;
class CMemWallPaper;
class CRegionList;
class CTasks;

struct PanelData {
    COleDateTime now;
    std::span<const CAppointments> days; // index 0 is today
    const CTasks* tasks = nullptr;
    const CMailFolders* folders = nullptr;
    const CLocaleValues* locale = nullptr;
    // Said in the tooltip of the header's Outlook button: what the data shown lack (a
    // calendar feed shown from an old copy); empty when nothing.
    std::string headerNote;
};

class CDataPanel {
public:
    // Draws with the surface's settings and records into regions (which the caller
    // cleared). The side-bar view starts with the calendar (when it is shown) and puts
    // the header over it; the central view ends with the calendar, always shown.
    static void Draw(CMemWallPaper& data, CRegionList& regions, const PanelData& panel);
};
