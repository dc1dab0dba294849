#pragma once
// What a user's entry names as a calendar source, for every place a source is added
// (the Windows settings sheet's "Calendars" page, "orvanta sources add"): an address
// is a feed (http, https or webcal only), a folder holding cur, new and tmp a Maildir,
// another folder a folder of iCalendar files, a file an iCalendar file. A source
// already in the list, or one past the most the registry keeps, is refused.
#include <string>
#include <vector>

#include "CalendarSource.h"

class CSourceEntry {
public:
    enum class Outcome {
        Added,
        Unusable,  // names nothing usable; why says what
        Duplicate, // the list holds it already, at duplicateOf
        Full,      // the list holds CSourcesKey::kMaxSources already
    };
    struct Result {
        Outcome outcome = Outcome::Unusable;
        std::string why;      // for Unusable: a sentence without its full stop, lower case first
        int duplicateOf = -1; // for Duplicate: the index in the list
    };

    // The source the text names (blanks around it dropped), its kind found from what is
    // there; a path is made absolute and a trailing separator dropped. False with why.
    static bool FromText(const std::string& pathOrUrl, CCalendarSource& source, std::string& why);
    // The index of a source of the list that is the same as this one (a feed by its
    // address as fetched, a path as the file system compares it), or -1.
    static int IndexOf(const std::vector<CCalendarSource>& list, const CCalendarSource& source);
    // FromText, then appended to the list unless it is there or the list is full.
    static Result Add(std::vector<CCalendarSource>& list, const std::string& pathOrUrl);
};
