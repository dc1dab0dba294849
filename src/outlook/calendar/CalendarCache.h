#pragma once
// What the calendar files gave, kept by file: a file whose path, time stamp and size
// are those of the kept entry, read for the same days in the same zone, is not parsed
// again. Held in memory by the running program and, when given a file, kept on disk
// between runs ("orvanta agenda").
#include <map>
#include <string>

#include "ICalendarText.h"

class CCalendarCache {
public:
    struct Key {
        long long stamp = 0; // the file's modification time (or a digest of a feed's body)
        long long size = 0;
        double from = 0;
        int days = 0;
        std::string zone;
        bool operator==(const Key&) const = default;
    };
    // Null when the entry is missing or was made for another key.
    const CICalendarItems* Find(const std::string& path, const Key& key) const;
    void Put(const std::string& path, const Key& key, CICalendarItems items);
    // Drops the entries of paths not used since the last call (files gone from a folder).
    void KeepOnly(const std::map<std::string, bool>& used);
    size_t Size() const { return m_entries.size(); }

    // The disk copy: false when the file is missing or unreadable (the cache stays as
    // it was). Save writes beside the file and renames it over.
    bool Load(const std::string& file);
    bool Save(const std::string& file) const;
    bool Changed() const { return m_changed; }

private:
    struct Entry {
        Key key;
        CICalendarItems items;
    };
    std::map<std::string, Entry> m_entries;
    mutable bool m_changed = false;
};
