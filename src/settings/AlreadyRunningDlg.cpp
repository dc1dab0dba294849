#include "AlreadyRunningDlg.h"

#include "../platform/Platform.h"
#include "../util/Strings.h"

std::string CAlreadyRunningDlg::FormatRunningMessage(const std::string& format,
                                              const std::string& programName) {
    // Replaced textually rather than through printf, so that a name holding '%'
    // cannot act as a format.
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
            out += programName;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

int CAlreadyRunningDlg::DoModal() {
    DialogDesc desc{IDD_ALREADY_RUNNING,
                    TXT_ALREADY_RUNNING_CAPTION,
                    {{IDC_ALREADY_RUNNING_MESSAGE, TXT_ALREADY_RUNNING_MESSAGE}, {-1, TXT_ALREADY_RUNNING_HINT}}};
    return Port<IDialogPort>().RunDialog(desc, [this](IDialogControls& dlg) {
        dlg.SetItemText(IDC_ALREADY_RUNNING_MESSAGE,
                        FormatRunningMessage(dlg.GetItemText(IDC_ALREADY_RUNNING_MESSAGE), m_programName));
    });
}
