#include "OutlookEngine.h"

#include <cstdio>

#include "../platform/Platform.h"
#include "../settings/Settings.h"
#include "../util/LocaleValues.h"
#include "../util/Parser.h"
#include "../settings/Registry.h"
#include "Appointments.h"
#include "MailFolders.h"
#include "Tasks.h"

namespace {
const char kNoOutlookText[] =
    "\n\nOrvanta could not initiate COM interface communication with Outlook.\nEither Outlook is not installed on "
    "this computer or it is installed but returned an error for this attempt.\nIn the latter case please try again.";

IDialogPort& Ui() { return Port<IDialogPort>(); }
} // namespace

COutlookEngine::COutlookEngine(CSettings& settings) : m_settings(settings) {}

void COutlookEngine::FindOfficeVersion() {
    m_officeVersion = 0;
    for (int n = 15; n >= 6; --n) {
        CRegistry reg;
        if (reg.Open(RegRoot::CurrentUser, "Software\\Microsoft\\Office\\" + std::to_string(n) + ".0\\Outlook\\")) {
            m_officeVersion = n;
            break;
        }
    }
}

COutlookEngine::~COutlookEngine() { Release(); }

void COutlookEngine::Release() {
    m_currentItems.reset();
    m_namespace.reset();
    m_application.reset();
    m_calendar.reset();
    m_storeRoot.reset();
    m_drafts.reset();
    m_inbox.reset();
    m_outbox.reset();
}

std::string COutlookEngine::ComErrorText(long code) {
    IAutomationPort* port = PortOrNull<IAutomationPort>();
    std::string text = port ? port->ErrorText(code) : std::string();
    if (!text.empty()) {
        if (text.back() == '\n') text.pop_back();
        if (!text.empty() && text.back() == '\r') text.pop_back();
        return text;
    }
    char buf[64];
    unsigned long u = static_cast<unsigned long>(code) & 0xFFFFFFFFul;
    if (u >= 0x80040201ul && u <= 0x8004FFFFul)
        std::snprintf(buf, sizeof buf, "IDispatch error #%lu", u - 0x80040200ul);
    else
        std::snprintf(buf, sizeof buf, "Unknown error 0x%0lX", u);
    return buf;
}

std::string COutlookEngine::VersionPart(const std::string& v) {
    size_t first = v.find('.');
    if (first == std::string::npos) return std::string();
    size_t second = v.find('.', first + 1);
    if (second == std::string::npos) return std::string();
    return v.substr(0, second);
}

void COutlookEngine::ShowComError(const CAutoError& e) { Ui().ShowMessageBox(ComErrorText(e.Code()), "Orvanta", MsgBox::Ok); }

int COutlookEngine::Connect() {
    FindOfficeVersion();
    if (m_officeVersion == 7 || m_officeVersion == 8) {
        Ui().ShowMessageBox("Warning! Orvanta does not support Outlook 97", "Orvanta", MsgBox::Ok);
        return 1;
    }
    IAutomationPort* port = PortOrNull<IAutomationPort>();
    try {
        m_application.reset();
        long rc = port ? port->CreateOutlook(m_application) : AutoCode::ClassNotRegistered;
        if (rc == AutoCode::ServerExecFailed) {
            m_application.reset();
            rc = port->CreateOutlook(m_application);
        }
        if (rc != 0 || !m_application) {
            m_application.reset();
            char head[64];
            std::snprintf(head, sizeof head, "COM interface error code: %d\n", static_cast<int>(rc));
            std::string text = head;
            if (port) text += port->ErrorText(rc);
            text += kNoOutlookText;
            Ui().ShowMessageBox(text, "Orvanta", MsgBox::Ok | MsgBox::IconWarning);
            return 1;
        }
        m_application = AsInterface(m_application, "_Application");
        if (!m_application) throw CAutoError(AutoCode::InvalidArg, "not an Outlook application");
        m_settings.m_outlookVersion = m_application->Get("Version").AsString();
        m_namespace = m_application->Call("GetNamespace", {CAutoValue::String("MAPI")}).AsObject();
    } catch (const CAutoError& e) {
        ShowComError(e);
        return 0;
    } catch (const std::exception&) {
        Ui().ShowMessageBox(" CException at OutlookEngine.Conntect()", "Orvanta", MsgBox::Ok);
        return 0;
    }
    auto guarded = [&](AutoObjectPtr& slot, auto get) {
        try {
            slot = get();
        } catch (const CAutoError&) {
            slot.reset();
        }
    };
    guarded(m_inbox, [&] { return DefaultFolder(6); });
    guarded(m_outbox, [&] { return DefaultFolder(4); });
    guarded(m_drafts, [&] { return DefaultFolder(16); });
    guarded(m_storeRoot, [&] { return m_inbox ? AsInterface(m_inbox->Get("Parent").AsObject(), "MAPIFolder") : nullptr; });
    guarded(m_calendar, [&] { return DefaultFolder(9); });
    return 1;
}

bool COutlookEngine::EnsureConnected() {
    if (m_connected) return true;
    m_connected = Connect() == 1;
    return m_connected;
}

AutoObjectPtr COutlookEngine::DefaultFolder(int which) {
    if (!m_namespace) throw CAutoError(AutoCode::Exception, "not connected to Outlook");
    return AsInterface(m_namespace->Call("GetDefaultFolder", {CAutoValue::Int(which)}).AsObject(), "MAPIFolder");
}

void COutlookEngine::ReadOutlookOptions(CSettings& s) {
    const std::string version = VersionPart(s.m_outlookVersion);
    m_outlookKey = "Software\\Microsoft\\Office\\" + version + "\\Outlook\\";
    CRegistry reg;
    s.m_outlookFolderPaths.clear();
    if (reg.Open(RegRoot::CurrentUser, m_outlookKey + "Today\\Folders")) {
        for (int i = 0; i < 30; ++i) {
            std::string path;
            if (reg.ReadText(std::to_string(i), path, 250)) s.m_outlookFolderPaths.push_back(path);
        }
    }
    if (s.m_outlookFolderPaths.empty()) s.m_outlookFolderPaths = {"inbox", "drafts", "outbox"};

    if (reg.Open(RegRoot::CurrentUser, m_outlookKey + "Today\\")) {
        auto text = [&](const char* name, const std::string& absent) {
            std::string v;
            return reg.ReadText(name, v, 250) ? v : absent;
        };
        int days = EParser::ParseInt(text("CalDays", ""));
        s.m_calDays = days >= 1 && days <= 7 ? days : 5;
        s.m_taskSortKey1 = text("Sort1", "[DueDate]");
        s.m_taskSortAscending1 = text("Sort1Asc", "") == "True";
        s.m_taskSortKey2 = text("Sort2", "~");
        s.m_taskSortAscending2 = text("Sort2Asc", "") == "True";
        s.m_includeNoDueDate = text("IncNoDueDate", "True") == "True";
        s.m_taskFilter = text("TaskFilter", "All");
    }
    if (reg.Open(RegRoot::CurrentUser, m_outlookKey + "options\\Calendar\\")) {
        int32_t first = 0;
        reg.ReadNumber("FirstDOW", first);
        s.m_outlookFirstDayOfWeek = first == 0 ? 6 : (first - 1 >= 0 && first - 1 <= 6 ? first - 1 : 6);
        int32_t mask = 124;
        reg.ReadNumber("WorkDay", mask);
        s.m_workDayMask = mask;
        int32_t week = s.m_firstWeekOfYear;
        if (reg.ReadNumber("FirstWOY", week)) s.m_firstWeekOfYear = week;
    }
}

int COutlookEngine::ReadAppointments(CAppointments& dayList, const COleDateTime& dayStart, const COleDateTime& dayEnd,
                                     const COleDateTime& today) {
    dayList.m_dayStart = dayStart;
    dayList.m_dayEnd = dayEnd;
    // Without a namespace (Outlook missing, or the Outlook 97 warning) the connection
    // message has been shown once; every later read fails quietly.
    if (!m_namespace) return 0;
    try {
        AutoObjectPtr calendar = DefaultFolder(9);
        m_currentItems = calendar ? calendar->Get("Items").AsObject() : nullptr;
        if (!m_currentItems) return 0;
        CLocaleValues locale = LocaleValues();
        dayList.Read(*m_currentItems, today, locale);
        return 1;
    } catch (const CAutoError& e) {
        ShowComError(e);
        return 0;
    }
}

int COutlookEngine::ReadTasks(CTasks& tasks, const COleDateTime& now) {
    if (!m_namespace) return 0;
    try {
        AutoObjectPtr folder = DefaultFolder(13);
        m_currentItems = folder ? folder->Get("Items").AsObject() : nullptr;
        if (!m_currentItems) return 0;
        tasks.Read(*m_currentItems, m_settings, now);
        return 1;
    } catch (const std::exception&) {
        return 0; // a failing task read is not reported
    }
}

int COutlookEngine::ReadMailFolders(CMailFolders& list) {
    if (!m_namespace) return 0;
    const CLocaleValues locale = LocaleValues(); // default folders are named in the user's language
    try {
        for (const std::string& path : m_settings.m_outlookFolderPaths) {
            std::vector<std::string> parts = CMailFolders::SplitPath(path);
            if (parts.empty()) continue;
            AutoObjectPtr found;
            AutoObjectPtr level = m_storeRoot ? m_storeRoot->Get("Folders").AsObject() : nullptr;
            for (size_t i = 1; i < parts.size() && level; ++i) {
                found.reset();
                for (AutoObjectPtr f = level->Call("GetFirst", {}).AsObject(); f; f = level->Call("GetNext", {}).AsObject()) {
                    if (f->Get("Name").AsString() == parts[i]) {
                        found = f;
                        break;
                    }
                }
                if (found) level = found->Get("Folders").AsObject();
            }
            if (found && parts.size() > 1) {
                list.Add(*found);
                continue;
            }
            const std::string first = locale.ToLower(parts[0]);
            for (const AutoObjectPtr& d : {m_inbox, m_outbox, m_drafts})
                if (d && locale.ToLower(d->Get("Name").AsString()) == first) list.Add(*d);
        }
        return 1;
    } catch (const CAutoError& e) {
        ShowComError(e);
        return 0;
    }
}

void COutlookEngine::Show(const AutoObjectPtr& item) {
    if (!item) return; // not of the expected kind: nothing to show
    item->Call("Display", {CAutoValue::Missing()});
    AutoObjectPtr inspector = item->Call("GetInspector", {}).AsObject();
    if (inspector) inspector->Call("Activate", {});
}

void COutlookEngine::NewItem(int kind, const char* iface) {
    try {
        if (!m_application) return;
        Show(AsInterface(m_application->Call("CreateItem", {CAutoValue::Int(kind)}).AsObject(), iface));
    } catch (const CAutoError& e) {
        ShowComError(e);
    }
}

void COutlookEngine::OpenItem(const std::string& entryId, const char* iface) {
    try {
        if (!m_namespace) return;
        Show(AsInterface(
            m_namespace->Call("GetItemFromID", {CAutoValue::String(entryId), CAutoValue::Missing()}).AsObject(), iface));
    } catch (const CAutoError& e) {
        ShowComError(e);
    }
}
