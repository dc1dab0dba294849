#pragma once
// "orvanta sources" on Linux: the calendar sources beside Outlook, kept under the
// program's key (Sources\0, Sources\1, ...). Lists them, adds one (its kind taken from
// the argument: an address is a feed, a folder with cur, new and tmp a Maildir, another
// folder a folder of iCalendar files, a file an iCalendar file), removes one by its
// number. A change is saved and the running copy reads it at once.
#include <ostream>
#include <string>

class CSourcesCommand {
public:
    // One line a source: number, kind, shown or hidden, location (a feed's address
    // masked), name. 0.
    static int List(std::ostream& out, std::ostream& err);
    // 0 when added; 1 when the argument names nothing usable or the source is there already.
    static int Add(const std::string& pathOrUrl, std::ostream& out, std::ostream& err);
    // 0 when removed; 1 for a number that is no source; 2 for text that is no number.
    static int Remove(const std::string& number, std::ostream& out, std::ostream& err);
};
