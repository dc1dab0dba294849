#include "CommandRequest.h"

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }

} // namespace

CCommandRequest::Parsed CCommandRequest::Judge(std::string_view received) {
    Parsed r;
    const std::size_t end = received.find('\n');
    if (end == std::string_view::npos) {
        // A request cannot be longer than this; a sender that goes on is refused at once
        // rather than waited for.
        r.verdict = received.size() > kMaxBytes ? Verdict::Bad : Verdict::Incomplete;
        return r;
    }
    r.verdict = Verdict::Bad;
    if (end + 1 != received.size() || end > kMaxBytes) return r;
    std::string_view line = received.substr(0, end);
    unsigned argument = 0;
    if (line.size() >= 3 && line[line.size() - 2] == ' ' && Digit(line.back())) {
        argument = static_cast<unsigned>(line.back() - '0');
        line.remove_suffix(2);
    }
    if (line.empty() || line.size() > 5 || line[0] == '0') return r;
    unsigned long id = 0;
    for (char c : line) {
        if (!Digit(c)) return r;
        id = id * 10 + static_cast<unsigned>(c - '0');
    }
    if (id > 0xFFFF) return r;
    r.id = static_cast<unsigned>(id);
    r.argument = argument;
    r.verdict = Verdict::Complete;
    return r;
}

std::string CCommandRequest::Answer(const Parsed& request, const std::set<unsigned>& commands) {
    if (request.verdict != Verdict::Complete) return "bad request";
    return commands.count(request.id) ? "ok" : "unknown command";
}

std::string CCommandRequest::Line(unsigned id, unsigned argument) {
    return std::to_string(id) + (argument ? " " + std::to_string(argument % 10) : std::string()) + "\n";
}
