#pragma once
// The program's only link to Outlook: connection, Outlook's own options, and the
// reads of appointments, tasks and mail folders that every refresh makes.
#include <string>

#include "../util/OleDateTime.h"
#include "../automation/AutoValue.h"

class CAppointments;
class CMailFolders;
class CSettings;
class CTasks;
class IAutomationPort;
class IRegistryPort;

class COutlookEngine {
public:
    explicit COutlookEngine(CSettings& settings);
    virtual ~COutlookEngine();
    COutlookEngine(const COutlookEngine&) = delete;
    COutlookEngine& operator=(const COutlookEngine&) = delete;

    int Connect();
    bool IsConnected() const { return m_connected; }
    bool EnsureConnected();
    // Connected and holding Outlook's namespace: the reads can return data.
    bool CanRead() const { return m_connected && m_namespace != nullptr; }

    void ReadOutlookOptions(CSettings& settings);
    int ReadAppointments(CAppointments& dayList, const COleDateTime& dayStart, const COleDateTime& dayEnd,
                         const COleDateTime& today);
    int ReadTasks(CTasks& tasks, const COleDateTime& now);
    int ReadMailFolders(CMailFolders& folders);

    void NewAppointment() { NewItem(1, "_AppointmentItem"); }
    void NewTask() { NewItem(3, "_TaskItem"); }
    void NewMail() { NewItem(0, "_MailItem"); }
    void OpenAppointment(const std::string& entryId) { OpenItem(entryId, "_AppointmentItem"); }
    void OpenTask(const std::string& entryId) { OpenItem(entryId, "_TaskItem"); }

    // Found at each connection attempt.
    int OfficeVersion() const { return m_officeVersion; }
    const std::string& OutlookKey() const { return m_outlookKey; }

    // The system's text for a result code without its line end, or the fallbacks.
    static std::string ComErrorText(long code);
    // "12.0" of "12.0.6300.5000"; empty with fewer than two full stops.
    static std::string VersionPart(const std::string& versionText);

private:
    void ShowComError(const CAutoError& e);
    AutoObjectPtr DefaultFolder(int which);
    void NewItem(int kind, const char* iface);
    // Display, then bring the item's window forward.
    void Show(const AutoObjectPtr& item);
    void OpenItem(const std::string& entryId, const char* iface);
    void Release();
    // The installed Office's major version: the first of 15 down to 6 whose Outlook
    // key exists for the user; 0 when none does.
    void FindOfficeVersion();

    AutoObjectPtr m_outbox, m_inbox, m_drafts, m_storeRoot, m_calendar;
    AutoObjectPtr m_application, m_namespace, m_currentItems;
    int m_officeVersion = 0;
    std::string m_outlookKey;
    bool m_connected = false;
    CSettings& m_settings;
};
