#pragma once
// The substitute store in Outlook's place: the automation port hands out its
// application object.
#include <memory>
#include <string>

#include "outlook/store/SubstituteOutlook.h"
#include "platform/AutomationPort.h"

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
