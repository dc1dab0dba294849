#pragma once
// The calendar sources beside Outlook as the registry keeps them: one subkey per
// source below the program's key, Sources\0, Sources\1, ..., each with the values
//   "Kind"      text: File, Folder, Feed or Maildir
//   "Location"  text: the path, or the feed's address
//   "Name"      text: the display name (may be missing or empty)
//   "Show"      flag text: "TRUE" or "FALSE" (missing: shown)
// Reading tolerates what a hand edit leaves: an entry without a usable kind or location
// is left out with one message naming its key, the others are read as they are.
#include <string>
#include <vector>

#include "../platform/RegistryPort.h"
#include "CalendarSource.h"

class CSourcesKey {
public:
    static constexpr int kMaxSources = 64; // Sources\0 ... Sources\63

    static const char* KindName(CCalendarSource::Kind kind);
    // Any case; false for another text.
    static bool KindFromName(const std::string& name, CCalendarSource::Kind& kind);
    // The location as it may be shown: a feed's address masked (its secret cut out).
    static std::string ShownLocation(const CCalendarSource& source);

    // Every usable entry below root\Sources in the order of the numbers; one text in
    // problems for each entry left out. port null: the current registry.
    static std::vector<CCalendarSource> Load(IRegistryPort* port, const std::string& root,
                                             std::vector<std::string>& problems);
    // Writes the list as Sources\0 ... Sources\n-1 and removes the keys numbered after
    // it. False when a key could not be written.
    static bool Save(IRegistryPort* port, const std::string& root, const std::vector<CCalendarSource>& sources);
};
