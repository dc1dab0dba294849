#pragma once
// Outlook through COM automation: IDispatch late binding behind the automation
// interface.
//
// Implements: OLE start-up with a message filter that retries rejected calls quietly
//   for 30 s instead of showing the server-busy dialogs; creating Outlook.Application ({0006F03A-0000-0000-C000-000000000046})
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
    long CreateOutlook(AutoObjectPtr& application) override;
    std::string ErrorText(long code) override;
    // Creates any automation object by its ProgID ("Scripting.Dictionary"); for tests and tools.
    static long CreateByProgId(const std::string& progId, AutoObjectPtr& object);
    // Wraps an IDispatch pointer (taking a reference of its own).
    static AutoObjectPtr Wrap(IDispatch* dispatch);
};
