#pragma once
// The program's only link to Outlook: connection, Outlook's own options, and the
// reads of appointments, tasks and mail folders that every refresh makes.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "../util/OleDateTime.h"
#include "../automation/AutoValue.h"

#include "../settings/OutlookOptions.h"

class CAppointments;
class CMailFolders;
class CSettings;
class CTasks;
class IAutomationPort;
class IRegistryPort;

class COutlookEngine {
public:
    // Outlook's numbers of its default folders (GetDefaultFolder's argument).
    enum DefaultFolderId { Outbox = 4, Inbox = 6, Calendar = 9, Contacts = 10, Tasks = 13, Drafts = 16 };
    // The engine reads the settings (the Today page's folders, the task order) and
    // never writes them.
    explicit COutlookEngine(const CSettings& settings);
    virtual ~COutlookEngine();
    COutlookEngine(const COutlookEngine&) = delete;
    COutlookEngine& operator=(const COutlookEngine&) = delete;

    int Connect();
    bool IsConnected() const { return m_connected; }
    bool EnsureConnected();
    // Connected and holding Outlook's namespace: the reads can return data.
    bool CanRead() const { return m_connected && m_namespace != nullptr; }

    // Called by the document before the reads of every refresh. A connection lost to
    // Outlook closing (or never made because Outlook could not be started) is made again,
    // without any message, when kReconnectSeconds have passed since the last attempt; a
    // busy Outlook that made the previous refresh give up is asked again.
    void BeginRefresh();
    static constexpr double kReconnectSeconds = 60.0;
    // Seconds on a steady clock; tests set their own.
    void SetClock(std::function<double()> seconds) { m_seconds = std::move(seconds); }
    // The connection was lost and is tried again by BeginRefresh.
    bool ConnectionLost() const { return m_lost; }
    // Result codes that mean Outlook's process is gone (the objects are disconnected).
    static bool IsDisconnection(long code);
    // Result codes of a call Outlook rejected as busy for longer than the message filter waits.
    static bool IsBusy(long code);

    // Outlook's options from Outlook's keys for the version connected to; what a key
    // does not hold stays as the settings have it. The caller puts them into the settings.
    OutlookOptions ReadOutlookOptions();
    // Outlook's Version text, read at connection ("" before).
    const std::string& Version() const { return m_version; }
    int ReadAppointments(CAppointments& dayList, const COleDateTime& dayStart, const COleDateTime& dayEnd,
                         const COleDateTime& today);
    int ReadTasks(CTasks& tasks, const COleDateTime& now);
    int ReadMailFolders(CMailFolders& folders);

    // The same reads at a fraction of the calls, from Outlook 2007 (version 12) on: the
    // tasks and the single appointments from tables (CItemTable), the recurring ones
    // through the item collection for the shown days (CCalendarReader). Before 12, or
    // when a table call fails, the read is made by the walk above. The lists come out as
    // the walk gives them.
    int ReadTasksBulk(CTasks& tasks, const COleDateTime& now);
    // Each list's m_dayStart and m_dayEnd are set by the caller.
    int ReadCalendarBulk(std::span<CAppointments> days, const COleDateTime& today);
    // As ReadMailFolders, walking each folder level once, and keeping the folders found
    // for UpdateMailCounts.
    int ReadMailFoldersKept(CMailFolders& folders);
    // The numbers of the folders the last ReadMailFoldersKept found, read again from the
    // folder objects kept (one call a folder). 1 when read, 0 after an error; changed
    // tells whether a number moved.
    int UpdateMailCounts(CMailFolders& folders, bool& changed);
    bool HasTables() const;

    // Whether the tasks or the calendar folder (Tasks, Calendar) changed since the last
    // look: its item count, or an item modified at or after the latest modification
    // seen. The first look, a failed one and one after a reconnection say changed.
    bool SourceChanged(DefaultFolderId which);
    // Outlook's events (ItemAdd, ItemChange, ItemRemove of the calendar's and the task
    // folder's items; FolderChange of the folders above the mail folders shown) only
    // mark what changed; nothing is asked of Outlook inside an event. The subscriptions
    // live as long as the connection. TakeChanged tells, once, whether the source had
    // an event since the last call; ChangesPending whether any source has.
    enum class Source { Tasks, Calendar, MailFolders };
    bool TakeChanged(Source which);
    bool ChangesPending() const { return m_changed != 0; }
    // Counts the connections made; the program's data are read in full after each.
    unsigned Connections() const { return m_connections; }

    void NewAppointment() { NewItem(1, "_AppointmentItem"); }
    void NewTask() { NewItem(3, "_TaskItem"); }
    void NewMail() { NewItem(0, "_MailItem"); }
    void OpenAppointment(const std::string& entryId) { OpenItem(entryId, "_AppointmentItem", Calendar); }
    void OpenTask(const std::string& entryId) { OpenItem(entryId, "_TaskItem", Tasks); }

    // Opening folders and windows in Outlook. A COM error is shown with its
    // text (a disconnection releases the connection quietly, as the reads do).
    void OpenFolder(const std::string& folderId);
    void OpenContacts();
    // The day as a whole day number (the date value without its fraction). From
    // Outlook 2007 (version 12) the calendar's explorer goes there with its view's
    // GoToDate; before, a temporary "Orvanta helper" appointment's inspector jumps the
    // calendar there through the menu entry 1987, and is then discarded unsaved.
    void OpenCalendarAtDay(int64_t dayNumber);
    static constexpr int kGoToDateVersion = 12;
    // The major number of Outlook's Version text (16 of "16.0.4266.1001"); 0 before.
    int MajorVersion() const;
    // Brings Outlook's main window forward (CWindowsEnumer), or starts Outlook.
    void StartOutlook() { FindOrStartOutlook(true); }
    // Looks for Outlook's main window, bringing it forward when asked, and starts
    // Outlook only when there is none. Needs no connection (the frame calls it before
    // the document exists).
    static void FindOrStartOutlook(bool bringForward);
    // Outlook's main window was last closed maximised: the "Frame" text of
    // "<Outlook key>Office Explorer".
    bool WasOutlookMaximised();
    // At least 27 characters, "2" at position 17 and "3" at position 25.
    static bool FrameMeansMaximised(const std::string& frame);

    // Found at each connection attempt.
    int OfficeVersion() const { return m_officeVersion; }
    const std::string& OutlookKey() const { return m_outlookKey; }

    // The system's text for a result code without its line end, or the fallbacks.
    static std::string ComErrorText(long code);
    // "12.0" of "12.0.6300.5000"; empty with fewer than two full stops.
    static std::string VersionPart(const std::string& versionText);

private:
    void ShowComError(const CAutoError& e);
    // A disconnection releases everything quietly; a busy Outlook is reported once per
    // refresh and ends the refresh's reads. True when e was one of those.
    bool HandledQuietly(const CAutoError& e);
    void Disconnected();
    // Before a user's action: a lost connection is tried again (same rate as the refresh).
    void ReconnectIfDue();
    AutoObjectPtr DefaultFolder(DefaultFolderId which);
    void NewItem(int kind, const char* iface);
    // Display, then bring the item's window forward.
    void Show(const AutoObjectPtr& item);
    // The item is looked up in the store of the default folder that holds it.
    void OpenItem(const std::string& entryId, const char* iface, DefaultFolderId folder);
    // The StoreID of a default folder, or missing when Outlook gives none.
    CAutoValue StoreIdOf(DefaultFolderId which);
    void OpenCalendarView(int64_t dayNumber);
    void Release();
    // One new explorer on the folder: Display, maximised when Outlook was, Activate.
    AutoObjectPtr ShowExplorer(const AutoObjectPtr& folder, bool maximised);
    // The installed Office's major version: the first of 15 down to 6 whose Outlook
    // key exists for the user; 0 when none does.
    void FindOfficeVersion();

    // What SourceChanged saw of a folder: the item count and the items modified in the
    // latest minute seen (entry id and time), with that minute.
    struct SourceState {
        bool known = false;
        int count = -1;
        long long minute = 0;
        std::set<std::pair<std::string, double>> latest;
    };
    std::map<int, SourceState> m_sources;
    // A mail folder found by ReadMailFoldersKept and whether its number is its item count.
    struct KeptFolder {
        AutoObjectPtr folder;
        bool countsItems = false;
    };
    std::vector<KeptFolder> m_keptFolders;
    // Subscriptions to Outlook's events with the objects that raise them.
    struct Subscription {
        AutoObjectPtr source;
        std::shared_ptr<void> token;
    };
    std::vector<Subscription> m_itemEvents, m_folderEvents;
    unsigned m_changed = 0; // bits of Source
    void Listen(std::vector<Subscription>& into, const AutoObjectPtr& source, const char* events, Source marks);
    unsigned m_connections = 0;
    // The attachment names of an item, opened by its entry id.
    std::vector<std::string> AttachmentsOf(const std::string& entryId);
    // A read that failed: quiet for a disconnection or a busy Outlook, false for an
    // error the walk can try again.
    bool TableFailure(const CAutoError& e);

    AutoObjectPtr m_outbox, m_inbox, m_drafts, m_storeRoot, m_calendar;
    AutoObjectPtr m_application, m_namespace, m_currentItems;
    int m_officeVersion = 0;
    std::string m_outlookKey;
    bool m_connected = false;
    bool m_lost = false;      // connection to be made again by BeginRefresh
    bool m_quiet = false;     // a reconnection: a failed creation shows nothing
    bool m_busy = false;      // this refresh gave up on a busy Outlook
    double m_lastAttempt = 0; // clock of the latest connection attempt
    std::function<double()> m_seconds;
    const CSettings& m_settings;
    std::string m_version;
};
