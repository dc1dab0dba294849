#pragma once
// What the calendar readers get for a feed: its last good copy, fetched or taken
// from the disk cache by whoever implements this (at most once per refresh period).
#include <string>

struct CFeedCopy {
    bool available = false;    // a body is here, fresh or from the cache
    std::string body;          // the iCalendar text
    bool fresh = false;        // fetched now, or confirmed unchanged by the server
    long long ageSeconds = 0;  // the age of the copy (shown in the header's tooltip)
    std::string problem;       // the failure to report, the URL's secret masked; empty when fine
    // When the copy is older than a try that failed: that it is shown, with its age (for
    // the panel header's tooltip, at every read); empty otherwise.
    std::string staleNote;
};

class IFeedCopies {
public:
    virtual ~IFeedCopies() = default;
    virtual CFeedCopy Copy(const std::string& url) = 0;
};
