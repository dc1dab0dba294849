#include "Platform.h"

#include <chrono>

#include "../util/LocaleValues.h"
#include "../util/OleDateTime.h"

namespace {
Ports g_installed; // none until main (or a test program) installs them
} // namespace

Ports& CurrentPorts() { return g_installed; }

void InstallPorts(const Ports& ports) { g_installed = ports; }

COleDateTime LocalNow() {
    const long long secs = std::chrono::duration_cast<std::chrono::seconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    ILocalePort* locale = PortOrNull<ILocalePort>();
    if (!locale || !locale->LocalTime(secs, y, mo, d, h, mi, s)) {
        COleDateTime invalid;
        invalid.SetStatus(COleDateTime::invalid);
        return invalid;
    }
    return COleDateTime(y, mo, d, h, mi, s);
}

CLocaleValues LocaleValues(const std::string& name) {
    ILocalePort* port = PortOrNull<ILocalePort>();
    return port ? CLocaleValues(port->Open(name)) : CLocaleValues();
}
