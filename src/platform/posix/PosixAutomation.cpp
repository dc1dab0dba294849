#include "PosixAutomation.h"

long CPosixAutomationPort::CreateOutlook(AutoObjectPtr& application) {
    application.reset();
    m_failure.clear();
    if (!m_connection) return AutoCode::ClassNotRegistered;
    long rc = m_connection(application, m_failure);
    if (rc != 0) application.reset();
    else m_failure.clear();
    return rc;
}

std::string CPosixAutomationPort::ErrorText(long code) {
    // The texts Windows gives for the codes this port and the store produce.
    switch (code) {
    case AutoCode::ClassNotRegistered: return "Class not registered\r\n";
    case AutoCode::ServerExecFailed: return "Server execution failed\r\n";
    case AutoCode::UnknownName: return "Unknown name.\r\n";
    case AutoCode::TypeMismatch: return "Type mismatch.\r\n";
    case AutoCode::Exception: return "Exception occurred.\r\n";
    case AutoCode::BadParamCount: return "Invalid number of parameters.\r\n";
    case AutoCode::InvalidArg: return "The parameter is incorrect.\r\n";
    default: return std::string();
    }
}
