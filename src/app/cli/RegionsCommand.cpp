#include "RegionsCommand.h"

#include "../../render/AppointmentRegion.h"
#include "../../render/DayRegion.h"
#include "../../render/FolderRegion.h"
#include "../../render/HeaderRegion.h"
#include "../../render/RegionList.h"
#include "../../render/TaskRegion.h"
#include "../../settings/Settings.h"
#include "ComposeCommand.h"
#include "../OrvantaDoc.h"

namespace {
const char* KindName(const CActiveRegion& r) {
    if (dynamic_cast<const CAppointmentRegion*>(&r)) return "appointment";
    if (dynamic_cast<const CTaskRegion*>(&r)) return "task";
    if (dynamic_cast<const CFolderRegion*>(&r)) return "folder";
    if (dynamic_cast<const CDayRegion*>(&r)) return "day";
    return "header";
}
} // namespace

void CRegionsCommand::Print(const CRegionList& regions, std::ostream& out) {
    for (size_t i = 0; i < regions.GetCount(); ++i) {
        const CActiveRegion& r = regions.GetAt(i);
        const Rect& rc = r.Bounds();
        // One line a region: a tooltip's line ends as \n.
        std::string tooltip;
        for (char c : r.TooltipText()) tooltip += c == '\n' ? std::string("\\n") : std::string(1, c);
        out << KindName(r) << ' ' << rc.left << ',' << rc.top << '-' << rc.right << ',' << rc.bottom << " \""
            << tooltip << "\" -> " << r.Describe() << "\n";
    }
}

int CRegionsCommand::Run(bool popup, std::ostream& out, std::ostream& err) {
    CSettings settings(CSettings::ProgramRegistryRoot());
    settings.Open();
    COrvantaDoc doc(settings);
    if (!CComposeCommand::ComposeOnce(doc, err)) return 1;
    if (popup) doc.Composer().ComposePopup(); // drawn as a pop-up that opens draws it
    Print(popup ? doc.Composer().PopupRegions() : doc.Composer().Regions(), out);
    return 0;
}
