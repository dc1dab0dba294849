#include "ICalendarZones.h"

#include <libical/ical.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <vector>

namespace {

struct NamePair {
    const char* name;
    const char* value;
};

// Windows zone name -> IANA zone, CLDR's "001" territory, sorted by name.
const NamePair kWindowsZones[] = {
#include "WindowsZoneTable.inc"
};

#ifdef ORVANTA_EMBEDDED_ZONES
// IANA zone -> its VTIMEZONE, from libical's zone files, sorted by name.
const NamePair kZoneInfo[] = {
#include "ZoneInfoTable.inc"
};
#endif

const char* Lookup(const NamePair* begin, const NamePair* end, std::string_view name) {
    const NamePair* it = std::lower_bound(begin, end, name, [](const NamePair& p, std::string_view n) {
        return std::string_view(p.name) < n;
    });
    return it != end && std::string_view(it->name) == name ? it->value : nullptr;
}

std::mutex g_zonesMutex;

#ifdef ORVANTA_EMBEDDED_ZONES
// The zones made from the compiled-in table, kept for the process's life.
icaltimezone* EmbeddedZone(const std::string& iana) {
    static std::map<std::string, icaltimezone*> made;
    auto it = made.find(iana);
    if (it != made.end()) return it->second;
    icaltimezone* zone = nullptr;
    if (const char* text = Lookup(std::begin(kZoneInfo), std::end(kZoneInfo), iana)) {
        icalcomponent* component = icalparser_parse_string(text);
        if (component && icalcomponent_isa(component) == ICAL_VTIMEZONE_COMPONENT) {
            zone = icaltimezone_new();
            if (!icaltimezone_set_component(zone, component)) {
                icaltimezone_free(zone, 1);
                zone = nullptr;
                icalcomponent_free(component);
            }
        } else if (component) {
            icalcomponent_free(component);
        }
    }
    made.emplace(iana, zone);
    return zone;
}
#endif

icaltimezone* ByIana(const std::string& iana) {
    if (iana.empty() || iana.size() > 64) return nullptr;
    if (iana == "UTC" || iana == "Etc/UTC" || iana == "GMT" || iana == "Z") return icaltimezone_get_utc_timezone();
#ifdef ORVANTA_EMBEDDED_ZONES
    return EmbeddedZone(iana);
#else
    // The system's zone files: a name with "." or ".." parts names no zone.
    if (iana.find("..") != std::string::npos || iana.front() == '/') return nullptr;
    return icaltimezone_get_builtin_timezone(iana.c_str());
#endif
}

void CollectTzids(icalcomponent* c, std::set<std::string>& out, int depth) {
    if (depth > 8) return;
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_ANY_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_ANY_PROPERTY)) {
        icalparameter* tzid = icalproperty_get_first_parameter(p, ICAL_TZID_PARAMETER);
        if (tzid && icalparameter_get_tzid(tzid)) out.insert(icalparameter_get_tzid(tzid));
    }
    for (icalcomponent* s = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); s;
         s = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT))
        if (icalcomponent_isa(s) != ICAL_VTIMEZONE_COMPONENT) CollectTzids(s, out, depth + 1);
}

} // namespace

std::string CICalendarZones::IanaForWindowsName(const std::string& windowsName) {
    const char* iana = Lookup(std::begin(kWindowsZones), std::end(kWindowsZones), windowsName);
    return iana ? iana : std::string();
}

size_t CICalendarZones::WindowsNameCount() { return std::size(kWindowsZones); }

icaltimezone* CICalendarZones::Find(const std::string& tzid) {
    std::lock_guard<std::mutex> lock(g_zonesMutex);
    std::string name = tzid;
    // Quotes some writers leave around the value.
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    if (icaltimezone* z = ByIana(IanaForWindowsName(name))) return z;
    if (icaltimezone* z = ByIana(name)) return z;
    // "/mozilla.org/20050126_1/Europe/Berlin", "/citadel.org/20220930_1/Europe/Berlin":
    // the IANA name is the last two (or three) parts.
    if (!name.empty() && name.front() == '/') {
        std::vector<size_t> slashes;
        for (size_t i = 0; i < name.size(); ++i)
            if (name[i] == '/') slashes.push_back(i);
        for (size_t k = slashes.size() >= 3 ? slashes.size() - 3 : 0; k + 1 < slashes.size(); ++k)
            if (icaltimezone* z = ByIana(name.substr(slashes[k] + 1))) return z;
    }
    return nullptr;
}

void CICalendarZones::AddMissing(icalcomponent* calendar) {
    std::set<std::string> used;
    CollectTzids(calendar, used, 0);
    for (const std::string& tzid : used) {
        if (icalcomponent_get_timezone(calendar, tzid.c_str())) continue;
        icaltimezone* zone = Find(tzid);
        if (!zone) continue;
        icalcomponent* source = icaltimezone_get_component(zone);
        if (!source) continue; // UTC has none: a TZID naming it reads as UTC below
        icalcomponent* copy = icalcomponent_new_clone(source);
        icalproperty* id = icalcomponent_get_first_property(copy, ICAL_TZID_PROPERTY);
        if (id) icalproperty_set_tzid(id, tzid.c_str());
        else icalcomponent_add_property(copy, icalproperty_new_tzid(tzid.c_str()));
        icalcomponent_add_component(calendar, copy);
    }
}
