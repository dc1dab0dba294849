#pragma once
// The ports of the running build. Each build links exactly one implementation of
// RealPorts(); tests may put other ports in place with ScopedPorts.
#include "AutomationPort.h"
#include "LocalePort.h"
#include "MutexPort.h"
#include "RegistryPort.h"
#include "SystemPort.h"
#include "UiPort.h"

struct Ports {
    IRegistryPort* registry = nullptr;
    ISystemPort* system = nullptr;
    IMutexPort* mutexes = nullptr;
    IUiPort* ui = nullptr;
    ILocalePort* locale = nullptr;
    IAutomationPort* automation = nullptr;
};

Ports& RealPorts();
Ports& CurrentPorts();

// Replaces the current ports for its lifetime (fields left null keep the current ones).
class ScopedPorts {
public:
    explicit ScopedPorts(const Ports& ports);
    ~ScopedPorts();
    ScopedPorts(const ScopedPorts&) = delete;
    ScopedPorts& operator=(const ScopedPorts&) = delete;

private:
    Ports m_saved;
};
