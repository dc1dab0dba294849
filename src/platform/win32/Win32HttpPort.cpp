#include "Win32HttpPort.h"

#include <windows.h>
#include <winhttp.h>
#include <zlib.h>

#include <cstring>
#include <memory>

#include "Utf.h"

namespace {

struct InternetCloser {
    void operator()(HINTERNET h) const {
        if (h) WinHttpCloseHandle(h);
    }
};
using Handle = std::unique_ptr<void, InternetCloser>;

std::string ErrorText(DWORD code) {
    wchar_t buf[512];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, GetModuleHandleW(L"winhttp.dll"),
                             code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buf, 512, nullptr);
    if (!n)
        n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                           MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buf, 512, nullptr);
    std::string text = n ? Narrow(buf, n) : std::string();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.' || text.back() == ' '))
        text.pop_back();
    switch (code) {
    case ERROR_WINHTTP_SECURE_FAILURE: return "the server's certificate is not trusted (WinHTTP error 12175)";
    case ERROR_WINHTTP_SECURE_INVALID_CA: return "the server's certificate is not trusted (WinHTTP error 12045)";
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
        return "the server's certificate is not for this address (WinHTTP error 12038)";
    // Wine reports every failed certificate check as this too.
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
        return "no secure connection could be made: the TLS handshake or the server's certificate failed (WinHTTP "
               "error 12157)";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED: return "the server's name could not be resolved";
    case ERROR_WINHTTP_CANNOT_CONNECT: return "the server could not be reached";
    case ERROR_WINHTTP_CONNECTION_ERROR: return "the connection to the server was broken";
    default: break;
    }
    return text.empty() ? "WinHTTP error " + std::to_string(code) : text + " (WinHTTP error " + std::to_string(code) + ")";
}

std::wstring QueryText(HINTERNET request, DWORD what) {
    DWORD bytes = 0;
    WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &bytes, WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return std::wstring();
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (!WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &bytes, WINHTTP_NO_HEADER_INDEX))
        return std::wstring();
    text.resize(bytes / sizeof(wchar_t));
    return text;
}

// The target of a Location header, made whole against the address it came from.
std::wstring Resolve(const std::wstring& base, const std::wstring& location) {
    if (location.find(L"://") != std::wstring::npos) return location;
    const size_t schemeEnd = base.find(L"://");
    if (schemeEnd == std::wstring::npos) return location;
    if (location.rfind(L"//", 0) == 0) return base.substr(0, schemeEnd + 1) + location;
    const size_t pathStart = base.find(L'/', schemeEnd + 3);
    const std::wstring origin = pathStart == std::wstring::npos ? base : base.substr(0, pathStart);
    if (!location.empty() && location[0] == L'/') return origin + location;
    std::wstring path = pathStart == std::wstring::npos ? L"/" : base.substr(pathStart);
    path = path.substr(0, path.find_first_of(L"?#"));
    return origin + path.substr(0, path.rfind(L'/') + 1) + location;
}

bool IsRedirect(DWORD status) { return status == 301 || status == 302 || status == 303 || status == 307 || status == 308; }

// Inflates gzip or zlib-wrapped deflate (and raw deflate, which some servers send as
// "deflate") into out, refusing more than max bytes.
class Inflater {
public:
    ~Inflater() {
        if (m_started) inflateEnd(&m_z);
    }
    // False when the data cannot be inflated; tooLarge set when out would pass max.
    bool Feed(const unsigned char* data, size_t size, std::string& out, size_t max, bool& tooLarge) {
        if (!m_started) {
            std::memset(&m_z, 0, sizeof m_z);
            // A zlib or gzip header is told apart by inflate itself (15 + 32); a raw
            // deflate stream has neither.
            const bool raw = !(size >= 2 && ((data[0] == 0x1f && data[1] == 0x8b) || ((data[0] & 0x0f) == 8 &&
                                                                                        ((data[0] << 8) | data[1]) % 31 == 0)));
            if (inflateInit2(&m_z, raw ? -15 : 15 + 32) != Z_OK) return false;
            m_started = true;
        }
        m_z.next_in = const_cast<Bytef*>(data);
        m_z.avail_in = static_cast<uInt>(size);
        unsigned char buffer[16384];
        while (m_z.avail_in > 0 && !m_ended) {
            m_z.next_out = buffer;
            m_z.avail_out = sizeof buffer;
            const int rc = inflate(&m_z, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return false;
            const size_t produced = sizeof buffer - m_z.avail_out;
            if (out.size() + produced > max) {
                tooLarge = true;
                return false;
            }
            out.append(reinterpret_cast<char*>(buffer), produced);
            if (rc == Z_STREAM_END) m_ended = true;
            if (rc == Z_BUF_ERROR && produced == 0) break;
        }
        return true;
    }
    bool Ended() const { return m_ended; }

private:
    z_stream m_z{};
    bool m_started = false;
    bool m_ended = false;
};

} // namespace

HttpResponse CWin32HttpPort::Get(const HttpRequest& request) {
    HttpResponse response;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(request.timeoutSeconds) * 1000;
    auto timedOut = [&] {
        response.outcome = HttpOutcome::TimedOut;
        response.error = "no answer within " + std::to_string(request.timeoutSeconds) + " seconds";
        response.status = 0;
        response.body.clear();
        return response;
    };
    auto fail = [&](HttpOutcome outcome, const std::string& why) {
        response.outcome = outcome;
        response.error = why;
        response.status = 0;
        response.body.clear();
        return response;
    };

    Handle session(WinHttpOpen(L"Orvanta for Outlook", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return fail(HttpOutcome::Failed, ErrorText(GetLastError()));
    const int ms = request.timeoutSeconds * 1000;
    WinHttpSetTimeouts(session.get(), ms, ms, ms, ms);

    std::wstring url = Widen(request.url);
    for (int redirects = 0;; ++redirects) {
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
        if (url.empty() || !WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
            (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) || parts.dwHostNameLength == 0)
            return fail(HttpOutcome::BadUrl, redirects ? "redirected to an address that is not http or https"
                                                       : "not an http or https address");
        const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
        std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
        // The fragment is no part of the request.
        std::wstring extra(parts.lpszExtraInfo ? parts.lpszExtraInfo : L"", parts.dwExtraInfoLength);
        extra = extra.substr(0, extra.find(L'#'));
        if (path.empty()) path = L"/";
        path += extra;

        Handle connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
        if (!connection) return fail(HttpOutcome::Failed, ErrorText(GetLastError()));
        Handle req(WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES,
                                      parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
        if (!req) return fail(HttpOutcome::Failed, ErrorText(GetLastError()));
        DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
        WinHttpSetOption(req.get(), WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof noRedirects);
        // The wait for the response's headers has a bound of its own (90 s by default),
        // which WinHttpSetTimeouts leaves alone: what is left of the exchange's time.
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return timedOut();
        DWORD headersWithin = static_cast<DWORD>(deadline - now);
        if (!WinHttpSetOption(req.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersWithin, sizeof headersWithin))
            return fail(HttpOutcome::Failed, ErrorText(GetLastError()));

        std::wstring headers = L"Accept-Encoding: gzip, deflate\r\n";
        if (!request.ifNoneMatch.empty()) headers += L"If-None-Match: " + Widen(request.ifNoneMatch) + L"\r\n";
        if (!request.ifModifiedSince.empty())
            headers += L"If-Modified-Since: " + Widen(request.ifModifiedSince) + L"\r\n";
        if (!WinHttpSendRequest(req.get(), headers.c_str(), static_cast<DWORD>(headers.size()), WINHTTP_NO_REQUEST_DATA,
                                0, 0, 0) ||
            !WinHttpReceiveResponse(req.get(), nullptr)) {
            const DWORD error = GetLastError();
            if (error == ERROR_WINHTTP_TIMEOUT || GetTickCount64() >= deadline) return timedOut();
            return fail(HttpOutcome::Failed, ErrorText(error));
        }
        DWORD status = 0, size = sizeof status;
        if (!WinHttpQueryHeaders(req.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
            return fail(HttpOutcome::Failed, ErrorText(GetLastError()));
        if (IsRedirect(status)) {
            const std::wstring location = QueryText(req.get(), WINHTTP_QUERY_LOCATION);
            if (!location.empty()) {
                if (redirects >= request.maxRedirects)
                    return fail(HttpOutcome::TooManyRedirects,
                                "more than " + std::to_string(request.maxRedirects) + " redirects");
                url = Resolve(url, location);
                continue;
            }
        }

        response.status = static_cast<int>(status);
        response.etag = Narrow(QueryText(req.get(), WINHTTP_QUERY_ETAG));
        response.lastModified = Narrow(QueryText(req.get(), WINHTTP_QUERY_LAST_MODIFIED));
        std::wstring encoding = QueryText(req.get(), WINHTTP_QUERY_CONTENT_ENCODING);
        for (auto& ch : encoding) ch = static_cast<wchar_t>(towlower(ch));
        const bool compressed = encoding.find(L"gzip") != std::wstring::npos || encoding.find(L"deflate") != std::wstring::npos;
        const std::string tooLarge = "larger than " + std::to_string(request.maxBytes / (1024 * 1024)) + " MB";
        if (!compressed) {
            DWORD length = 0;
            size = sizeof length;
            if (WinHttpQueryHeaders(req.get(), WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                                    WINHTTP_HEADER_NAME_BY_INDEX, &length, &size, WINHTTP_NO_HEADER_INDEX) &&
                length > request.maxBytes)
                return fail(HttpOutcome::TooLarge, tooLarge);
        }
        Inflater inflater;
        std::unique_ptr<unsigned char[]> chunk(new unsigned char[65536]);
        for (;;) {
            if (GetTickCount64() >= deadline) return timedOut();
            DWORD read = 0;
            if (!WinHttpReadData(req.get(), chunk.get(), 65536, &read)) {
                const DWORD error = GetLastError();
                if (error == ERROR_WINHTTP_TIMEOUT) return timedOut();
                return fail(HttpOutcome::Failed, ErrorText(error));
            }
            if (read == 0) break;
            if (compressed) {
                bool over = false;
                if (!inflater.Feed(chunk.get(), read, response.body, request.maxBytes, over))
                    return over ? fail(HttpOutcome::TooLarge, tooLarge)
                                : fail(HttpOutcome::Failed, "the server's " + Narrow(encoding) + " data are damaged");
            } else {
                if (response.body.size() + read > request.maxBytes) return fail(HttpOutcome::TooLarge, tooLarge);
                response.body.append(reinterpret_cast<char*>(chunk.get()), read);
            }
        }
        response.outcome = HttpOutcome::Answered;
        return response;
    }
}
