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

    // Edits as the user makes them in Outlook while the program runs; each stamps what
    // it touches with a new LastModificationTime. An item is given as in the store file
    // (an appointment or a task object). False, with the reason, when the item or the
    // folder does not exist or the item cannot be read.
    // The folder with that role ("calendar"), else the first with that name; "" when none.
    std::string FolderId(const std::string& roleOrName) const;
    bool AddItem(const std::string& folderId, const std::string& itemJson, std::string& idOut, std::string& error);
    // The item gets the new fields and keeps its entry id.
    bool ReplaceItem(const std::string& entryId, const std::string& itemJson, std::string& error);
    bool RemoveItem(const std::string& entryId);
    bool MoveItem(const std::string& entryId, const std::string& folderId);
    bool SetCounts(const std::string& folderId, int unread, int items);
    // Whether the store raises its item and folder events (ItemAdd, ItemChange,
    // ItemRemove to the Items of the folder edited, FolderChange to the Folders that
    // hold a folder whose counts changed); on at the start.
    void SetEvents(bool on);
    // Entry ids of the appointments (kind 1) or tasks (kind 3) of every folder, in order.
    std::vector<std::string> ItemIds(int kind) const;

    struct State;
    explicit CSubstituteOutlook(std::shared_ptr<State> state);

private:
    std::shared_ptr<State> m_state;
};
