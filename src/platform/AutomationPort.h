#pragma once
// Reaching Outlook's automation object, OLE start-up, and the system's texts for
// result codes.
//
// win32: OleInitialize with a message filter that never shows the server-busy
//   dialogs; CoCreateInstance, OleRun and IDispatch late binding; FormatMessageW;
//   Outlook counts as installed when its class id is registered.
// posix: the substitute Outlook store that the program names when the ports are
//   assembled (installed: a store is named); the texts Windows gives for the codes
//   the store produces.
#include <string>

#include "../automation/AutoValue.h"

class IAutomationPort {
public:
    virtual ~IAutomationPort() = default;
    // Starts OLE for this thread; false when it cannot be started.
    virtual bool StartOle() = 0;
    virtual void StopOle() = 0;
    // Whether Outlook's application class is registered, so that CreateOutlook can be
    // expected to reach it (asked without starting it). A port that cannot tell says
    // yes: Outlook's row is then offered, and a connection that fails says so itself.
    virtual bool OutlookInstalled() { return true; }
    // Creates and runs Outlook's application object; 0 or the failing step's result code.
    virtual long CreateOutlook(AutoObjectPtr& application) = 0;
    // The system's text for a result code (language neutral), empty when it has none.
    virtual std::string ErrorText(long code) = 0;
    // The whole message for the last failed CreateOutlook when the port can say in the
    // user's terms what went wrong (shown instead of the result code and its system
    // text); empty when it cannot.
    virtual std::string FailureText() { return std::string(); }
};
