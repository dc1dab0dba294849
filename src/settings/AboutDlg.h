#pragma once
// The about box: program name, version and build label.
#include <string>

class CAboutDlg {
public:
    explicit CAboutDlg(std::string buildLabel) : m_buildLabel(std::move(buildLabel)) {}
    int DoModal();
    // "Orvanta for Outlook 3.5 (081104x64)" for the build label 081104x64.
    static std::string VersionLine(const std::string& buildLabel);

private:
    std::string m_buildLabel;
};
