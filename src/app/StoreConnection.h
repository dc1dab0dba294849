#pragma once
// Where the Linux program finds Outlook's data: the substitute Outlook store file
// named by $ORVANTA_STORE, else by the value "Outlook Store" in the program's key,
// else the sample store beside the program (examples/sample-store.json).
#include <memory>
#include <string>

#include "../automation/AutoValue.h"

class CLiveStore;
class CSubstituteOutlook;

class CStoreConnection {
public:
    // The store file the program would use now.
    static std::string StorePath();
    // Loads the store and hands out its application object, which follows the file
    // when it changes: 0, or "class not registered" after a message on standard error
    // saying what is wrong with the file.
    long Connect(AutoObjectPtr& application);
    // The store behind the last application handed out (its action log), or null.
    std::shared_ptr<CSubstituteOutlook> Store() const;

private:
    std::shared_ptr<CLiveStore> m_live;
};
