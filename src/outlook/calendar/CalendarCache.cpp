#include "CalendarCache.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

namespace {

// The disk copy is binary, read in one piece and decoded without a copy of each line:
// the header line, then per file "F" with its path, key and problem and the counts of
// its appointments and tasks, each written field by field; then "E", the number of
// files and a checksum of everything after the header, so that a file cut short or
// damaged anywhere is refused. Numbers are 8 bytes little-endian (both builds are
// x86-64), doubles their bits, strings a length and the bytes.
constexpr std::string_view kHeader = "orvanta calendar cache 3\n";
// Fields longer than this are not believed (the largest file read is 16 MB).
constexpr std::uint64_t kMaxString = 64u << 20;

// Catches damage, not tampering: zlib's CRC-32, kept in the file's last 8 bytes.
std::uint64_t Checksum(std::string_view bytes) {
    return crc32_z(crc32_z(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()), bytes.size());
}

class CWriter {
public:
    void Int(std::int64_t v) {
        char b[8];
        std::memcpy(b, &v, 8);
        m_out.append(b, 8);
    }
    void Real(double d) {
        std::int64_t v;
        std::memcpy(&v, &d, 8);
        Int(v);
    }
    void Text(const std::string& s) {
        Int(static_cast<std::int64_t>(s.size()));
        m_out += s;
    }
    void Date(const COleDateTime& d) {
        Real(d.m_dt);
        Int(static_cast<int>(d.GetStatus()));
    }
    void Names(const std::vector<std::string>& names) {
        Int(static_cast<std::int64_t>(names.size()));
        for (const std::string& n : names) Text(n);
    }
    void Tag(char c) { m_out += c; }
    std::string& Out() { return m_out; }

private:
    std::string m_out;
};

// Reads what CWriter wrote; after the first field that runs past the end (or is not
// believable) ok() is false and every later read gives zeros.
class CReader {
public:
    explicit CReader(std::string_view in) : m_in(in) {}
    bool ok() const { return m_ok; }
    bool AtEnd() const { return m_in.empty(); }
    std::int64_t Int() {
        if (!Need(8)) return 0;
        std::int64_t v;
        std::memcpy(&v, m_in.data(), 8);
        m_in.remove_prefix(8);
        return v;
    }
    int Small() {
        const std::int64_t v = Int();
        if (v < INT32_MIN || v > INT32_MAX) m_ok = false;
        return m_ok ? static_cast<int>(v) : 0;
    }
    bool Flag() {
        const std::int64_t v = Int();
        if (v != 0 && v != 1) m_ok = false;
        return v == 1;
    }
    double Real() {
        const std::int64_t v = Int();
        double d;
        std::memcpy(&d, &v, 8);
        return d;
    }
    std::string Text() {
        const std::int64_t n = Int();
        if (n < 0 || static_cast<std::uint64_t>(n) > kMaxString || !Need(static_cast<size_t>(n))) return {};
        std::string s(m_in.substr(0, static_cast<size_t>(n)));
        m_in.remove_prefix(static_cast<size_t>(n));
        return s;
    }
    COleDateTime Date() {
        COleDateTime d(Real());
        const int status = Small();
        if (status < COleDateTime::valid || status > COleDateTime::null) m_ok = false;
        else d.SetStatus(static_cast<COleDateTime::DateTimeStatus>(status));
        return d;
    }
    // A count of things each at least min bytes long: refused when the rest cannot hold them.
    size_t Count(size_t min) {
        const std::int64_t n = Int();
        if (n < 0 || static_cast<std::uint64_t>(n) > m_in.size() / min) m_ok = false;
        return m_ok ? static_cast<size_t>(n) : 0;
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names(Count(8));
        for (std::string& n : names) n = Text();
        return names;
    }
    char Tag() {
        if (!Need(1)) return 0;
        const char c = m_in[0];
        m_in.remove_prefix(1);
        return c;
    }

private:
    bool Need(size_t n) {
        if (m_ok && m_in.size() >= n) return true;
        m_ok = false;
        m_in = {};
        return false;
    }
    std::string_view m_in;
    bool m_ok = true;
};

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
    CWriter out;
    out.Out() += kHeader;
    for (const auto& [path, e] : m_entries) {
        out.Tag('F');
        out.Text(path);
        out.Int(e.key.stamp);
        out.Int(e.key.size);
        out.Real(e.key.from);
        out.Int(e.key.days);
        out.Text(e.key.zone);
        out.Text(e.items.problem);
        out.Int(static_cast<std::int64_t>(e.items.appointments.size()));
        for (const CAppointment& a : e.items.appointments) {
            out.Text(a.m_subject);
            out.Int(a.m_importance);
            out.Int(a.m_recurring);
            out.Int(a.m_reminderSet);
            out.Int(a.m_allDay);
            out.Date(a.m_start);
            out.Date(a.m_end);
            out.Int(a.m_duration);
            out.Text(a.m_entryId);
            out.Int(a.m_sensitivity);
            out.Names(a.m_attachments);
        }
        out.Int(static_cast<std::int64_t>(e.items.tasks.size()));
        for (const CTask& t : e.items.tasks) {
            out.Text(t.m_subject);
            out.Int(t.m_complete);
            out.Int(t.m_recurring);
            out.Int(t.m_reminderSet);
            out.Int(t.m_percentComplete);
            out.Int(t.m_status);
            out.Int(t.m_importance);
            out.Date(t.m_dueDate);
            out.Date(t.m_creationTime);
            out.Date(t.m_dateCompleted);
            out.Date(t.m_startDate);
            out.Text(t.m_entryId);
            out.Int(t.m_sensitivity);
            out.Names(t.m_attachments);
        }
    }
    out.Tag('E');
    out.Int(static_cast<std::int64_t>(m_entries.size()));
    out.Int(static_cast<std::int64_t>(Checksum(std::string_view(out.Out()).substr(kHeader.size()))));
    const std::filesystem::path target = PathOf(file);
    std::filesystem::path temp = target;
    temp += ".new";
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        if (!f) return false;
        const std::string& bytes = out.Out();
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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
    std::string bytes;
    {
        std::ifstream f(PathOf(file), std::ios::binary);
        if (!f) return false;
        f.seekg(0, std::ios::end);
        const std::streamoff size = f.tellg();
        if (size < static_cast<std::streamoff>(kHeader.size())) return false;
        bytes.resize(static_cast<size_t>(size));
        f.seekg(0);
        if (!f.read(bytes.data(), size)) return false;
    }
    if (std::string_view(bytes).substr(0, kHeader.size()) != kHeader) return false; // another format: read again
    if (bytes.size() < kHeader.size() + 8) return false;
    const std::string_view body = std::string_view(bytes).substr(kHeader.size(), bytes.size() - kHeader.size() - 8);
    std::uint64_t sum;
    std::memcpy(&sum, bytes.data() + bytes.size() - 8, 8);
    if (sum != Checksum(body)) return false; // damaged or cut short
    CReader in(body);
    // Entries of a well-formed file come in path order: each goes in at the end.
    std::map<std::string, Entry> entries;
    size_t files = 0;
    while (in.ok()) {
        const char tag = in.Tag();
        if (tag == 'E') {
            const bool whole = in.ok() && static_cast<size_t>(in.Int()) == files && in.ok() && in.AtEnd();
            if (!whole) return false;
            m_entries = std::move(entries);
            m_changed = false;
            return true;
        }
        if (tag != 'F') return false;
        std::string path = in.Text();
        Entry e;
        e.key.stamp = in.Int();
        e.key.size = in.Int();
        e.key.from = in.Real();
        e.key.days = in.Small();
        e.key.zone = in.Text();
        e.items.problem = in.Text();
        e.items.appointments.resize(in.Count(16));
        for (CAppointment& a : e.items.appointments) {
            a.m_subject = in.Text();
            a.m_importance = in.Small();
            a.m_recurring = in.Flag();
            a.m_reminderSet = in.Flag();
            a.m_allDay = in.Flag();
            const COleDateTime start = in.Date(), end = in.Date();
            a.SetTimes(start.m_dt, end.m_dt);
            a.m_start = start;
            a.m_end = end;
            a.m_duration = in.Small();
            a.m_entryId = in.Text();
            a.m_sensitivity = in.Small();
            a.m_attachments = in.Names();
            if (!in.ok()) return false;
        }
        e.items.tasks.resize(in.Count(16));
        for (CTask& t : e.items.tasks) {
            t.m_subject = in.Text();
            t.m_complete = in.Flag();
            t.m_recurring = in.Flag();
            t.m_reminderSet = in.Flag();
            t.m_percentComplete = in.Small();
            t.m_status = in.Small();
            t.m_importance = in.Small();
            t.m_dueDate = in.Date();
            t.m_creationTime = in.Date();
            t.m_dateCompleted = in.Date();
            t.m_startDate = in.Date();
            t.m_entryId = in.Text();
            t.m_sensitivity = in.Small();
            t.m_attachments = in.Names();
            if (!in.ok()) return false;
        }
        if (!in.ok()) return false;
        entries.emplace_hint(entries.end(), std::move(path), std::move(e));
        ++files;
    }
    return false; // cut short: left alone, the files are read again
}
