#pragma once
// Outlook through COM automation: IDispatch late binding behind the automation
// interface.
//
// Implements: OLE start-up with a message filter that retries calls rejected as busy
//   (SERVERCALL_RETRYLATER) quietly for 10 s, then lets them fail with their error,
//   and never shows the server-busy or not-responding dialogs; the same retry for a
//   call that comes back RPC_E_SERVERCALL_RETRYLATER or RPC_E_CALL_REJECTED (Wine); creating Outlook.Application ({0006F03A-0000-0000-C000-000000000046})
//   with CoCreateInstance (context 23), OleRun and a request for _Application;
//   property get and put and method calls by name (GetIDsOfNames + Invoke); asking an
//   object for Outlook's interfaces by their interface ids; FormatMessageW texts.
// Does not implement: events, type-library lookups, named arguments.
#include "../AutomationPort.h"

struct IDispatch;

class CWin32AutomationPort : public IAutomationPort {
public:
    bool StartOle() override;
    void StopOle() override;
    bool OutlookInstalled() override;
    long CreateOutlook(AutoObjectPtr& application) override;
    std::string ErrorText(long code) override;
    // Creates any automation object by its ProgID ("Scripting.Dictionary"); for tests and tools.
    static long CreateByProgId(const std::string& progId, AutoObjectPtr& object);
    // How long a call rejected as busy is retried before it fails (10 s; tests shorten it).
    static constexpr unsigned kDefaultBusyLimitMs = 10000;
    static void SetBusyLimitMs(unsigned ms);
    static unsigned BusyLimitMs();
    // Wraps an IDispatch pointer (taking a reference of its own).
    static AutoObjectPtr Wrap(IDispatch* dispatch);
};
