// libFuzzer target: arbitrary bytes as what a client sent on the command socket, judged
// whole and piece by piece as the daemon receives them. A verdict never goes back (bad
// stays bad, a finished request followed by anything is bad), a finished request is
// exactly the line a client writes for it, and every verdict has one of the answers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "platform/common/CommandRequest.h"

namespace {

using Verdict = CCommandRequest::Verdict;

void Check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::set<unsigned> commands{32790, 32795, 57665};
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const CCommandRequest::Parsed whole = CCommandRequest::Judge(bytes);
    const std::string answer = CCommandRequest::Answer(whole, commands);
    Check(answer == "ok" || answer == "unknown command" || answer == "bad request");
    if (whole.verdict == Verdict::Complete) {
        Check(whole.id >= 1 && whole.id <= 0xFFFF && whole.argument <= 9);
        Check(answer == (commands.count(whole.id) ? "ok" : "unknown command"));
        // The line a client writes for it, or the same with an explicit lParam 0.
        const std::string line = CCommandRequest::Line(whole.id, whole.argument);
        Check(bytes == line || (whole.argument == 0 && bytes == std::to_string(whole.id) + " 0\n"));
        const CCommandRequest::Parsed again = CCommandRequest::Judge(line);
        Check(again.verdict == Verdict::Complete && again.id == whole.id && again.argument == whole.argument);
    }
    if (whole.verdict == Verdict::Incomplete) Check(size <= CCommandRequest::kMaxBytes);

    // Received in pieces: the first prefix with a verdict decides, and every longer
    // prefix is Bad (bad stays bad; more after a finished request makes it bad).
    if (size > 2 * CCommandRequest::kMaxBytes) return 0; // long inputs end at the length limit
    std::size_t decided = size + 1;
    for (std::size_t n = 0; n <= size; ++n) {
        const Verdict v = CCommandRequest::Judge(bytes.substr(0, n)).verdict;
        if (decided <= size) Check(v == Verdict::Bad);
        else if (v != Verdict::Incomplete) decided = n;
    }
    Check((decided > size) == (whole.verdict == Verdict::Incomplete));
    return 0;
}
