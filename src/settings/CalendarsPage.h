#pragma once
// What the "Calendars" page of the settings sheet holds and decides: the calendar
// sources beside Outlook as the list shows them (Outlook first when it is installed,
// then each source with its name, kind, whether it is shown and its location, a
// feed's address masked), what Add takes and why it refuses, Remove, "Show", and
// which buttons the selected row allows. The dialog only moves values between its
// controls and this object. The list reaches the registry only through Apply, and only
// when it was edited.
#include <string>
#include <vector>

#include "CalendarSource.h"

class CSettings;

class CCalendarsPage {
public:
    static constexpr int kDialogId = 243;
    // Control ids of the dialog.
    static constexpr int kList = 1100;  // list box, one row per calendar
    static constexpr int kShow = 1101;  // check box: the selected source is drawn
    static constexpr int kRemove = 1102;
    static constexpr int kEntry = 1103; // edit: an address or a file to add
    static constexpr int kBrowse = 1104;
    static constexpr int kAdd = 1105;
    static constexpr int kHelp = 5;
    static constexpr int kAbout = 57664;

    // Where the list's columns start, in dialog units from its left edge (name, kind,
    // shown, location); the headings above it stand at the same places.
    static const std::vector<int>& ColumnStops();

    // Copies the record's sources. outlookInstalled: Outlook's row heads the list.
    void Init(const CSettings& settings, bool outlookInstalled);

    // One text per row, its columns separated by tabs.
    std::vector<std::string> Rows() const;
    int RowCount() const { return static_cast<int>(m_sources.size()) + (m_outlook ? 1 : 0); }
    bool IsOutlookRow(int row) const { return m_outlook && row == 0; }
    // The source of a row; -1 for Outlook's row and for no row.
    int SourceIndex(int row) const;
    // Whether the row is drawn (Outlook's always is; no row: false).
    bool Shown(int row) const;
    // "Show" and "Remove" apply to a source's row only; Add and the rest always.
    bool IsEnabled(int id, int selectedRow) const;

    // Adds what the user typed or picked: true with the new row, or false with the
    // message to show (the list unchanged).
    bool Add(const std::string& pathOrUrl, int& row, std::string& message);
    // False for Outlook's row and for no row.
    bool Remove(int row);
    bool SetShown(int row, bool shown);

    // A source's name as the list shows it: its own, else taken from its location (a
    // feed's host, a file's name without ".ics", a folder's last part).
    static std::string DisplayName(const CCalendarSource& source);

    const std::vector<CCalendarSource>& Sources() const { return m_sources; }
    // The list was changed by the user since Init or the last take-over.
    bool SourcesEdited() const { return m_edited; }
    void SourcesTakenOver() { m_edited = false; }

    void SetModified(bool modified = true) { m_modified = modified; }
    bool IsModified() const { return m_modified; }

private:
    std::vector<CCalendarSource> m_sources;
    bool m_outlook = false;
    bool m_edited = false;
    bool m_modified = false;
};
