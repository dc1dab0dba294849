#pragma once
// The hidden main window. It is never shown; closing it ends the program.
#include <functional>
#include <memory>
#include <string>
#include <vector>

class IMainWindow;
class CSettings;

class CMainFrame {
public:
    explicit CMainFrame(CSettings& settings);
    ~CMainFrame();
    bool Create(const std::string& caption);
    void SetCaption(const std::string& caption);
    std::string Caption() const;

    // A menu command: the frame's own, else each target in the order added (view,
    // document, application). True when someone handled it.
    bool RouteCommand(int id);
    void AddCommandTarget(std::function<bool(int)> target) { m_targets.push_back(std::move(target)); }

private:
    void OnClose();

    CSettings& m_settings;
    std::unique_ptr<IMainWindow> m_window;
    std::vector<std::function<bool(int)>> m_targets;
};
