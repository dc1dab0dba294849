#pragma once
// Reaching Outlook's automation object and the system's texts for result codes.
#include <string>

#include "../outlook/AutoValue.h"

class IAutomationPort {
public:
    virtual ~IAutomationPort() = default;
    // Creates and runs Outlook's application object; 0 or the failing step's result code.
    virtual long CreateOutlook(AutoObjectPtr& application) = 0;
    // The system's text for a result code (language neutral), empty when it has none.
    virtual std::string ErrorText(long code) = 0;
};
