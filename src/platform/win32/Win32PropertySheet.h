#pragma once
// One modal property sheet on Windows (PropertySheetW with pages from the program's
// dialog templates).
//
// Implements: the pages' controls by id (text, check state, enabling, up-down
//   ranges, trackbars, drop-down lists and list boxes with tab-stop columns, focus),
//   clicks, edit changes and list selections, horizontal scrolls, the open-file
//   dialog (GetOpenFileNameW) owned by the sheet,
//   PSN_KILLACTIVE as the page's take-over with its refusal, PSN_APPLY (the Apply
//   button runs the sheet's Apply; OK ends the sheet with IDOK), F1 and WM_HELP from
//   the pages and the sheet, the caption set once the sheet's window exists.
// Does not implement: wizards, modeless sheets, pages added or removed while open.
#include <memory>
#include <vector>

#include "../PropertySheet.h"

class CWin32PropertySheet {
public:
    CWin32PropertySheet(const PropertySheetDesc& desc, IPropertySheetEvents& events);
    ~CWin32PropertySheet();
    CWin32PropertySheet(const CWin32PropertySheet&) = delete;
    CWin32PropertySheet& operator=(const CWin32PropertySheet&) = delete;

    // Runs it modally: MsgBox::IdOk after OK, MsgBox::IdCancel after Cancel or when the
    // sheet was closed, kSheetUnavailable when it could not be created.
    int Run();

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};
