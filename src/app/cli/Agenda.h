#pragma once
// "orvanta agenda": one refresh, printed for the user to check their configuration.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "../../settings/CalendarSource.h"

class COrvantaDoc;
class CSettings;

class CAgenda {
public:
    // Prints days with their appointments, the tasks and the folders, and last the
    // line "signature CRC-32: 0x%08X".
    static void Print(COrvantaDoc& doc, const CSettings& settings, std::ostream& out);
    // What the command line asks for.
    struct Request {
        std::optional<int> fromYear, fromMonth, fromDay; // --from YYYY-MM-DD: the first day
        std::optional<int> days;                         // --days N (1-7)
        std::vector<CCalendarSource> sources;            // --source PATH|URL, repeatable
    };
    // Parses the arguments after "agenda"; false with the reason when one is wrong.
    static bool Parse(const std::vector<std::string>& args, Request& request, std::string& why);
    // Connects, refreshes and prints; the exit code (0 when every read succeeded). With
    // sources on the command line only they are read: not Outlook's store, not the
    // configured sources.
    static int Run(const Request& request, std::ostream& out, std::ostream& err);
    static int Run(std::ostream& out) { return Run(Request(), out, out); }
};
