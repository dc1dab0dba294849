#pragma once
// Tells the user that another wallpaper program of the same maker is running.
#include <string>

class CAlreadyRunningDlg {
public:
    explicit CAlreadyRunningDlg(std::string programName) : m_programName(std::move(programName)) {}
    int DoModal();
    // The message template with every "%s" replaced by the running program's name.
    static std::string FormatRunningMessage(const std::string& format, const std::string& programName);

private:
    std::string m_programName;
};
