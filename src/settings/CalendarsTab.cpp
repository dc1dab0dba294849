#include "CalendarsTab.h"

#include <string>

#include "../platform/DialogPort.h"
#include "../util/Strings.h"
#include "SettingsSheetHost.h"

namespace {
using C = CCalendarsPage;
} // namespace

void CCalendarsTab::OnInitPage(IPageControls& c) {
    c.SetListColumns(C::kList, C::ColumnStops());
    Fill(c, 0);
}

void CCalendarsTab::Fill(IPageControls& c, int selectRow) {
    m_filling = true;
    c.SetChoices(C::kList, m_page.Rows());
    const int rows = m_page.RowCount();
    c.Select(C::kList, rows == 0 ? -1 : (selectRow < 0 ? 0 : (selectRow >= rows ? rows - 1 : selectRow)));
    ShowSelection(c);
    m_filling = false;
}

void CCalendarsTab::ShowSelection(IPageControls& c) {
    const int row = c.Selection(C::kList);
    const bool filling = m_filling;
    m_filling = true;
    c.SetChecked(C::kShow, m_page.Shown(row));
    m_filling = filling;
    c.Enable(C::kShow, m_page.IsEnabled(C::kShow, row));
    c.Enable(C::kRemove, m_page.IsEnabled(C::kRemove, row));
}

void CCalendarsTab::MarkModified(IPageControls& c) {
    m_page.SetModified();
    c.SetModified(true);
}

bool CCalendarsTab::AddEntry(IPageControls& c) {
    int row = -1;
    std::string message;
    if (m_page.Add(c.Text(C::kEntry), row, message)) {
        m_filling = true;
        c.SetText(C::kEntry, std::string());
        m_filling = false;
        Fill(c, row);
        MarkModified(c);
        return true;
    }
    c.ShowMessage(message, LoadResString(IDS_APP_TITLE), MsgBox::Ok | MsgBox::IconWarning);
    // Kept, selected, for the user to correct.
    c.FocusEdit(C::kEntry);
    return false;
}

void CCalendarsTab::OnCommand(IPageControls& c, int id, int code) {
    if (m_filling) return;
    if (id == C::kList) {
        if (code == SheetNotify::SelectionChanged) ShowSelection(c);
        return;
    }
    if (code != SheetNotify::Clicked) return;
    const int row = c.Selection(C::kList);
    switch (id) {
    case C::kHelp: m_host.ShowHelp(); break;
    case C::kAbout: m_host.ShowAbout(); break;
    case C::kShow:
        if (m_page.SetShown(row, c.Checked(C::kShow))) {
            Fill(c, row);
            MarkModified(c);
        }
        break;
    case C::kRemove:
        if (m_page.Remove(row)) {
            // The row that took its place is selected, or the last one.
            Fill(c, row);
            MarkModified(c);
            c.FocusControl(C::kList);
        }
        break;
    case C::kBrowse: {
        const std::string file = c.PickFile("Add a calendar file", "iCalendar files", "*.ics;*.ical;*.ifb");
        if (file.empty()) break;
        m_filling = true;
        c.SetText(C::kEntry, file);
        m_filling = false;
        AddEntry(c);
        break;
    }
    case C::kAdd: AddEntry(c); break;
    default: break;
    }
}

bool CCalendarsTab::OnKillActive(IPageControls& c) {
    // What is typed but not added yet is what the user wants when they press OK.
    const std::string pending = c.Text(C::kEntry);
    if (pending.find_first_not_of(" \t\r\n") == std::string::npos) return true;
    return AddEntry(c);
}
