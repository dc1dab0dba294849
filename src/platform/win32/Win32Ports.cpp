#include "../Platform.h"
#include "Win32Artwork.h"
#include "Win32Automation.h"
#include "Win32Canvas.h"
#include "Win32Desktop.h"
#include "Win32DesktopLock.h"
#include "Win32Dialogs.h"
#include "Win32FilePort.h"
#include "Win32HttpPort.h"
#include "Win32Locale.h"
#include "Win32Mutex.h"
#include "Win32Registry.h"
#include "Win32Splash.h"
#include "Win32System.h"
#include "Win32Tray.h"
#include "Win32Wallpaper.h"
#include "Win32TopWindows.h"
#include "Win32WindowKit.h"

Ports& RealPorts() {
    static CWin32Registry registry;
    static CWin32SystemPort system;
    static CWin32MutexPort mutexes;
    static CWin32LocalePort locale;
    static CWin32AutomationPort automation;
    static CWin32DialogPort dialogs;
    static CWin32WindowKit windows;
    static CWin32ArtworkPort artwork;
    static CWin32CanvasFactory canvas;
    static CWin32TrayPort tray;
    static CWin32WallpaperPort wallpaper;
    static CWin32TopWindows topWindows;
    static CWin32DesktopPort desktop;
    static CWin32DesktopLock desktopLock;
    static CWin32SplashPort splash;
    static CWin32FilePort files;
    static CWin32HttpPort http;
    static Ports ports{&registry, &system, &mutexes, &locale, &automation, &dialogs, &windows, &tray, &canvas,
                       &artwork, &wallpaper, nullptr, &topWindows, &desktop, &desktopLock, &splash, &files, &http};
    return ports;
}
