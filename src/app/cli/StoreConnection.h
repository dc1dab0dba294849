#pragma once
// Where the Linux program finds Outlook's data: the substitute Outlook store file
// named by $ORVANTA_STORE, else by the value "Outlook Store" in the program's key,
// else the sample store beside the program (examples/sample-store.json).
#include <memory>
#include <string>

#include "../../automation/AutoValue.h"

class CLiveStore;
class CSubstituteOutlook;

class CStoreConnection {
public:
    struct Location {
        std::string path;
        std::string namedBy; // why the path is looked at: "ORVANTA_STORE names it", ...
        bool sample = false; // the sample week beside the program, which nothing named
    };
    // Whether the program's key lists a shown calendar source (a file, folder or feed):
    // then the sample week is not read in the place of Outlook.
    static bool SourcesConfigured();
    // The store file the program would use now, and what named it.
    static Location FindStore();
    static std::string StorePath() { return FindStore().path; }
    // Loads the store (not the sample when calendar sources are configured) and hands out its application object, which follows the file
    // when it changes: 0, or "class not registered" with failure saying that the
    // store file could not be read, why, and where it was looked for.
    long Connect(AutoObjectPtr& application, std::string& failure);
    // The store behind the last application handed out (its action log), or null.
    std::shared_ptr<CSubstituteOutlook> Store() const;

private:
    std::shared_ptr<CLiveStore> m_live;
};
