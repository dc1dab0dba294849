#pragma once
// The substitute store in Outlook's place: an automation port that hands out the
// store's application object (the tests, the test programs and the manual's picture
// tool serve Outlook this way).
#include <memory>
#include <string>

#include "../../platform/AutomationPort.h"
#include "SubstituteOutlook.h"

class StorePort : public IAutomationPort {
public:
    std::shared_ptr<CSubstituteOutlook> store;
    long CreateOutlook(AutoObjectPtr& app) override {
        app = store ? store->Application() : nullptr;
        return store ? 0 : AutoCode::ClassNotRegistered;
    }
    bool StartOle() override { return true; }
    void StopOle() override {}
    std::string ErrorText(long) override { return std::string(); }
};
