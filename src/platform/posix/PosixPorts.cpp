#include "../Platform.h"
#include "PosixAutomation.h"
#include "PosixLocale.h"
#include "PosixMutex.h"
#include "PosixRegistry.h"
#include "PosixSystem.h"
#include "PosixUi.h"

Ports& RealPorts() {
    static CPosixFileRegistry registry(CPosixFileRegistry::DefaultDirectory());
    static CPosixSystemPort system;
    static CPosixMutexPort mutexes;
    static CPosixUiPort ui;
    static CPosixLocalePort locale;
    static CPosixAutomationPort automation;
    static Ports ports{&registry, &system, &mutexes, &ui, &locale, &automation};
    return ports;
}
