#pragma once
// A stand-in for Outlook's object model, loaded from a JSON store file (see
// docs/store-format.md), with the members the engine uses. It expands
// recurrences, answers Restrict and Sort, and records the display, open and new
// actions it receives so that tests and users can see them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "../../automation/AutoValue.h"

class CSubstituteOutlook {
public:
    // Loads text; on a fault returns null and error names the place ("/folders/2/start: ...").
    // today is the day "today" means in relative dates (an OLE date, whole day).
    static std::shared_ptr<CSubstituteOutlook> Load(const std::string& json, double today, std::string& error);
    // Reads a regular file of at most kMaxFileBytes.
    static constexpr uintmax_t kMaxFileBytes = 64u << 20;
    static std::shared_ptr<CSubstituteOutlook> LoadFile(const std::string& path, double today, std::string& error);

    AutoObjectPtr Application();
    // "Display 00000001", "GetInspector", "Activate", "CreateItem 1", ... in order.
    const std::vector<std::string>& Actions() const;

    struct State;
    explicit CSubstituteOutlook(std::shared_ptr<State> state);

private:
    std::shared_ptr<State> m_state;
};
