#include "../Platform.h"
#include "Win32Automation.h"
#include "Win32Locale.h"
#include "Win32Mutex.h"
#include "Win32Registry.h"
#include "Win32System.h"
#include "Win32Ui.h"

Ports& RealPorts() {
    static CWin32Registry registry;
    static CWin32SystemPort system;
    static CWin32MutexPort mutexes;
    static CWin32UiPort ui;
    static CWin32LocalePort locale;
    static CWin32AutomationPort automation;
    static Ports ports{&registry, &system, &mutexes, &ui, &locale, &automation};
    return ports;
}
