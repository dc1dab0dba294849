#pragma once
// One HTTP GET, as a calendar feed is fetched: conditional on the copy already held,
// bounded in time, redirects and size, with gzip taken care of.
//
// posix: libcurl; HTTPS verified against the system's certificates (plus the bundle
//   named by CURL_CA_BUNDLE, as the curl tool takes it), gzip and deflate through
//   CURLOPT_ACCEPT_ENCODING.
// win32: WinHTTP; HTTPS verified by the system; redirects followed by the port itself,
//   gzip and deflate inflated with zlib as the body arrives.
// Both: only http and https (a redirect elsewhere is refused), at most maxRedirects
//   redirects, the whole exchange within timeoutSeconds, the body (after
//   decompression) refused as soon as it passes maxBytes.
#include <cstddef>
#include <string>

struct HttpRequest {
    std::string url;             // http:// or https://
    std::string ifNoneMatch;     // the ETag of the copy held; empty: none
    std::string ifModifiedSince; // its Last-Modified, as the server wrote it; empty: none
    int timeoutSeconds = 15;
    int maxRedirects = 5;
    std::size_t maxBytes = 20u * 1024u * 1024u;
};

enum class HttpOutcome {
    Answered,        // a response arrived: see status
    Failed,          // no response: resolve, connect, TLS or certificate, a broken transfer
    TimedOut,        // no complete response within timeoutSeconds
    TooLarge,        // the body passed maxBytes
    TooManyRedirects,
    BadUrl,          // not an http or https URL, or a redirect to another scheme
};

struct HttpResponse {
    HttpOutcome outcome = HttpOutcome::Failed;
    int status = 0;           // of the last response, after redirects
    std::string etag;         // its ETag, as sent
    std::string lastModified; // its Last-Modified, as sent
    std::string body;         // decompressed
    std::string error;        // what went wrong, without the URL; empty when Answered
};

class IHttpPort {
public:
    virtual ~IHttpPort() = default;
    virtual HttpResponse Get(const HttpRequest& request) = 0;
};
