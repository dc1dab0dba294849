#pragma once
// Finds Outlook's main window among the top-level windows: the first
// window whose title, lower-cased, ends with "- microsoft outlook". Made for one
// search. In bring-forward mode the window found is shown (maximised when its
// placement restores to maximised, else normal) and made the foreground window.
#include <string>

class CWindowsEnumer {
public:
    enum class Mode { BringForward, FindOnly };
    explicit CWindowsEnumer(Mode mode = Mode::BringForward) : m_mode(mode) {}

    // Runs the search through the top-level windows port; false (nothing found) when
    // the platform has none. Sets and returns the found flag.
    bool Search();
    int m_found = 0;

    // The title rule: at most the first 249 characters count (GetWindowText with 250),
    // lower-cased, whose last 19 are "- microsoft outlook" exactly.
    static bool TitleMatches(const std::string& title);

private:
    Mode m_mode;
};
