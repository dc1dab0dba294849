#pragma once
// The start-up information dialog: a picture that says where the shown data come from
// (Outlook Today's settings), and a box to not be shown it again at start-up.

class CInfoStartupDlg {
public:
    explicit CInfoStartupDlg(bool dontShowAgain) : m_dontShowAgain(dontShowAgain) {}
    // Runs the dialog modally; the box's state is in m_dontShowAgain afterwards,
    // whichever way the dialog was closed.
    int DoModal();

    bool m_dontShowAgain;
};
