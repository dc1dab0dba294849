#include "AboutDlg.h"

#include "../platform/Platform.h"
#include "../util/Strings.h"

std::string CAboutDlg::VersionLine(const std::string& buildLabel) {
    return FormatText(LoadResString(IDS_ABOUT_VERSION_LINE).c_str(),
                      LoadResString(IDS_VERSION_ABOUT).c_str(), buildLabel.c_str());
}

int CAboutDlg::DoModal() {
    DialogDesc desc{IDD_ABOUTBOX, "", {{IDC_ABOUT_VERSION, ""}, {IDC_ABOUT_COMPANY, TXT_ABOUT_COMPANY}}};
    return Port<IDialogPort>().RunDialog(desc, [this](IDialogControls& dlg) {
        dlg.SetItemText(IDC_ABOUT_VERSION, VersionLine(m_buildLabel));
    });
}
