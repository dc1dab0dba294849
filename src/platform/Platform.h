#pragma once
// The ports of the running program: assembled once in main, reached by operations
// through Port<T>(), replaced one at a time by tests with ScopedPort<T>. Value types
// and constructors never reach for them.
#include "ArtworkPort.h"
#include "AutomationPort.h"
#include "CanvasPort.h"
#include "CommandChannel.h"
#include "DesktopPort.h"
#include "DesktopLockPort.h"
#include "DialogPort.h"
#include "FilePort.h"
#include "HttpPort.h"
#include "LocalePort.h"
#include "MutexPort.h"
#include "RegistryPort.h"
#include "SplashPort.h"
#include "SystemPort.h"
#include "TopWindowsPort.h"
#include "TrayPort.h"
#include "WallpaperPort.h"
#include "WindowKit.h"

struct Ports {
    IRegistryPort* registry = nullptr;
    ISystemPort* system = nullptr;
    IMutexPort* mutexes = nullptr;
    ILocalePort* locale = nullptr;
    IAutomationPort* automation = nullptr;
    IDialogPort* dialogs = nullptr;
    IWindowKit* windows = nullptr;
    ITrayPort* tray = nullptr;
    ICanvasFactory* canvas = nullptr;
    IArtworkPort* artwork = nullptr;
    IWallpaperPort* wallpaper = nullptr;
    ICommandChannel* commands = nullptr;
    ITopWindowsPort* topWindows = nullptr; // Outlook's main window; none on posix
    IDesktopPort* desktop = nullptr;       // hook, icon test, tooltip, pop-up; none on posix
    IDesktopLockPort* desktopLock = nullptr; // none on posix
    ISplashPort* splash = nullptr;           // none on posix
    IFilePort* files = nullptr;
    IHttpPort* http = nullptr; // calendar feeds

    template <typename P>
    P*& Slot();
};

template <> inline IRegistryPort*& Ports::Slot<IRegistryPort>() { return registry; }
template <> inline ISystemPort*& Ports::Slot<ISystemPort>() { return system; }
template <> inline IMutexPort*& Ports::Slot<IMutexPort>() { return mutexes; }
template <> inline ILocalePort*& Ports::Slot<ILocalePort>() { return locale; }
template <> inline IAutomationPort*& Ports::Slot<IAutomationPort>() { return automation; }
template <> inline IDialogPort*& Ports::Slot<IDialogPort>() { return dialogs; }
template <> inline IWindowKit*& Ports::Slot<IWindowKit>() { return windows; }
template <> inline ITrayPort*& Ports::Slot<ITrayPort>() { return tray; }
template <> inline ICanvasFactory*& Ports::Slot<ICanvasFactory>() { return canvas; }
template <> inline IArtworkPort*& Ports::Slot<IArtworkPort>() { return artwork; }
template <> inline IWallpaperPort*& Ports::Slot<IWallpaperPort>() { return wallpaper; }
template <> inline ICommandChannel*& Ports::Slot<ICommandChannel>() { return commands; }
template <> inline ITopWindowsPort*& Ports::Slot<ITopWindowsPort>() { return topWindows; }
template <> inline IDesktopPort*& Ports::Slot<IDesktopPort>() { return desktop; }
template <> inline IDesktopLockPort*& Ports::Slot<IDesktopLockPort>() { return desktopLock; }
template <> inline ISplashPort*& Ports::Slot<ISplashPort>() { return splash; }
template <> inline IFilePort*& Ports::Slot<IFilePort>() { return files; }
template <> inline IHttpPort*& Ports::Slot<IHttpPort>() { return http; }

// The platform's own ports (each build links one implementation).
Ports& RealPorts();
// The ports in use: none until main (or a test program) installs them.
Ports& CurrentPorts();
void InstallPorts(const Ports& ports);

// The port of type P in use; a port that does not exist on this platform is null.
template <typename P>
P* PortOrNull() {
    return CurrentPorts().Slot<P>();
}
template <typename P>
P& Port() {
    return *CurrentPorts().Slot<P>();
}

// Puts one port in place for its lifetime, and the previous one back after.
template <typename P>
class ScopedPort {
public:
    explicit ScopedPort(P& port) : m_saved(CurrentPorts().Slot<P>()) { CurrentPorts().Slot<P>() = &port; }
    ~ScopedPort() { CurrentPorts().Slot<P>() = m_saved; }
    ScopedPort(const ScopedPort&) = delete;
    ScopedPort& operator=(const ScopedPort&) = delete;

private:
    P* m_saved;
};

// The local time now, by the locale port's clock.
class COleDateTime;
COleDateTime LocalNow();

// The locale values of the user's default locale (empty name) or of a named one.
class CLocaleValues;
CLocaleValues LocaleValues(const std::string& name = std::string());
