#pragma once
// The tray icon: adds it, changes its picture, removes it, listens for the shell's
// restart, and turns mouse actions on it into the menu or a command to its target.
// The shell calls go through the tray port; the hidden window that receives the
// icon's notifications comes from the window kit.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CSettings;
class IWindow;
class ITrayPort;
class IWindowEvents;
struct AppMessage;

class CSystemTray {
public:
    static constexpr unsigned kCallbackMessage = 0x8001; // WM_APP + 1
    static constexpr const char* kTaskbarCreated = "TaskbarCreated";
    static constexpr const char* kDateIconLibrary = "bw.icl";
    static constexpr unsigned kSettingWorkArea = 0x002F; // SPI_SETWORKAREA

    CSystemTray();
    ~CSystemTray();
    CSystemTray(const CSystemTray&) = delete;
    CSystemTray& operator=(const CSystemTray&) = delete;

    // Creates the hidden window and adds the icon unless hidden. False when there is
    // no tray on this platform, or the shell refused the icon.
    bool Create(unsigned callbackMessage, const std::string& tip, int iconResource, unsigned id, bool hidden);
    bool SetIcon(int iconResource);
    // The date icon of the day (index day - 1 of "bw.icl" beside the program) for
    // "Systray Ico" 0, else (or when the library gives none) the program icon.
    void SetIconBySetting(int systrayIco, int dayOfMonth);
    // The full path of "bw.icl" in the program's folder; empty when the program's own
    // path cannot be found.
    static std::string DateIconLibraryPath();
    // Setting the same pair again does nothing.
    void SetMenuDefaultItem(unsigned item, bool byPosition);
    void SetTargetWindow(IWindow* target) { m_target = target; }
    void Remove();
    // Adds an icon the shell refused (or lost) again; the owner calls it now and then,
    // since not every shell announces a new taskbar (Wine never does).
    void RetryAdd();

    // The commands the menu shows checked, asked for each time the menu opens, so the
    // marks follow every change of the state they show, whoever made it.
    void SetCheckedItems(std::function<std::vector<unsigned>()> items) { m_checkedItems = std::move(items); }

    bool Supported() const { return m_port != nullptr; }
    bool Hidden() const { return m_hidden; }
    bool Removed() const { return m_removed; }
    bool Pending() const { return m_pending; }
    unsigned DefaultItem() const { return m_defaultItem; }
    bool DefaultByPosition() const { return m_defaultByPosition; }
    unsigned Id() const { return m_id; }
    unsigned TaskbarCreatedMessage() const { return m_taskbarCreated; }
    IWindow* Window() const { return m_window.get(); }

    // The hidden window's events (public for the window's events object): the icon's
    // callback and the shell's restart; a changed work area adds a lost icon again.
    bool OnAppMessage(const AppMessage& m);
    void OnSettingChange(unsigned action);

private:
    void OnNotify(unsigned id, unsigned mouseMsg);
    void AddAgain();

    class Events;
    std::unique_ptr<Events> m_events;
    std::unique_ptr<IWindow> m_window;
    ITrayPort* m_port = nullptr;
    IWindow* m_target = nullptr;
    unsigned m_id = 0;
    unsigned m_callback = kCallbackMessage;
    unsigned m_taskbarCreated = 0;
    unsigned m_defaultItem = 0;
    bool m_defaultByPosition = true;
    bool m_hidden = true;
    bool m_removed = true;
    bool m_pending = false;
    std::function<std::vector<unsigned>()> m_checkedItems;
};
