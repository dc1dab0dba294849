#include "EntryRegion.h"

RegionMessage CEntryRegion::Message() const {
    RegionMessage m;
    m.message = m_message;
    m.entryId = m_entryId;
    return m;
}

std::string CEntryRegion::Describe() const {
    std::string what = m_what;
    for (char& c : what) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return "open " + what + " " + m_entryId;
}
