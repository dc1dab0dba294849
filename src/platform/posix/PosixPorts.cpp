#include <malloc.h>
#include <stdlib.h>

#include "../Platform.h"
#include "PosixArtwork.h"
#include "PosixCommandChannel.h"
#include "PosixAutomation.h"
#include "PosixCanvas.h"
#include "PosixDialogs.h"
#include "PosixFilePort.h"
#include "PosixHttpPort.h"
#include "PosixLocale.h"
#include "PosixMutex.h"
#include "PosixRegistry.h"
#include "PosixSystem.h"
#include "PosixWallpaper.h"
#include "PosixWindowKit.h"

Ports& RealPorts() {
    // The program runs all day and makes a screen-sized picture now and then: blocks of
    // a megabyte or more get pages of their own, which go back to the system as soon as
    // they are freed, instead of the heap keeping the largest size it has seen.
    static const bool bigBlocksMapped = ::mallopt(M_MMAP_THRESHOLD, 1 << 20) != 0;
    (void)bigBlocksMapped;
    static CPosixFileRegistry registry(CPosixFileRegistry::DefaultDirectory());
    static CPosixWindowKit windows;
    static CPosixSystemPort system(&windows);
    static CPosixMutexPort mutexes;
    static CPosixLocalePort locale;
    static CPosixAutomationPort automation;
    static CPosixDialogPort dialogs;
    static CPosixArtworkPort artwork;
    static CPosixCanvasFactory canvas;
    static CPosixWallpaperPort wallpaper;
    static CPosixCommandChannel commands(windows, CPosixMutexPort::DefaultDirectory());
    static CPosixFilePort files;
    // Feeds: the system's certificates, and those of CURL_CA_BUNDLE as the curl tool reads it.
    static CPosixHttpPort http(::getenv("CURL_CA_BUNDLE") ? ::getenv("CURL_CA_BUNDLE") : "");
    // No tray, top windows, desktop, lock port or splash on Linux.
    static Ports ports{&registry, &system,   &mutexes, &locale,  &automation, &dialogs, &windows, nullptr, &canvas,
                       &artwork,  &wallpaper, &commands, nullptr, nullptr,     nullptr,  nullptr,  &files, &http};
    return ports;
}

