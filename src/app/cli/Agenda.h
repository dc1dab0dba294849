#pragma once
// "orvanta agenda": one refresh, printed for the user to check their configuration.
#include <ostream>

class COrvantaDoc;
class CSettings;

class CAgenda {
public:
    // Prints days with their appointments, the tasks and the folders, and last the
    // line "signature CRC-32: 0x%08X".
    static void Print(COrvantaDoc& doc, const CSettings& settings, std::ostream& out);
    // Connects, refreshes and prints; the exit code (0 when every read succeeded).
    static int Run(std::ostream& out);
};
