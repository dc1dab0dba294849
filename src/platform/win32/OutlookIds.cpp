#include "OutlookIds.h"

#include <cstring>
#include <map>

namespace {

// Outlook's ids share one pattern: {000630xx-0000-0000-C000-000000000046}; Office's too.
constexpr BYTE kTail[8] = {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

const std::map<std::string, unsigned long>& Interfaces() {
    static const std::map<std::string, unsigned long> ids = {
        {"_Application", 0x00063001}, {"_NameSpace", 0x00063002},       {"_Inspector", 0x00063005},
        {"MAPIFolder", 0x00063006},   {"Attachment", 0x00063007},       {"_AppointmentItem", 0x00063033},
        {"_MailItem", 0x00063034},    {"_TaskItem", 0x00063035},        {"Attachments", 0x0006303C},
        {"_Folders", 0x00063040},     {"_Items", 0x00063041},           {"_Explorer", 0x00063003},
        // Office's command bars share the pattern: {000C03xx-0000-0000-C000-000000000046}.
        {"_CommandBars", 0x000C0302}, {"CommandBar", 0x000C0304},       {"CommandBarControls", 0x000C0306},
        {"CommandBarControl", 0x000C0308}};
    return ids;
}

GUID OutlookGuid(unsigned long data1) {
    GUID g{data1, 0x0000, 0x0000, {}};
    std::memcpy(g.Data4, kTail, sizeof kTail);
    return g;
}

} // namespace

const CLSID kOutlookApplicationClsid = OutlookGuid(0x0006F03A);

bool OutlookInterfaceId(const std::string& name, IID& out) {
    auto it = Interfaces().find(name);
    if (it != Interfaces().end()) {
        out = OutlookGuid(it->second);
        return true;
    }
    if (name == "IDispatch") {
        out = IID_IDispatch;
        return true;
    }
    return false;
}

bool OutlookInterfaceName(REFIID iid, std::string& out) {
    if (iid.Data2 != 0 || iid.Data3 != 0 || std::memcmp(iid.Data4, kTail, sizeof kTail) != 0) return false;
    for (const auto& [name, data1] : Interfaces())
        if (data1 == iid.Data1) {
            out = name;
            return true;
        }
    return false;
}

namespace {
struct EventsInterface {
    const char* name;
    GUID iid;
    const char* events[3]; // dispatch ids 0xF001, 0xF002, 0xF003
};
const EventsInterface kEventsInterfaces[] = {
    {"ItemsEvents", {0x00063077, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}},
     {"ItemAdd", "ItemChange", "ItemRemove"}},
    {"FoldersEvents", {0x00063076, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}},
     {"FolderAdd", "FolderChange", "FolderRemove"}},
};
constexpr DISPID kFirstEventId = 0xF001;
} // namespace

bool OutlookEventsId(const std::string& name, IID& out) {
    for (const auto& e : kEventsInterfaces)
        if (name == e.name) {
            out = e.iid;
            return true;
        }
    return false;
}

bool OutlookEventsName(REFIID iid, std::string& out) {
    for (const auto& e : kEventsInterfaces)
        if (IsEqualIID(iid, e.iid)) {
            out = e.name;
            return true;
        }
    return false;
}

std::string OutlookEventName(const std::string& events, DISPID id) {
    for (const auto& e : kEventsInterfaces)
        if (events == e.name && id >= kFirstEventId && id < kFirstEventId + 3) return e.events[id - kFirstEventId];
    return std::string();
}

DISPID OutlookEventId(const std::string& event) {
    for (const auto& e : kEventsInterfaces)
        for (int i = 0; i < 3; ++i)
            if (event == e.events[i]) return kFirstEventId + i;
    return 0;
}
