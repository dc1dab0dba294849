#pragma once
// One request on the daemon's command socket, judged from the bytes received so far:
// the command id in decimal (1 to 65535, no leading zero), optionally a blank and one
// digit (passed on as lParam), then a line end and nothing after it. The bytes may
// arrive in any pieces; each piece is judged with everything before it.
//
// The judgement never goes back: bytes that are Bad stay Bad however much follows, and
// a Complete request followed by more bytes is Bad (a second line is no request).
#include <set>
#include <string>
#include <string_view>

class CCommandRequest {
public:
    // More than this without a line end is no request (the longest one is 8 bytes).
    static constexpr std::size_t kMaxBytes = 64;

    enum class Verdict { Incomplete, Complete, Bad };

    struct Parsed {
        Verdict verdict = Verdict::Incomplete;
        unsigned id = 0;       // when Complete
        unsigned argument = 0; // when Complete: 0 to 9
    };

    static Parsed Judge(std::string_view received);

    // The answer line for a finished request: "ok" for an id in commands, "unknown
    // command" for another id, "bad request" for anything else (Incomplete included:
    // the sender stopped before the line end).
    static std::string Answer(const Parsed& request, const std::set<unsigned>& commands);

    // The request line for id and argument (0 sends none), as the client writes it.
    static std::string Line(unsigned id, unsigned argument);
};
