#include "CalendarCache.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* kHeader = "orvanta calendar cache 1";

std::string Escape(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c == '\\') out += "\\\\";
        else if (c == '\t') out += "\\t";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

std::string Unescape(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const char c = s[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> f;
    size_t start = 0;
    while (true) {
        const size_t tab = line.find('\t', start);
        f.push_back(Unescape(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start)));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return f;
}

std::string Number(double d) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", d);
    return buf;
}

std::string Date(const COleDateTime& d) { return Number(d.m_dt) + "/" + std::to_string(static_cast<int>(d.GetStatus())); }

COleDateTime DateFrom(const std::string& s) {
    COleDateTime d(std::stod(s));
    const size_t slash = s.find('/');
    if (slash != std::string::npos) d.SetStatus(static_cast<COleDateTime::DateTimeStatus>(std::stoi(s.substr(slash + 1))));
    return d;
}

std::string Names(const std::vector<std::string>& names) {
    std::string out;
    for (size_t i = 0; i < names.size(); ++i) out += (i ? "\x1f" : "") + names[i];
    return out;
}

std::vector<std::string> NamesFrom(const std::string& s) {
    std::vector<std::string> out;
    if (s.empty()) return out;
    size_t start = 0;
    while (true) {
        const size_t sep = s.find('\x1f', start);
        out.push_back(s.substr(start, sep == std::string::npos ? std::string::npos : sep - start));
        if (sep == std::string::npos) break;
        start = sep + 1;
    }
    return out;
}

std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

} // namespace

const CICalendarItems* CCalendarCache::Find(const std::string& path, const Key& key) const {
    auto it = m_entries.find(path);
    return it != m_entries.end() && it->second.key == key ? &it->second.items : nullptr;
}

void CCalendarCache::Put(const std::string& path, const Key& key, CICalendarItems items) {
    m_entries[path] = Entry{key, std::move(items)};
    m_changed = true;
}

void CCalendarCache::KeepOnly(const std::map<std::string, bool>& used) {
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (used.count(it->first)) {
            ++it;
        } else {
            it = m_entries.erase(it);
            m_changed = true;
        }
    }
}

bool CCalendarCache::Save(const std::string& file) const {
    std::ostringstream out;
    out << kHeader << "\n";
    for (const auto& [path, e] : m_entries) {
        out << "F\t" << Escape(path) << "\t" << e.key.stamp << "\t" << e.key.size << "\t" << Number(e.key.from) << "\t"
            << e.key.days << "\t" << Escape(e.key.zone) << "\t" << Escape(e.items.problem) << "\n";
        for (const CAppointment& a : e.items.appointments)
            out << "A\t" << Escape(a.m_subject) << "\t" << a.m_importance << "\t" << a.m_recurring << "\t"
                << a.m_reminderSet << "\t" << a.m_allDay << "\t" << Date(a.m_start) << "\t" << Date(a.m_end) << "\t"
                << a.m_duration << "\t" << Escape(a.m_entryId) << "\t" << a.m_sensitivity << "\t"
                << Escape(Names(a.m_attachments)) << "\n";
        for (const CTask& t : e.items.tasks)
            out << "T\t" << Escape(t.m_subject) << "\t" << t.m_complete << "\t" << t.m_recurring << "\t"
                << t.m_reminderSet << "\t" << t.m_percentComplete << "\t" << t.m_status << "\t" << t.m_importance
                << "\t" << Date(t.m_dueDate) << "\t" << Date(t.m_creationTime) << "\t" << Date(t.m_dateCompleted)
                << "\t" << Date(t.m_startDate) << "\t" << Escape(t.m_entryId) << "\t" << t.m_sensitivity << "\t"
                << Escape(Names(t.m_attachments)) << "\n";
    }
    const std::filesystem::path target = PathOf(file);
    std::filesystem::path temp = target;
    temp += ".new";
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        if (!f) return false;
        const std::string text = out.str();
        f.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (!f.flush()) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, target, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    m_changed = false;
    return true;
}

bool CCalendarCache::Load(const std::string& file) {
    std::ifstream f(PathOf(file), std::ios::binary);
    std::string line;
    if (!f || !std::getline(f, line) || line != kHeader) return false;
    std::map<std::string, Entry> entries;
    Entry* current = nullptr;
    try {
        while (std::getline(f, line)) {
            const std::vector<std::string> v = Fields(line);
            if (v[0] == "F" && v.size() == 8) {
                Entry e;
                e.key = Key{std::stoll(v[2]), std::stoll(v[3]), std::stod(v[4]), std::stoi(v[5]), v[6]};
                e.items.problem = v[7];
                current = &(entries[v[1]] = std::move(e));
            } else if (v[0] == "A" && v.size() == 12 && current) {
                CAppointment a;
                a.m_subject = v[1];
                a.m_importance = std::stoi(v[2]);
                a.m_recurring = v[3] == "1";
                a.m_reminderSet = v[4] == "1";
                a.m_allDay = v[5] == "1";
                const COleDateTime start = DateFrom(v[6]), end = DateFrom(v[7]);
                a.SetTimes(start.m_dt, end.m_dt);
                a.m_start = start;
                a.m_end = end;
                a.m_duration = std::stoi(v[8]);
                a.m_entryId = v[9];
                a.m_sensitivity = std::stoi(v[10]);
                a.m_attachments = NamesFrom(v[11]);
                current->items.appointments.push_back(std::move(a));
            } else if (v[0] == "T" && v.size() == 15 && current) {
                CTask t;
                t.m_subject = v[1];
                t.m_complete = v[2] == "1";
                t.m_recurring = v[3] == "1";
                t.m_reminderSet = v[4] == "1";
                t.m_percentComplete = std::stoi(v[5]);
                t.m_status = std::stoi(v[6]);
                t.m_importance = std::stoi(v[7]);
                t.m_dueDate = DateFrom(v[8]);
                t.m_creationTime = DateFrom(v[9]);
                t.m_dateCompleted = DateFrom(v[10]);
                t.m_startDate = DateFrom(v[11]);
                t.m_entryId = v[12];
                t.m_sensitivity = std::stoi(v[13]);
                t.m_attachments = NamesFrom(v[14]);
                current->items.tasks.push_back(std::move(t));
            } else {
                return false; // not a cache this program wrote: left alone, read again
            }
        }
    } catch (const std::exception&) {
        return false;
    }
    m_entries = std::move(entries);
    m_changed = false;
    return true;
}
