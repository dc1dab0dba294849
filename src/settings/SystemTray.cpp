#include "SystemTray.h"

#include "../platform/Platform.h"
#include "../../res/strings.h"
#include "../system/FileSystem.h"

class CSystemTray::Events : public IWindowEvents {
public:
    explicit Events(CSystemTray& tray) : m_tray(tray) {}
    bool OnAppMessage(const AppMessage& m) override { return m_tray.OnAppMessage(m); }
    bool OnSettingChange(unsigned action) override {
        m_tray.OnSettingChange(action);
        return false; // the platform's own handling goes on
    }

private:
    CSystemTray& m_tray;
};

CSystemTray::CSystemTray() : m_events(std::make_unique<Events>(*this)) {}

CSystemTray::~CSystemTray() { Remove(); }

bool CSystemTray::Create(unsigned callbackMessage, const std::string& tip, int iconResource, unsigned id,
                         bool hidden) {
    m_port = PortOrNull<ITrayPort>();
    if (!m_port) return false;
    IWindowKit& kit = Port<IWindowKit>();
    m_window = kit.MakeWindow(WindowDesc{"OrvantaTray", false}, *m_events);
    if (!m_window) {
        m_port = nullptr;
        return false;
    }
    m_taskbarCreated = kit.RegisterMessage(kTaskbarCreated);
    m_id = id;
    m_callback = callbackMessage;
    m_port->Prepare(*m_window, callbackMessage, id, tip.substr(0, 127), iconResource);
    m_hidden = hidden;
    m_removed = true;
    if (!hidden) m_removed = !m_port->Add();
    // An icon the shell refused (no taskbar yet) is added when the taskbar announces
    // itself.
    m_pending = m_removed && !hidden;
    return !m_removed;
}

bool CSystemTray::SetIcon(int iconResource) {
    if (!m_port) return false;
    return m_port->SetIconResource(iconResource, !m_removed);
}

std::string CSystemTray::DateIconLibraryPath() {
    // Never by its bare name: that is looked up in the current folder, which is
    // another one when the program starts at log-on.
    const std::string folder = EFileSystem::DirectoryPart(EFileSystem::ProgramFilePath(false));
    return folder.empty() ? std::string() : EFileSystem::Join(folder, kDateIconLibrary);
}

void CSystemTray::SetIconBySetting(int systrayIco, int dayOfMonth) {
    if (!m_port) return;
    if (systrayIco == 0 && dayOfMonth >= 1 && dayOfMonth <= 31) {
        const std::string library = DateIconLibraryPath();
        if (!library.empty() && m_port->SetIconFromLibrary(library, dayOfMonth - 1, !m_removed)) return;
    }
    m_port->SetIconResource(IDR_MAINFRAME, !m_removed);
}

void CSystemTray::SetMenuDefaultItem(unsigned item, bool byPosition) {
    m_defaultItem = item;
    m_defaultByPosition = byPosition;
}

void CSystemTray::Remove() {
    if (!m_port || m_removed) return;
    m_port->Remove();
    m_removed = true;
    m_hidden = true;
}

bool CSystemTray::OnAppMessage(const AppMessage& m) {
    if (m.msg == m_callback) {
        OnNotify(static_cast<unsigned>(m.wParam), static_cast<unsigned>(m.lParam));
        return true;
    }
    if (m_taskbarCreated != 0 && m.msg == m_taskbarCreated) {
        // The shell restarted: every icon it had is gone, ours included.
        m_removed = true;
        AddAgain();
        return true;
    }
    return false;
}

void CSystemTray::OnSettingChange(unsigned action) {
    if (action == kSettingWorkArea && m_removed) AddAgain();
}

void CSystemTray::RetryAdd() {
    if (m_removed) AddAgain();
}

void CSystemTray::AddAgain() {
    if (!m_port || m_hidden) return;
    m_removed = !m_port->Add();
    m_pending = m_removed;
}

void CSystemTray::OnNotify(unsigned id, unsigned mouseMsg) {
    if (id != m_id) return;
    IWindow* target = m_target;
    if (!target) return;
    IWindowKit& kit = Port<IWindowKit>();
    if (mouseMsg == Msg::RButtonUp) {
        MenuRequest menu;
        menu.menuId = static_cast<int>(m_id);
        menu.submenu = 0;
        menu.defaultItem = m_defaultItem;
        menu.defaultByPosition = m_defaultByPosition;
        if (m_checkedItems) menu.checked = m_checkedItems();
        kit.TrackMenu(menu, *target);
    } else if (mouseMsg == Msg::LButtonDblClk) {
        target->SetForeground();
        unsigned command = m_defaultItem;
        if (m_defaultByPosition) command = kit.MenuItemId(static_cast<int>(m_id), 0, static_cast<int>(m_defaultItem));
        if (command != 0) target->Send(Msg::Command, command, 0);
    }
}
