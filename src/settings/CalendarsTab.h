#pragma once
// The "Calendars" page on screen: fills the list from the page object and keeps
// "Show" and "Remove" in step with the selected row; Add takes the entry field (or the
// file picked with "Browse..."), a refused entry is explained in a message and kept in
// the field to be corrected. An entry typed but not added when the page is left (OK,
// Apply, another tab) is added then, or the page stays with the message. Every decision
// is the page object's; this class only moves values between it and the controls.
#include "../platform/PropertySheet.h"
#include "CalendarsPage.h"

class ISettingsSheetHost;

class CCalendarsTab : public IPropertyPageEvents {
public:
    CCalendarsTab(CCalendarsPage& page, ISettingsSheetHost& host) : m_page(page), m_host(host) {}

    void OnInitPage(IPageControls& controls) override;
    void OnCommand(IPageControls& controls, int id, int notifyCode) override;
    void OnHScroll(IPageControls&, int, int, int) override {}
    bool OnKillActive(IPageControls& controls) override;

private:
    // The list again, the row selected (kept in range) and the buttons it allows.
    void Fill(IPageControls& controls, int selectRow);
    void ShowSelection(IPageControls& controls);
    // The entry field's text added; false (with the message shown) when refused.
    bool AddEntry(IPageControls& controls);
    void MarkModified(IPageControls& controls);

    CCalendarsPage& m_page;
    ISettingsSheetHost& m_host;
    bool m_filling = false;
};
