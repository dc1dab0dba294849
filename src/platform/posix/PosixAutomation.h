#pragma once
// Outlook on Linux: the substitute Outlook store, loaded from a JSON store file.
//
// Implements: the application object of the store named by $ORVANTA_STORE, else by
//   the value "Outlook Store" in the program's settings key, else the sample store
//   beside the program (examples/sample-store.json). A store that cannot be loaded is
//   reported on standard error and counts as "class not registered". Texts for result
//   codes are the Windows texts of the codes the store produces.
#include <memory>

#include "../AutomationPort.h"

class CSubstituteOutlook;

class CPosixAutomationPort : public IAutomationPort {
public:
    long CreateOutlook(AutoObjectPtr& application) override;
    std::string ErrorText(long code) override;
    // The store file the program would use now.
    static std::string StorePath();
    // The store behind the last application created (its action log), or null.
    std::shared_ptr<CSubstituteOutlook> Store() const { return m_store; }

private:
    std::shared_ptr<CSubstituteOutlook> m_store;
};
