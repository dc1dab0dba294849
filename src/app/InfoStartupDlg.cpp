#include "InfoStartupDlg.h"

#include "../platform/Platform.h"
#include "../util/Strings.h"

int CInfoStartupDlg::DoModal() {
    // The template carries the picture and the box's label; where there are no
    // templates (the Linux daemon) nothing is printed: the dialog has no text to show.
    DialogDesc desc{IDD_STARTUP_INFO, TXT_STARTUP_INFO_CAPTION, {}};
    desc.onEnd = [this](IDialogControls& dlg) { m_dontShowAgain = dlg.GetCheck(IDC_STARTUP_INFO_DONT_SHOW); };
    return Port<IDialogPort>().RunDialog(desc, [this](IDialogControls& dlg) {
        dlg.SetCheck(IDC_STARTUP_INFO_DONT_SHOW, m_dontShowAgain);
    });
}
