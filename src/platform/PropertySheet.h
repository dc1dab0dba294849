#pragma once
// A modal property sheet as the program describes it: pages made from dialog
// templates, each with an object that fills and reads its controls through
// IPageControls and hears of the user's changes, and the sheet's own events.
//
// win32: PropertySheetW over the templates in res/orvanta.rc (OK, Cancel, Apply; F1 and
//   WM_HELP reach the sheet's help; push buttons, check boxes and radio buttons report
//   clicks, edits report changes, lists report a new selection, sliders report
//   WM_HSCROLL; the open-file dialog of comdlg32).
// posix: no windows; a sheet is never shown (IDialogPort::RunPropertySheet answers
//   kSheetUnavailable) and the command line changes the settings instead.
#include <cstdint>
#include <string>
#include <vector>

namespace SheetNotify {
constexpr int Clicked = 0;          // BN_CLICKED
constexpr int EditChanged = 0x0300; // EN_CHANGE
constexpr int SelectionChanged = 1; // CBN_SELCHANGE of a drop-down list
} // namespace SheetNotify

// The controls of one page while its dialog exists, by control id.
class IPageControls {
public:
    virtual ~IPageControls() = default;
    virtual std::string Text(int id) = 0;
    virtual void SetText(int id, const std::string& text) = 0;
    // Check boxes and radio buttons.
    virtual bool Checked(int id) = 0;
    virtual void SetChecked(int id, bool checked) = 0;
    // A drop-down list or a list box: its entries (the former ones go), the selected
    // entry (-1: none) and selecting one.
    virtual void SetChoices(int id, const std::vector<std::string>& entries) {
        (void)id;
        (void)entries;
    }
    virtual int Selection(int id) {
        (void)id;
        return -1;
    }
    virtual void Select(int id, int index) {
        (void)id;
        (void)index;
    }
    // A list box's columns: where each starts, in dialog units from its left edge (an
    // entry's columns are separated by tabs).
    virtual void SetListColumns(int id, const std::vector<int>& stops) {
        (void)id;
        (void)stops;
    }
    virtual void Enable(int id, bool enabled) = 0;
    // An up-down control's limits (its buddy edit shows the value).
    virtual void SetSpinRange(int spinId, int min, int max) = 0;
    // A slider (trackbar): range, page size and a tick every tickFrequency.
    virtual void SetSliderRange(int id, int min, int max, int pageSize, int tickFrequency) = 0;
    virtual int SliderPosition(int id) = 0;
    virtual void SetSliderPosition(int id, int position) = 0;
    // Keyboard focus to an edit with its whole text selected.
    virtual void FocusEdit(int id) = 0;
    // Keyboard focus to any control.
    virtual void FocusControl(int id) { FocusEdit(id); }
    // The system's dialog for opening a file, owned by the sheet: the chosen file's
    // path, or empty when the user cancelled. filterName with its patterns
    // ("*.ics;*.ical") first, then every file.
    virtual std::string PickFile(const std::string& title, const std::string& filterName,
                                 const std::string& patterns) {
        (void)title;
        (void)filterName;
        (void)patterns;
        return std::string();
    }
    // Marks the page changed (the sheet's Apply button follows) or unchanged.
    virtual void SetModified(bool modified) = 0;
    // A message box owned by the sheet.
    virtual int ShowMessage(const std::string& text, const std::string& caption, unsigned flags) = 0;
};

// What one page does; every call comes on the sheet's thread while its dialog exists.
class IPropertyPageEvents {
public:
    virtual ~IPropertyPageEvents() = default;
    // The dialog was created: fill the controls.
    virtual void OnInitPage(IPageControls& controls) = 0;
    // A control reported notifyCode (SheetNotify) for itself.
    virtual void OnCommand(IPageControls& controls, int id, int notifyCode) = 0;
    // A horizontal slider moved: the scroll code and the position it carries.
    virtual void OnHScroll(IPageControls& controls, int id, int scrollCode, int position) = 0;
    // The page is left (another tab, Apply or OK): take the values from the controls.
    // False keeps the page shown and stops what the user asked for.
    virtual bool OnKillActive(IPageControls& controls) = 0;
};

// The sheet's window once it exists.
class IPropertySheetWindow {
public:
    virtual ~IPropertySheetWindow() = default;
    virtual void SetCaption(const std::string& caption) = 0;
};

class IPropertySheetEvents {
public:
    virtual ~IPropertySheetEvents() = default;
    virtual void OnSheetCreated(IPropertySheetWindow& sheet) = 0;
    // The Apply button, after the shown page took its values; the sheet stays open.
    // (OK ends the sheet instead: RunPropertySheet answers MsgBox::IdOk.)
    virtual void OnApplyNow() = 0;
    // F1 anywhere in the sheet.
    virtual void OnHelp() = 0;
};

struct PropertyPageDesc {
    int templateId = 0;
    int iconId = 0; // a small icon on the page's tab; 0 for none
    IPropertyPageEvents* events = nullptr;
};

struct PropertySheetDesc {
    uintptr_t owner = 0; // the owner window's handle (IWindow::Handle), 0 for none
    std::string caption;
    std::vector<PropertyPageDesc> pages;
};

// RunPropertySheet's answer where no sheet can be shown.
constexpr int kSheetUnavailable = -1;
