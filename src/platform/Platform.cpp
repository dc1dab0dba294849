#include "Platform.h"

namespace {
Ports* g_current = nullptr;
}

Ports& CurrentPorts() {
    if (!g_current) g_current = &RealPorts();
    return *g_current;
}

ScopedPorts::ScopedPorts(const Ports& ports) : m_saved(CurrentPorts()) {
    Ports& cur = CurrentPorts();
    if (ports.registry) cur.registry = ports.registry;
    if (ports.system) cur.system = ports.system;
    if (ports.mutexes) cur.mutexes = ports.mutexes;
    if (ports.ui) cur.ui = ports.ui;
    if (ports.locale) cur.locale = ports.locale;
    if (ports.automation) cur.automation = ports.automation;
}

ScopedPorts::~ScopedPorts() { CurrentPorts() = m_saved; }
