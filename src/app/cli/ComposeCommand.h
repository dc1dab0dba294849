#pragma once
// "orvanta compose [--png FILE]": one read of Outlook's data and one composition, for
// the user to see the wallpaper the program makes.
#include <ostream>
#include <string>

class COrvantaDoc;

class CComposeCommand {
public:
    // Reads, composes and prints the output path (and writes the PNG when pngPath is
    // not empty); the exit code: 0 when the picture was written, 1 otherwise.
    static int Run(const std::string& pngPath, std::ostream& out, std::ostream& err);
    // Makes the data folder, reads Outlook's data into doc and composes; false (with
    // the reason on err) when the picture was not written.
    static bool ComposeOnce(COrvantaDoc& doc, std::ostream& err);
};
