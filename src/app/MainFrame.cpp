#include "MainFrame.h"

#include "../platform/Platform.h"
#include "../settings/Settings.h"

CMainFrame::CMainFrame(CSettings& settings) : m_settings(settings) {}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::Create(const std::string& caption) {
    m_window = Port<IWindowKit>().CreateMainWindow(caption, [this] { OnClose(); });
    return m_window != nullptr;
}

void CMainFrame::SetCaption(const std::string& caption) {
    if (!m_window) return;
    m_window->SetCaption(caption);
    m_window->Update();
}

std::string CMainFrame::Caption() const { return m_window ? m_window->Caption() : std::string(); }

bool CMainFrame::RouteCommand(int id) {
    for (const auto& target : m_targets)
        if (target(id)) return true;
    return false;
}

void CMainFrame::OnClose() {
    // What the user changed while the program ran is kept for the next start.
    m_settings.Save();
}
