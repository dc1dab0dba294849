#pragma once
// The hidden main window. It is never shown; closing it ends the program.
#include <memory>
#include <string>

class IMainWindow;
class CSettings;

class CMainFrame {
public:
    explicit CMainFrame(CSettings& settings);
    ~CMainFrame();
    bool Create(const std::string& caption);
    void SetCaption(const std::string& caption);
    std::string Caption() const;

private:
    void OnClose();

    CSettings& m_settings;
    std::unique_ptr<IMainWindow> m_window;
};
