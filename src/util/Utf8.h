#pragma once
// UTF-8 facts the program needs without a conversion library: how long a sequence
// is, and how many UTF-16 units a text takes in the system's wide functions.
#include <cstddef>
#include <string>

// Bytes of the sequence that starts with lead: 1 to 4, or 0 for a byte that cannot
// begin one (a continuation byte or an invalid lead).
size_t Utf8SequenceLength(unsigned char lead);

// UTF-16 units of the text: two for characters above U+FFFF, one for every other
// character and for each byte that is not part of a valid sequence.
size_t Utf16Length(const std::string& text);

// Appends the code point as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// The first n characters of the text, never cutting a sequence.
std::string Utf8Prefix(const std::string& text, size_t n);

// The character whose sequence starts at byte i of the text, and the sequence's
// length in bytes (1 to 4). A byte that does not begin a valid sequence (cut short,
// overlong, a surrogate, above U+10FFFF, a stray continuation byte) reads as one
// U+FFFD of length 1, so a walk over any text advances and ends.
struct Utf8Char {
    char32_t code = 0;
    size_t length = 0;
};
Utf8Char Utf8CharAt(const std::string& text, size_t i);
// The largest position at or before byte i of the text at which a line may be cut
// without separating a character from the marks, joiners, variation selectors or
// skin tones that belong to it (i itself when the text ends there).
size_t Utf8ClusterBoundary(const std::string& text, size_t i);
// The end of the first whole character cluster of the text (0 for an empty text).
size_t Utf8FirstClusterEnd(const std::string& text);

// The text in double quotes, as a terminal or a log can show it whatever it holds:
// control characters (C0, DEL, C1), the line and paragraph separators and the
// bidirectional controls become escapes (\n, \t, \r, \x1b, \u202e), a quote or a
// backslash is escaped, a byte that is no UTF-8 becomes \xNN. A text of more than
// maxChars characters is cut there, and "..." follows the closing quote.
std::string QuotedForDisplay(const std::string& text, size_t maxChars = 64);
