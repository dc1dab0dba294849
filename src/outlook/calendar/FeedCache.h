#pragma once
// The calendar feeds' copies on disk, fetched the way a good client does: a
// conditional GET (ETag, Last-Modified) at most once per "Refresh" period and never
// more often than every 5 minutes (across the program's processes too: the time of the
// last try is kept with the copy); a feed that fails keeps its last good copy and its
// failure is reported once, until it works again.
//
// In the folder, per feed, named by a hash of its address (nothing of the address
// itself is written): <hash>.ics, the body as the server sent it, and <hash>.head, the
// ETag, Last-Modified and the times of the last answer and of the last try.
#include <cstddef>
#include <functional>
#include <map>
#include <string>

#include "../../platform/HttpPort.h"
#include "FeedCopies.h"

struct FeedCacheOptions {
    int refreshSeconds = 20;     // "Refresh"
    int minimumSeconds = 300;    // never more often than this
    int timeoutSeconds = 15;
    int maxRedirects = 5;
    std::size_t maxBytes = 20u * 1024u * 1024u;
};

class CFeedCache : public IFeedCopies {
public:
    // folder: where the copies live (made when the first one is written); clock: the
    // time now in seconds (the system's clock when empty).
    CFeedCache(std::string folder, IHttpPort& http, FeedCacheOptions options = {},
               std::function<long long()> clock = nullptr);

    void SetRefreshSeconds(int seconds) { m_options.refreshSeconds = seconds; }
    CFeedCopy Copy(const std::string& url) override;

    // The name the copies of this address take in the folder (without extension).
    static std::string FileStem(const std::string& url);

private:
    struct Head {
        long long fetched = 0;   // the server last sent or confirmed the copy (0: never)
        long long attempted = 0; // the last try, whatever came of it (0: never)
        std::string etag;
        std::string lastModified;
    };
    std::string PathOf(const std::string& stem, const char* extension) const;
    bool ReadHead(const std::string& stem, Head& head) const;
    bool WriteHead(const std::string& stem, const Head& head) const;
    bool ReadBody(const std::string& stem, std::string& body) const;
    bool WriteBody(const std::string& stem, const std::string& body) const;
    static std::string Failure(const HttpResponse& response, bool calendar);

    std::string m_folder;
    IHttpPort& m_http;
    FeedCacheOptions m_options;
    std::function<long long()> m_clock;
    std::map<std::string, bool> m_failureReported; // by address: failing and already said so
};
