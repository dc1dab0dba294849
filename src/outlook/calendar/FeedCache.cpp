#include "FeedCache.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "../../util/FeedUrl.h"

namespace {

namespace fs = std::filesystem;

fs::path PathFromUtf8(const std::string& utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

// A header value kept on one line of the head file.
std::string OneLine(std::string text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }), text.end());
    return text;
}

// Written beside the target and renamed over it, so a reader never sees half a file.
bool WriteWhole(const fs::path& target, const std::string& content) {
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    fs::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temporary, ec);
            return false;
        }
    }
    fs::rename(temporary, target, ec);
    if (ec) {
        // Where a rename does not replace, the old copy goes first.
        fs::remove(target, ec);
        fs::rename(temporary, target, ec);
    }
    if (ec) fs::remove(temporary, ec);
    return !ec;
}

// An iCalendar body starts with BEGIN:VCALENDAR, after a byte-order mark and blank
// lines at most. A captive portal's or a login page's HTML answered with 200 must not
// replace a good copy.
bool LooksLikeCalendar(const std::string& body) {
    size_t i = 0;
    if (body.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
    while (i < body.size() && (body[i] == ' ' || body[i] == '\t' || body[i] == '\r' || body[i] == '\n')) ++i;
    static const std::string begin = "BEGIN:VCALENDAR";
    if (body.size() - i < begin.size()) return false;
    for (size_t k = 0; k < begin.size(); ++k)
        if (std::toupper(static_cast<unsigned char>(body[i + k])) != begin[k]) return false;
    return true;
}

std::string AgeText(long long seconds) {
    if (seconds < 120) return "a minute ago";
    if (seconds < 2 * 3600) return std::to_string(seconds / 60) + " minutes ago";
    if (seconds < 2 * 86400) return std::to_string(seconds / 3600) + " hours ago";
    return std::to_string(seconds / 86400) + " days ago";
}

std::string StaleNote(const std::string& shown, long long ageSeconds) {
    return "The calendar feed " + shown + " could not be reached: its copy from " + AgeText(ageSeconds) + " is shown.";
}

long long SystemSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

CFeedCache::CFeedCache(std::string folder, IHttpPort& http, FeedCacheOptions options, std::function<long long()> clock)
    : m_folder(std::move(folder)), m_http(http), m_options(options), m_clock(clock ? std::move(clock) : SystemSeconds) {}

std::string CFeedCache::FileStem(const std::string& url) {
    // FNV-1a, 64 bits, over the address as it is fetched.
    uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : CFeedUrl::Normalised(url)) {
        h ^= c;
        h *= 0x100000001b3ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

std::string CFeedCache::PathOf(const std::string& stem, const char* extension) const {
    const fs::path p = PathFromUtf8(m_folder) / (stem + extension);
    const auto u8 = p.u8string();
    return std::string(u8.begin(), u8.end());
}

bool CFeedCache::ReadHead(const std::string& stem, Head& head) const {
    std::ifstream in(PathFromUtf8(PathOf(stem, ".head")), std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line) || line != "orvanta-feed 1") return false;
    while (std::getline(in, line)) {
        const auto blank = line.find(' ');
        const std::string key = line.substr(0, blank);
        const std::string value = blank == std::string::npos ? std::string() : line.substr(blank + 1);
        try {
            if (key == "fetched") head.fetched = std::stoll(value);
            else if (key == "attempted") head.attempted = std::stoll(value);
        } catch (...) {
            return false;
        }
        if (key == "etag") head.etag = value;
        else if (key == "last-modified") head.lastModified = value;
    }
    return true;
}

bool CFeedCache::WriteHead(const std::string& stem, const Head& head) const {
    std::ostringstream text;
    text << "orvanta-feed 1\n"
         << "fetched " << head.fetched << "\n"
         << "attempted " << head.attempted << "\n"
         << "etag " << OneLine(head.etag) << "\n"
         << "last-modified " << OneLine(head.lastModified) << "\n";
    return WriteWhole(PathFromUtf8(PathOf(stem, ".head")), text.str());
}

bool CFeedCache::ReadBody(const std::string& stem, std::string& body) const {
    std::ifstream in(PathFromUtf8(PathOf(stem, ".ics")), std::ios::binary);
    if (!in) return false;
    body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return body.size() <= m_options.maxBytes && LooksLikeCalendar(body);
}

bool CFeedCache::WriteBody(const std::string& stem, const std::string& body) const {
    return WriteWhole(PathFromUtf8(PathOf(stem, ".ics")), body);
}

std::string CFeedCache::Failure(const HttpResponse& response, bool calendar) {
    if (response.outcome != HttpOutcome::Answered) return response.error;
    if (response.status == 200 && !calendar) return "the server sent something that is not a calendar";
    if (response.status == 304) return "the server answered 304 (not modified) to a request for the whole calendar";
    return "the server answered " + std::to_string(response.status);
}

CFeedCopy CFeedCache::Copy(const std::string& url) {
    CFeedCopy copy;
    const std::string address = CFeedUrl::Normalised(url);
    const std::string shown = CFeedUrl::Masked(address);
    bool& reported = m_failureReported[address];
    if (!CFeedUrl::IsFeed(address)) {
        if (!reported) copy.problem = "The calendar feed " + shown + " is not an http or https address.";
        reported = true;
        return copy;
    }

    const std::string stem = FileStem(address);
    Head head;
    const bool headRead = ReadHead(stem, head);
    std::string body;
    const bool held = headRead && ReadBody(stem, body);
    const long long now = m_clock();
    const long long interval = std::max<long long>(m_options.refreshSeconds, m_options.minimumSeconds);

    // Tried less than a period ago (by this process or another): the copy as it is.
    if (headRead && head.attempted > 0 && now >= head.attempted && now - head.attempted < interval) {
        copy.available = held;
        if (held) copy.body = std::move(body);
        copy.ageSeconds = held ? std::max(0LL, now - head.fetched) : 0;
        if (held && head.fetched < head.attempted) copy.staleNote = StaleNote(shown, copy.ageSeconds);
        if (!held && !reported) {
            const long long wait = (interval - (now - head.attempted) + 59) / 60;
            copy.problem = "The calendar feed " + shown + " has no copy yet: its last try failed. It is tried again in " +
                           std::to_string(wait) + (wait == 1 ? " minute." : " minutes.");
            reported = true;
        }
        return copy;
    }

    HttpRequest request;
    request.url = address;
    request.timeoutSeconds = m_options.timeoutSeconds;
    request.maxRedirects = m_options.maxRedirects;
    request.maxBytes = m_options.maxBytes;
    if (held) {
        request.ifNoneMatch = head.etag;
        request.ifModifiedSince = head.lastModified;
    }
    if (!held) head = Head{};
    head.attempted = now;
    HttpResponse response = m_http.Get(request);

    const bool answered = response.outcome == HttpOutcome::Answered;
    const bool calendar = answered && response.status == 200 && LooksLikeCalendar(response.body);
    if (calendar || (answered && response.status == 304 && held)) {
        if (calendar) {
            body = std::move(response.body);
            head.etag = response.etag;
            head.lastModified = response.lastModified;
            if (!WriteBody(stem, body)) {
                // Shown now, kept next time only if the disk takes it.
                head.etag.clear();
                head.lastModified.clear();
            }
        }
        head.fetched = now;
        WriteHead(stem, head);
        reported = false;
        copy.available = true;
        copy.fresh = true;
        copy.body = std::move(body);
        return copy;
    }

    WriteHead(stem, head);
    copy.available = held;
    if (held) {
        copy.body = std::move(body);
        copy.ageSeconds = std::max(0LL, now - head.fetched);
        copy.staleNote = StaleNote(shown, copy.ageSeconds);
    }
    if (!reported) {
        copy.problem = "The calendar feed " + shown + " could not be read: " + Failure(response, calendar) + ".";
        if (held) copy.problem += " Its copy from " + AgeText(copy.ageSeconds) + " is shown.";
        reported = true;
    }
    return copy;
}
