#include "MailFolders.h"

#include "../util/Parser.h"

std::vector<std::string> CMailFolders::SplitPath(const std::string& path) {
    std::string p = EParser::Trim(path);
    p.erase(0, p.find_first_not_of('\\') == std::string::npos ? p.size() : p.find_first_not_of('\\'));
    if (p.empty()) return {};
    return EParser::Split(p, '\\');
}

bool CMailFolders::Add(IAutoObject& folder) {
    if (folder.Get("DefaultItemType").AsInt() != 0) return false;
    auto f = std::make_unique<CMailFolder>();
    f->m_entryId = folder.Get("EntryID").AsString();
    f->m_name = folder.Get("Name").AsString();
    f->m_displayCount = folder.Get("UnReadItemCount").AsInt();
    AutoObjectPtr items = folder.Get("Items").AsObject();
    f->m_itemCount = items ? items->Get("Count").AsInt() : 0;
    AutoObjectPtr session = folder.Get("Session").AsObject();
    if (session) {
        // A store without an outbox or drafts folder simply has nothing to match.
        auto idOf = [&](int which) {
            try {
                AutoObjectPtr d = session->Call("GetDefaultFolder", {CAutoValue::Int(which)}).AsObject();
                return d ? d->Get("EntryID").AsString() : std::string();
            } catch (const CAutoError&) {
                return std::string();
            }
        };
        if (f->m_entryId == idOf(4) || f->m_entryId == idOf(16)) f->m_displayCount = f->m_itemCount;
    }
    m_folders.push_back(std::move(f));
    return true;
}
