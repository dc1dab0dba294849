#include "CalendarsPage.h"

#include "Settings.h"
#include "SourceEntry.h"
#include "SourcesKey.h"
#include "../util/Utf8.h"

namespace {

// A sentence's first letter made a capital, unless it begins with what was typed (an
// address keeps its spelling).
std::string Capitalised(std::string text) {
    if (text.substr(0, text.find(' ')).find(':') != std::string::npos) return text;
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

// The host of an address, without the user information that may stand before it.
std::string HostOf(const std::string& url) {
    const auto scheme = url.find("://");
    if (scheme == std::string::npos) return std::string();
    const auto start = scheme + 3;
    const auto end = url.find_first_of("/?#", start);
    std::string authority = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const auto at = authority.rfind('@');
    if (at != std::string::npos) authority.erase(0, at + 1);
    return authority;
}

// A list row holds no tab of its own: it would move the columns.
std::string Cell(std::string text) {
    for (char& ch : text)
        if (ch == '\t' || ch == '\r' || ch == '\n') ch = ' ';
    return text;
}

} // namespace

const std::vector<int>& CCalendarsPage::ColumnStops() {
    static const std::vector<int> stops{0, 104, 146, 174};
    return stops;
}

void CCalendarsPage::Init(const CSettings& settings, bool outlookInstalled) {
    m_sources = settings.m_sources;
    m_outlook = outlookInstalled;
    m_edited = false;
    m_modified = false;
}

std::string CCalendarsPage::DisplayName(const CCalendarSource& source) {
    if (!source.name.empty()) return source.name;
    if (source.kind == CCalendarSource::Kind::Feed) {
        const std::string host = HostOf(source.location);
        return host.empty() ? CSourcesKey::ShownLocation(source) : host;
    }
    std::string path = source.location;
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    const auto slash = path.find_last_of("/\\");
    std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    if (source.kind == CCalendarSource::Kind::File && last.size() > 4) {
        std::string ext = last.substr(last.size() - 4);
        for (char& ch : ext) ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
        if (ext == ".ics") last.resize(last.size() - 4);
    }
    return last.empty() ? path : last;
}

std::vector<std::string> CCalendarsPage::Rows() const {
    std::vector<std::string> rows;
    if (m_outlook) rows.emplace_back("Outlook\tOutlook\tYes\tCalendar, tasks and mail folders");
    for (const CCalendarSource& s : m_sources)
        rows.push_back(Cell(DisplayName(s)) + "\t" + CSourcesKey::KindName(s.kind) + "\t" + (s.shown ? "Yes" : "No") +
                       "\t" + Cell(CSourcesKey::ShownLocation(s)));
    return rows;
}

int CCalendarsPage::SourceIndex(int row) const {
    const int index = row - (m_outlook ? 1 : 0);
    return row >= 0 && index >= 0 && index < static_cast<int>(m_sources.size()) ? index : -1;
}

bool CCalendarsPage::Shown(int row) const {
    if (IsOutlookRow(row)) return true;
    const int i = SourceIndex(row);
    return i >= 0 && m_sources[static_cast<size_t>(i)].shown;
}

bool CCalendarsPage::IsEnabled(int id, int selectedRow) const {
    if (id == kShow || id == kRemove) return SourceIndex(selectedRow) >= 0;
    return true;
}

bool CCalendarsPage::Add(const std::string& pathOrUrl, int& row, std::string& message) {
    const CSourceEntry::Result result = CSourceEntry::Add(m_sources, pathOrUrl);
    switch (result.outcome) {
    case CSourceEntry::Outcome::Added:
        row = RowCount() - 1;
        m_edited = true;
        return true;
    case CSourceEntry::Outcome::Unusable: message = Capitalised(result.why) + "."; break;
    case CSourceEntry::Outcome::Duplicate:
        message = "That calendar is in the list already, as " +
                  QuotedForDisplay(DisplayName(m_sources[static_cast<size_t>(result.duplicateOf)])) + ".";
        break;
    case CSourceEntry::Outcome::Full:
        message = "The list holds " + std::to_string(CSourcesKey::kMaxSources) +
                  " calendars already, as many as are kept. Remove one first.";
        break;
    }
    return false;
}

bool CCalendarsPage::Remove(int row) {
    const int i = SourceIndex(row);
    if (i < 0) return false;
    m_sources.erase(m_sources.begin() + i);
    m_edited = true;
    return true;
}

bool CCalendarsPage::SetShown(int row, bool shown) {
    const int i = SourceIndex(row);
    if (i < 0) return false;
    CCalendarSource& s = m_sources[static_cast<size_t>(i)];
    if (s.shown == shown) return false;
    s.shown = shown;
    m_edited = true;
    return true;
}
