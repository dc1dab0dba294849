#pragma once
// The three colour styles. The numbered colours are the program's style slots, so the
// pictures match what the program draws around them; the others are mixed from them.
#include "Canvas.h"

struct Style {
    const char* name;    // "Blue", "Green", "Brown"
    const char* library; // its icon library, "look01" ...
    Rgb slot2;           // task block and side-bar body
    Rgb slot3;           // appointment block
    Rgb slot4;           // folder block
    Rgb slot5;           // calendar background
    Rgb slot8;           // headings, month names: the style's dark colour
    Rgb slot10;          // lines under headings

    Rgb Dark() const { return slot8; }
    // A lighter tone of the dark colour: the upper end of the header gradient.
    Rgb Mid() const { return Mix(slot8, Rgb{255, 255, 255}, 0.28); }
    // The pale tint of the bands and day tiles.
    Rgb Tint() const { return Mix(slot5, Rgb{255, 255, 255}, 0.55); }
    // Mark of "today" in the month calendar: warm, to stand out from the style.
    Rgb Today() const { return today; }
    Rgb today;
};

inline const Style kStyles[3] = {
    {"Blue", "look01", {255, 255, 255}, {255, 255, 255}, {239, 244, 253}, {210, 226, 254},
     {0, 45, 106}, {0, 46, 106}, {214, 84, 16}},
    {"Green", "look02", {255, 255, 255}, {255, 255, 255}, {239, 244, 253}, {189, 235, 211},
     {1, 83, 39}, {1, 83, 39}, {222, 120, 24}},
    {"Brown", "look03", {255, 250, 231}, {255, 250, 231}, {255, 250, 231}, {252, 204, 124},
     {130, 2, 0}, {132, 4, 4}, {176, 28, 20}},
};

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kNearBlack{16, 16, 16};
constexpr Rgb kKeyCyan{0, 255, 255};
