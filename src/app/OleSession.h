#pragma once
// OLE for the calling thread for as long as the object lives: started by the
// constructor, stopped by the destructor only when it did start.
#include "../platform/AutomationPort.h"

class COleSession {
public:
    explicit COleSession(IAutomationPort& port) : m_port(port), m_started(port.StartOle()) {}
    ~COleSession() {
        if (m_started) m_port.StopOle();
    }
    COleSession(const COleSession&) = delete;
    COleSession& operator=(const COleSession&) = delete;
    bool Started() const { return m_started; }

private:
    IAutomationPort& m_port;
    const bool m_started;
};
