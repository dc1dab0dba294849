#pragma once
// Texts of the program's string table by number; the same table is compiled into
// the Windows program's resources.
#include <string>

#include "../../res/strings.h"

// The text of string id, or empty for an id the table does not hold.
std::string LoadResString(int id);
// printf-style formatting into a string (the table's texts are such formats).
std::string FormatText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
