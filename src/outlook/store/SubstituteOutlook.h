#pragma once
// A stand-in for Outlook's object model, loaded from a JSON store file (see
// docs/store-format.md), with the members the engine uses. It expands
// recurrences, answers Restrict and Sort, and records the display, open and new
// actions it receives so that tests and users can see them.
#include <cstdint>
#include <functional>
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
    // Called with each action as it is recorded (the test server writes its log file).
    void SetActionSink(std::function<void(const std::string&)> sink);

    // Member calls answered (property gets and puts, method calls and interface
    // requests) by every object handed out: across processes each is a round trip.
    long Calls() const;
    void ResetCalls();

    // Outlook closed: every object handed out so far answers each member with
    // RPC_E_DISCONNECTED (and offers no interface) from now on, also after Restart.
    void Disconnect();
    // Outlook started again: Application() hands out live objects again.
    void Restart();
    bool Running() const;
    // Whether the inspector's menu holds the entry 1987 that jumps the calendar to a day.
    void SetMenuEntry(bool present);
    // Explorer windows opened on the folder so far.
    int ExplorerWindows(const std::string& folderId) const;
    // Appointments added with Items.Add whose inspector has not been closed.
    int PendingItems() const;
    // Saved appointments with this subject, in every folder.
    int CountSubject(const std::string& subject) const;
    // Raises code on every call of the named member ("GetDefaultFolder"); empty: none.
    void FailMember(const std::string& member, long code);

    struct State;
    explicit CSubstituteOutlook(std::shared_ptr<State> state);

private:
    std::shared_ptr<State> m_state;
};
