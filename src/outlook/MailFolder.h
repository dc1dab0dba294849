#pragma once
// A mail folder with the number shown beside it.
#include <string>

class CMailFolder {
public:
    int GetDisplayCount() const { return m_displayCount; }
    int GetItemCount() const { return m_itemCount; }
    const std::string& GetEntryID() const { return m_entryId; }
    const std::string& GetName() const { return m_name; }

    int m_displayCount = 0; // unread items, or all items of the outbox and the drafts
    int m_itemCount = 0;
    std::string m_entryId;
    std::string m_name;
};
