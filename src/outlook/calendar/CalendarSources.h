#pragma once
// The calendar sources beside Outlook read into records: an .ics file, a folder of
// .ics files (one item per file, a collection per subfolder; names ending in .tmp,
// hidden names and names without the .ics extension are left out) and a feed's last
// good copy (IFeedCopies). Each file is parsed only when its time stamp or size
// changed (CCalendarCache); a file that cannot be read is named in one message for
// each version of it.
#include <set>
#include <string>
#include <vector>

#include "../../settings/CalendarSource.h"
#include "CalendarCache.h"
#include "FeedCopies.h"
#include "ICalendarText.h"

class CCalendarSources {
public:
    struct Result {
        std::vector<CAppointment> appointments;
        std::vector<CTask> tasks;
        std::vector<std::string> problems;    // every file that could not be read (whole), now
        std::vector<std::string> newProblems; // those not told at the last read
        std::vector<std::string> staleNotes;  // feeds shown from a copy older than a failed try
        bool ok = true;                       // every shown source was read whole
        int files = 0;                        // files looked at
        int parsed = 0;                       // of them, parsed (not taken from the cache)
    };
    // Folders are walked this deep below the source (the collections, and a level for
    // their own grouping).
    static constexpr int kFolderDepth = 3;
    static constexpr size_t kMaxFiles = 20000;

    // The feeds' copies; null: a feed source is reported as not readable.
    void SetFeeds(IFeedCopies* feeds) { m_feeds = feeds; }
    // Keeps the cache in this file between runs; empty: in memory only.
    void SetCacheFile(const std::string& file);
    // Reads the shown sources for the window (options.from, options.days, options.zone).
    Result Read(const std::vector<CCalendarSource>& sources, const CICalendarText::Options& window);

    // The kind a location names: a feed for http://, https:// and webcal://, a folder for
    // a directory, else a file.
    static CCalendarSource::Kind KindOf(const std::string& location);
    // Whether a folder entry is a calendar item (the extension .ics in any case, not
    // hidden, not a .tmp file).
    static bool IsItemName(const std::string& name);

private:
    void ReadFile(const std::string& path, const CICalendarText::Options& window, Result& result,
                  std::map<std::string, bool>& used);
    void ReadFeed(const std::string& url, const CICalendarText::Options& window, Result& result,
                  std::map<std::string, bool>& used);
    void Take(const std::string& name, const CICalendarItems& items, Result& result);

    IFeedCopies* m_feeds = nullptr;
    CCalendarCache m_cache;
    std::string m_cacheFile;
    bool m_cacheLoaded = false;
    std::set<std::string> m_told; // problems already told, as "path\nproblem"
};
