#pragma once
// Outlook on Linux: whatever the program connects to when the ports are assembled
// (the substitute Outlook store), behind the automation interface.
//
// Implements: OLE start-up as a no-op; creating the application through the
//   connection handed in (none: "class not registered"); the texts Windows gives
//   for the result codes the store produces.
// Does not implement: COM.
#include <functional>

#include "../AutomationPort.h"

class CPosixAutomationPort : public IAutomationPort {
public:
    using Connection = std::function<long(AutoObjectPtr& application)>;

    explicit CPosixAutomationPort(Connection connection = {}) : m_connection(std::move(connection)) {}
    void SetConnection(Connection connection) { m_connection = std::move(connection); }

    bool StartOle() override { return true; }
    void StopOle() override {}
    long CreateOutlook(AutoObjectPtr& application) override;
    std::string ErrorText(long code) override;

private:
    Connection m_connection;
};
