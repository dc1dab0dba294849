#pragma once
// One calendar source beside Outlook, as kept under the program's key
// (Sources\0, Sources\1, ...): an iCalendar file, a folder of iCalendar files
// (one item per file, a collection per subfolder), a feed URL, or (Linux) a
// Maildir for the mail-folder counts.
#include <string>

struct CCalendarSource {
    enum class Kind { File, Folder, Feed, Maildir };
    Kind kind = Kind::File;
    std::string location;  // a path, or the URL of a feed (webcal:// is read as https://)
    std::string name;      // the display name; empty: derived from the location
    bool shown = true;     // "Show": read and drawn, or kept but left out
};
