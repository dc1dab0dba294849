#pragma once
// The address of a calendar feed: webcal:// read as https://, and the form in which it
// may be shown. A published calendar's address is its password (a token in the path,
// a key in the query, a user and password before the host): only Masked() ever goes
// into a message, a log or a listing.
#include <string>

class CFeedUrl {
public:
    // True for http://, https:// and webcal:// addresses (any case), with a host.
    static bool IsFeed(const std::string& text);
    // The address to fetch: blanks around it dropped, webcal:// (and webcals://) made
    // https://; other addresses unchanged.
    static std::string Normalised(const std::string& url);
    // Scheme, host and port as they are; user information, query and fragment as
    // "…"; each path segment that looks like a token (16 characters or more holding a
    // digit, or 32 or more of any kind) cut to its first 4 characters and "…". Text that
    // is no URL at all is shown as "…" after its scheme, if any.
    static std::string Masked(const std::string& url);
};
