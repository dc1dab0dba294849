#pragma once
// Outlook on Linux: whatever the program connects to when the ports are assembled
// (the substitute Outlook store), behind the automation interface.
//
// Implements: OLE start-up as a no-op; creating the application through the
//   connection handed in (none: "class not registered"), with the connection's own
//   words for a failure; the texts Windows gives for the result codes the store
//   produces.
// Does not implement: COM.
#include <functional>

#include "../AutomationPort.h"

class CPosixAutomationPort : public IAutomationPort {
public:
    // 0 with the application, or a result code with what went wrong in failure.
    using Connection = std::function<long(AutoObjectPtr& application, std::string& failure)>;

    explicit CPosixAutomationPort(Connection connection = {}) : m_connection(std::move(connection)) {}
    void SetConnection(Connection connection) { m_connection = std::move(connection); }

    bool StartOle() override { return true; }
    void StopOle() override {}
    bool OutlookInstalled() override { return static_cast<bool>(m_connection); }
    long CreateOutlook(AutoObjectPtr& application) override;
    std::string ErrorText(long code) override;
    std::string FailureText() override { return m_failure; }

private:
    Connection m_connection;
    std::string m_failure; // of the last CreateOutlook
};
