#include "OutlookEngine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "../platform/Platform.h"
#include "../settings/Settings.h"
#include "../util/LocaleValues.h"
#include "../util/Parser.h"
#include "../system/Registry.h"
#include "Appointments.h"
#include "CalendarReader.h"
#include "ItemTable.h"
#include "MailFolders.h"
#include "Tasks.h"
#include "WindowsEnumer.h"

namespace {
const char kNoOutlookText[] =
    "\n\nOrvanta could not initiate COM interface communication with Outlook.\nEither Outlook is not installed on "
    "this computer or it is installed but returned an error for this attempt.\nIn the latter case please try again.";

IDialogPort& Ui() { return Port<IDialogPort>(); }

// A missing interface or a null object from Outlook ends an action as a pointer error.
constexpr long kPointerError = static_cast<long>(0x80004003); // E_POINTER
AutoObjectPtr Required(const AutoObjectPtr& o, const char* iface) {
    AutoObjectPtr r = AsInterface(o, iface);
    if (!r) throw CAutoError(kPointerError, std::string("no ") + iface);
    return r;
}

constexpr int kOlMaximized = 0, kOlNormalWindow = 2, kOlDiscard = 1;
constexpr int kMenuPopupId = 30004, kGoToDayId = 1987;
} // namespace

COutlookEngine::COutlookEngine(const CSettings& settings)
    : m_seconds([] {
          return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
      }),
      m_settings(settings) {}

bool COutlookEngine::IsDisconnection(long code) {
    switch (code) {
    case AutoCode::Disconnected:
    case AutoCode::ServerUnavailable:
    case AutoCode::CallFailed:
    case AutoCode::CallFailedDne:
    case AutoCode::ObjectNotConnected:
    case AutoCode::ServerDied:
    case AutoCode::ServerDiedDne:
    case AutoCode::ConnectionTerminated:
    case AutoCode::ServerStopping: return true;
    default: return false;
    }
}

bool COutlookEngine::IsBusy(long code) { return code == AutoCode::CallRejected || code == AutoCode::RetryLater; }

void COutlookEngine::Disconnected() {
    Release();
    m_connected = false;
    m_lost = true;
}

bool COutlookEngine::HandledQuietly(const CAutoError& e) {
    if (IsDisconnection(e.Code())) {
        Disconnected();
        return true;
    }
    if (IsBusy(e.Code())) {
        if (!m_busy) ShowComError(e);
        m_busy = true;
        return true;
    }
    return false;
}

void COutlookEngine::ReconnectIfDue() {
    if (!m_lost || m_seconds() - m_lastAttempt < kReconnectSeconds) return;
    m_quiet = true;
    const int rc = Connect();
    m_quiet = false;
    m_connected = rc == 1 && m_namespace != nullptr;
    if (rc != 1) Release();
}

void COutlookEngine::BeginRefresh() {
    m_busy = false;
    ReconnectIfDue();
}

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
    m_itemEvents.clear(); // the subscriptions first, while their sources are alive
    m_folderEvents.clear();
    m_changed = 0;
    m_keptFolders.clear();
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
    m_lastAttempt = m_seconds();
    m_lost = false;
    FindOfficeVersion();
    if (m_officeVersion == 7 || m_officeVersion == 8) {
        if (!m_quiet) Ui().ShowMessageBox("Warning! Orvanta does not support Outlook 97", "Orvanta", MsgBox::Ok);
        return 1;
    }
    IAutomationPort* port = PortOrNull<IAutomationPort>();
    try {
        Release(); // a reconnection starts from nothing
        m_application.reset();
        long rc = port ? port->CreateOutlook(m_application) : AutoCode::ClassNotRegistered;
        if (rc == AutoCode::ServerExecFailed) {
            m_application.reset();
            rc = port->CreateOutlook(m_application);
        }
        if (rc != 0 || !m_application) {
            m_application.reset();
            // Tried again later; the message is shown at the first attempt only.
            m_lost = true;
            // Without an Outlook installed, shown calendar sources are the data: nothing
            // to say (they tell their own problems).
            const bool sourcesInstead =
                rc == AutoCode::ClassNotRegistered &&
                std::any_of(m_settings.m_sources.begin(), m_settings.m_sources.end(), [](const CCalendarSource& s) {
                    return s.shown && s.kind != CCalendarSource::Kind::Maildir;
                });
            if (m_quiet || sourcesInstead) return 1;
            std::string text = port ? port->FailureText() : std::string();
            if (text.empty()) {
                char head[64];
                std::snprintf(head, sizeof head, "COM interface error code: %d\n", static_cast<int>(rc));
                text = head;
                if (port) text += port->ErrorText(rc);
                text += kNoOutlookText;
            }
            Ui().ShowMessageBox(text, "Orvanta", MsgBox::Ok | MsgBox::IconWarning);
            return 1;
        }
        m_application = AsInterface(m_application, "_Application");
        if (!m_application) throw CAutoError(AutoCode::InvalidArg, "not an Outlook application");
        m_version = m_application->Get("Version").AsString();
        m_namespace = m_application->Call("GetNamespace", {CAutoValue::String("MAPI")}).AsObject();
    } catch (const CAutoError& e) {
        Release();
        if (m_quiet || IsDisconnection(e.Code())) {
            // Outlook went away while it was being connected to: tried again later.
            m_lost = true;
            return m_quiet ? 0 : 1;
        }
        ShowComError(e);
        return 0;
    } catch (const std::exception&) {
        Release();
        if (m_quiet) {
            m_lost = true;
            return 0;
        }
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
    guarded(m_inbox, [&] { return DefaultFolder(Inbox); });
    guarded(m_outbox, [&] { return DefaultFolder(Outbox); });
    guarded(m_drafts, [&] { return DefaultFolder(Drafts); });
    guarded(m_storeRoot, [&] { return m_inbox ? AsInterface(m_inbox->Get("Parent").AsObject(), "MAPIFolder") : nullptr; });
    guarded(m_calendar, [&] { return DefaultFolder(Calendar); });
    ++m_connections;
    m_sources.clear();
    m_keptFolders.clear();
    m_changed = 0;
    // The items of the calendar and the task folder, kept with their subscriptions.
    for (auto [which, marks] : {std::pair{Calendar, Source::Calendar}, std::pair{Tasks, Source::Tasks}}) {
        try {
            AutoObjectPtr folder = DefaultFolder(which);
            if (folder) Listen(m_itemEvents, folder->Get("Items").AsObject(), "ItemsEvents", marks);
        } catch (const CAutoError&) {
            // an Outlook without the folder or its events: the change detection covers it
        }
    }
    return 1;
}

bool COutlookEngine::EnsureConnected() {
    if (m_connected) return true;
    if (m_lost) { // a lost connection is made again quietly, at its own pace
        ReconnectIfDue();
        return m_connected;
    }
    m_connected = Connect() == 1;
    return m_connected;
}

AutoObjectPtr COutlookEngine::DefaultFolder(DefaultFolderId which) {
    if (!m_namespace) throw CAutoError(AutoCode::Exception, "not connected to Outlook");
    return AsInterface(m_namespace->Call("GetDefaultFolder", {CAutoValue::Int(which)}).AsObject(), "MAPIFolder");
}

OutlookOptions COutlookEngine::ReadOutlookOptions() {
    OutlookOptions options = m_settings.m_outlook;
    options.m_outlookVersion = m_version;
    const std::string version = VersionPart(m_version);
    m_outlookKey = "Software\\Microsoft\\Office\\" + version + "\\Outlook\\";
    CRegistry reg;
    options.m_outlookFolderPaths.clear();
    if (reg.Open(RegRoot::CurrentUser, m_outlookKey + "Today\\Folders")) {
        for (int i = 0; i < 30; ++i) {
            std::string path;
            if (reg.ReadText(std::to_string(i), path, 250)) options.m_outlookFolderPaths.push_back(path);
        }
    }
    if (options.m_outlookFolderPaths.empty()) options.m_outlookFolderPaths = {"inbox", "drafts", "outbox"};

    if (reg.Open(RegRoot::CurrentUser, m_outlookKey + "Today\\")) {
        auto text = [&](const char* name, const std::string& absent) {
            std::string v;
            return reg.ReadText(name, v, 250) ? v : absent;
        };
        int days = EParser::ParseInt(text("CalDays", ""));
        options.m_calDays = days >= 1 && days <= 7 ? days : 5;
        options.m_taskSortKey1 = text("Sort1", "[DueDate]");
        options.m_taskSortAscending1 = text("Sort1Asc", "") == "True";
        options.m_taskSortKey2 = text("Sort2", "~");
        options.m_taskSortAscending2 = text("Sort2Asc", "") == "True";
        options.m_includeNoDueDate = text("IncNoDueDate", "True") == "True";
        options.m_taskFilter = text("TaskFilter", "All");
    }
    if (reg.Open(RegRoot::CurrentUser, m_outlookKey + "options\\Calendar\\")) {
        int32_t first = 0;
        reg.ReadNumber("FirstDOW", first);
        options.m_outlookFirstDayOfWeek = first == 0 ? 6 : (first - 1 >= 0 && first - 1 <= 6 ? first - 1 : 6);
        int32_t mask = 124;
        reg.ReadNumber("WorkDay", mask);
        options.m_workDayMask = mask;
        int32_t week = options.m_firstWeekOfYear;
        if (reg.ReadNumber("FirstWOY", week)) options.m_firstWeekOfYear = week;
    }
    return options;
}

int COutlookEngine::ReadAppointments(CAppointments& dayList, const COleDateTime& dayStart, const COleDateTime& dayEnd,
                                     const COleDateTime& today) {
    dayList.m_dayStart = dayStart;
    dayList.m_dayEnd = dayEnd;
    // Without a namespace (Outlook missing, or the Outlook 97 warning) the connection
    // message has been shown once; every later read fails quietly.
    if (!m_namespace || m_busy) return 0;
    try {
        AutoObjectPtr calendar = DefaultFolder(Calendar);
        m_currentItems = calendar ? calendar->Get("Items").AsObject() : nullptr;
        if (!m_currentItems) return 0;
        CLocaleValues locale = LocaleValues();
        dayList.Read(*m_currentItems, today, locale);
        return 1;
    } catch (const CAutoError& e) {
        if (!HandledQuietly(e)) ShowComError(e);
        return 0;
    }
}

int COutlookEngine::ReadTasks(CTasks& tasks, const COleDateTime& now) {
    if (!m_namespace || m_busy) return 0;
    try {
        AutoObjectPtr folder = DefaultFolder(Tasks);
        m_currentItems = folder ? folder->Get("Items").AsObject() : nullptr;
        if (!m_currentItems) return 0;
        tasks.Read(*m_currentItems, m_settings, now);
        return 1;
    } catch (const CAutoError& e) {
        HandledQuietly(e); // other errors of a task read are not reported
        return 0;
    } catch (const std::exception&) {
        return 0; // a failing task read is not reported
    }
}

int COutlookEngine::ReadMailFolders(CMailFolders& list) {
    if (!m_namespace || m_busy) return 0;
    const CLocaleValues locale = LocaleValues(); // default folders are named in the user's language
    try {
        for (const std::string& path : m_settings.m_outlook.m_outlookFolderPaths) {
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
        if (!HandledQuietly(e)) ShowComError(e);
        return 0;
    }
}

// ---- bulk reads and change detection ------------------------------------------

void COutlookEngine::Listen(std::vector<Subscription>& into, const AutoObjectPtr& source, const char* events,
                            Source marks) {
    if (!source) return;
    try {
        std::shared_ptr<void> token = source->Advise(events, [this, marks](const std::string&) {
            m_changed |= 1u << static_cast<unsigned>(marks);
        });
        if (token) into.push_back({source, std::move(token)});
    } catch (const CAutoError& e) {
        // Without the events the change detection still sees every change, a little later.
        if (IsDisconnection(e.Code()) || IsBusy(e.Code())) throw;
    }
}

bool COutlookEngine::TakeChanged(Source which) {
    const unsigned bit = 1u << static_cast<unsigned>(which);
    const bool changed = (m_changed & bit) != 0;
    m_changed &= ~bit;
    return changed;
}

std::vector<std::string> COutlookEngine::AttachmentsOf(const std::string& entryId) {
    AutoObjectPtr item =
        m_namespace->Call("GetItemFromID", {CAutoValue::String(entryId), CAutoValue::Missing()}).AsObject();
    return item ? CAppointment::ReadAttachments(*item) : std::vector<std::string>();
}

bool COutlookEngine::HasTables() const { return MajorVersion() >= CItemTable::kFirstVersion; }

bool COutlookEngine::TableFailure(const CAutoError& e) {
    if (IsDisconnection(e.Code())) {
        Disconnected();
        return true;
    }
    if (IsBusy(e.Code())) {
        HandledQuietly(e);
        return true;
    }
    return false;
}

int COutlookEngine::ReadTasksBulk(CTasks& tasks, const COleDateTime& now) {
    if (!m_namespace || m_busy) return 0;
    if (!HasTables()) return ReadTasks(tasks, now);
    try {
        AutoObjectPtr folder = DefaultFolder(Tasks);
        if (!folder) return 0;
        for (const CItemTable::Row& row : CItemTable::Read(*folder, "", CTask::Columns())) {
            const int status = row[CTask::kStatus].AsInt();
            if (!CTasks::Selected(status, status == 2 ? row[CTask::kDateCompleted].AsDate() : 0.0,
                                  row[CTask::kDueDate].AsDate(), m_settings, now))
                continue;
            auto task = std::make_unique<CTask>(CTask::FromRow(row));
            if (row[CTask::kHasAttachments].AsBool()) task->m_attachments = AttachmentsOf(task->m_entryId);
            tasks.Add(std::move(task));
        }
        tasks.Sort(m_settings);
        return 1;
    } catch (const CAutoError& e) {
        if (TableFailure(e)) return 0;
    } catch (const std::exception&) {
    }
    tasks.RemoveAll(); // the walk reads them again
    return ReadTasks(tasks, now);
}

int COutlookEngine::ReadCalendarBulk(std::span<CAppointments> days, const COleDateTime& today) {
    if (!m_namespace || m_busy) return 0;
    auto walk = [&] {
        bool ok = true;
        for (CAppointments& list : days) {
            list.RemoveAll();
            ok = ReadAppointments(list, list.m_dayStart, list.m_dayEnd, today) == 1 && ok;
        }
        return ok ? 1 : 0;
    };
    if (!HasTables()) return walk();
    try {
        AutoObjectPtr calendar = DefaultFolder(Calendar);
        if (!calendar) return 0;
        CCalendarReader(*calendar, [this](const std::string& id) { return AttachmentsOf(id); })
            .Read(days, today, LocaleValues());
        return 1;
    } catch (const CAutoError& e) {
        if (TableFailure(e)) return 0;
    } catch (const std::exception&) {
    }
    return walk();
}

int COutlookEngine::ReadMailFoldersKept(CMailFolders& list) {
    m_keptFolders.clear();
    m_folderEvents.clear();
    if (!m_namespace || m_busy) return 0;
    const CLocaleValues locale = LocaleValues();
    // The folders of each level walked once: (name, folder) in Outlook's order, by the
    // places of the folders above it ("" is the store's top).
    std::map<std::string, std::vector<std::pair<std::string, AutoObjectPtr>>> levels;
    auto level = [&](const std::string& key, const AutoObjectPtr& parent) -> const auto& {
        auto it = levels.find(key);
        if (it != levels.end()) return it->second;
        std::vector<std::pair<std::string, AutoObjectPtr>> children;
        AutoObjectPtr folders = parent ? parent->Get("Folders").AsObject() : nullptr;
        // A folder's counts changing is a FolderChange of the folders it is among (the
        // store's top level is listened to below).
        if (!key.empty()) Listen(m_folderEvents, folders, "FoldersEvents", Source::MailFolders);
        if (folders)
            for (AutoObjectPtr f = folders->Call("GetFirst", {}).AsObject(); f; f = folders->Call("GetNext", {}).AsObject())
                children.emplace_back(f->Get("Name").AsString(), f);
        return levels.emplace(key, std::move(children)).first->second;
    };
    try {
        auto idOf = [&](DefaultFolderId which) {
            try {
                AutoObjectPtr d = DefaultFolder(which);
                return d ? d->Get("EntryID").AsString() : std::string();
            } catch (const CAutoError& e) {
                if (IsDisconnection(e.Code()) || IsBusy(e.Code())) throw;
                return std::string();
            }
        };
        if (m_storeRoot) Listen(m_folderEvents, m_storeRoot->Get("Folders").AsObject(), "FoldersEvents", Source::MailFolders);
        std::string outboxId, draftsId;
        bool idsRead = false;
        auto add = [&](const AutoObjectPtr& folder) {
            if (folder->Get("DefaultItemType").AsInt() != 0) return;
            if (!idsRead) {
                outboxId = idOf(Outbox);
                draftsId = idOf(Drafts);
                idsRead = true;
            }
            auto f = std::make_unique<CMailFolder>();
            f->m_entryId = folder->Get("EntryID").AsString();
            f->m_name = folder->Get("Name").AsString();
            f->m_displayCount = folder->Get("UnReadItemCount").AsInt();
            AutoObjectPtr items = folder->Get("Items").AsObject();
            f->m_itemCount = items ? items->Get("Count").AsInt() : 0;
            const bool countsItems = f->m_entryId == outboxId || f->m_entryId == draftsId;
            if (countsItems) f->m_displayCount = f->m_itemCount;
            m_keptFolders.push_back({folder, countsItems});
            list.Append(std::move(f));
        };
        for (const std::string& path : m_settings.m_outlook.m_outlookFolderPaths) {
            std::vector<std::string> parts = CMailFolders::SplitPath(path);
            if (parts.empty()) continue;
            AutoObjectPtr found, parent = m_storeRoot;
            std::string key;
            bool haveLevel = m_storeRoot != nullptr;
            for (size_t i = 1; i < parts.size() && haveLevel; ++i) {
                found.reset();
                const auto& children = level(key, parent);
                for (size_t k = 0; k < children.size(); ++k) {
                    if (children[k].first == parts[i]) {
                        found = children[k].second;
                        parent = found;
                        key += "/" + std::to_string(k);
                        break;
                    }
                }
                // the walk looks for the next part in the folders below the one found
                if (found) haveLevel = true;
            }
            if (found && parts.size() > 1) {
                add(found);
                continue;
            }
            const std::string firstPart = locale.ToLower(parts[0]);
            for (const AutoObjectPtr& d : {m_inbox, m_outbox, m_drafts})
                if (d && locale.ToLower(d->Get("Name").AsString()) == firstPart) add(d);
        }
        return 1;
    } catch (const CAutoError& e) {
        m_keptFolders.clear();
        if (!HandledQuietly(e)) ShowComError(e);
        return 0;
    }
}

int COutlookEngine::UpdateMailCounts(CMailFolders& list, bool& changed) {
    changed = false;
    if (!m_namespace || m_busy || m_keptFolders.size() != static_cast<size_t>(list.GetCount())) return 0;
    try {
        for (size_t i = 0; i < m_keptFolders.size(); ++i) {
            CMailFolder& f = list.At(static_cast<int>(i));
            const KeptFolder& kept = m_keptFolders[i];
            if (kept.countsItems) {
                AutoObjectPtr items = kept.folder->Get("Items").AsObject();
                const int count = items ? items->Get("Count").AsInt() : 0;
                changed = changed || count != f.m_displayCount;
                f.m_itemCount = f.m_displayCount = count;
            } else {
                const int unread = kept.folder->Get("UnReadItemCount").AsInt();
                changed = changed || unread != f.m_displayCount;
                f.m_displayCount = unread;
            }
        }
        return 1;
    } catch (const CAutoError& e) {
        m_keptFolders.clear();
        if (!HandledQuietly(e)) ShowComError(e);
        return 0;
    }
}

bool COutlookEngine::SourceChanged(DefaultFolderId which) {
    SourceState& state = m_sources[which];
    if (!m_namespace || m_busy || !HasTables()) {
        state.known = false;
        return true;
    }
    try {
        AutoObjectPtr folder = DefaultFolder(which);
        if (!folder) throw CAutoError(AutoCode::Exception, "no such folder");
        AutoObjectPtr items = folder->Get("Items").AsObject();
        const int count = items ? items->Get("Count").AsInt() : 0;
        // The items modified in or after the latest minute seen; a condition holds no seconds.
        std::string filter;
        if (state.known) {
            const COleDateTime since(COleDateTime::FromLinear(static_cast<double>(state.minute) / 1440.0));
            filter = "[LastModificationTime] >= '" + CAppointments::QuotedText(LocaleValues().DateTimeText(since)) + "'";
        }
        std::set<std::pair<std::string, double>> latest;
        long long minute = state.minute;
        for (const CItemTable::Row& row : CItemTable::Read(*folder, filter, {"EntryID", "LastModificationTime"})) {
            const double modified = row[1].AsDate();
            const double v = COleDateTime::ToLinear(modified);
            minute = std::max(minute, static_cast<long long>(v * 1440.0 + (v >= 0 ? 1e-6 : -1e-6)));
            latest.emplace(row[0].AsString(), modified);
        }
        for (auto it = latest.begin(); it != latest.end();) {
            const double v = COleDateTime::ToLinear(it->second);
            it = static_cast<long long>(v * 1440.0 + (v >= 0 ? 1e-6 : -1e-6)) < minute ? latest.erase(it) : std::next(it);
        }
        const bool changed = !state.known || count != state.count || latest != state.latest;
        state.known = true;
        state.count = count;
        state.minute = minute;
        state.latest = std::move(latest);
        return changed;
    } catch (const CAutoError& e) {
        state.known = false;
        TableFailure(e);
        return true;
    } catch (const std::exception&) {
        state.known = false;
        return true;
    }
}

void COutlookEngine::Show(const AutoObjectPtr& item) {
    if (!item) return; // not of the expected kind: nothing to show
    item->Call("Display", {CAutoValue::Missing()});
    AutoObjectPtr inspector = item->Call("GetInspector", {}).AsObject();
    if (inspector) inspector->Call("Activate", {});
}

void COutlookEngine::NewItem(int kind, const char* iface) {
    ReconnectIfDue();
    try {
        if (!m_application) return;
        Show(AsInterface(m_application->Call("CreateItem", {CAutoValue::Int(kind)}).AsObject(), iface));
    } catch (const CAutoError& e) {
        if (IsDisconnection(e.Code())) Disconnected();
        else ShowComError(e);
    }
}

CAutoValue COutlookEngine::StoreIdOf(DefaultFolderId which) {
    try {
        AutoObjectPtr folder = DefaultFolder(which);
        const std::string id = folder ? folder->Get("StoreID").AsString() : std::string();
        if (!id.empty()) return CAutoValue::String(id);
    } catch (const CAutoError& e) {
        if (IsDisconnection(e.Code())) throw;
    }
    return CAutoValue::Missing(); // Outlook then looks in the default store
}

void COutlookEngine::OpenItem(const std::string& entryId, const char* iface, DefaultFolderId folder) {
    ReconnectIfDue();
    try {
        if (!m_namespace) return;
        Show(AsInterface(m_namespace->Call("GetItemFromID", {CAutoValue::String(entryId), StoreIdOf(folder)}).AsObject(),
                         iface));
    } catch (const CAutoError& e) {
        if (IsDisconnection(e.Code())) Disconnected();
        else ShowComError(e);
    }
}

// ---- Opening folders and windows ----------------------------------------

bool COutlookEngine::FrameMeansMaximised(const std::string& frame) {
    return frame.size() >= 27 && frame[17] == '2' && frame[25] == '3';
}

bool COutlookEngine::WasOutlookMaximised() {
    try {
        CRegistry reg;
        // The Outlook key: from Outlook's own version once the options were
        // read (Office 16 is not among the versions the connection scans), else from
        // the installed Office's major version.
        const std::string base = !m_outlookKey.empty()
                                     ? m_outlookKey
                                     : "Software\\Microsoft\\Office\\" + std::to_string(m_officeVersion) + ".0\\Outlook\\";
        const std::string key = base + "Office Explorer";
        std::string frame;
        if (!reg.Open(RegRoot::CurrentUser, key) || !reg.ReadText("Frame", frame, 260)) return false;
        return FrameMeansMaximised(frame);
    } catch (const std::exception&) {
        return false;
    }
}

AutoObjectPtr COutlookEngine::ShowExplorer(const AutoObjectPtr& folder, bool maximised) {
    // GetExplorer makes a new, inactive explorer on the folder: it is the one window
    // shown (Folder.Display would open another).
    AutoObjectPtr explorer = Required(folder->Call("GetExplorer", {CAutoValue::Missing()}).AsObject(), "_Explorer");
    explorer->Call("Display", {});
    if (maximised) explorer->Put("WindowState", CAutoValue::Int(kOlMaximized));
    explorer->Call("Activate", {});
    return explorer;
}

void COutlookEngine::OpenFolder(const std::string& folderId) {
    ReconnectIfDue();
    if (!m_namespace) return;
    try {
        const bool maximised = WasOutlookMaximised();
        AutoObjectPtr folder = Required(
            m_namespace->Call("GetFolderFromID", {CAutoValue::String(folderId), CAutoValue::Missing()}).AsObject(),
            "MAPIFolder");
        ShowExplorer(folder, maximised);
    } catch (const CAutoError& e) {
        if (IsDisconnection(e.Code())) Disconnected();
        else ShowComError(e);
    }
}

void COutlookEngine::OpenContacts() {
    ReconnectIfDue();
    if (!m_namespace) return;
    try {
        const bool maximised = WasOutlookMaximised();
        AutoObjectPtr folder = Required(DefaultFolder(Contacts), "MAPIFolder");
        ShowExplorer(folder, maximised);
    } catch (const CAutoError& e) {
        if (IsDisconnection(e.Code())) Disconnected();
        else ShowComError(e);
    } catch (const std::exception&) {
        // any other failure ends the action without a word
    }
}

void COutlookEngine::OpenCalendarAtDay(int64_t dayNumber) {
    ReconnectIfDue();
    if (!m_namespace) return;
    if (MajorVersion() >= kGoToDateVersion) {
        OpenCalendarView(dayNumber);
        return;
    }
    AutoObjectPtr inspector;
    int width = 0, height = 0, state = kOlNormalWindow;
    bool sized = false;
    try {
        const bool maximised = WasOutlookMaximised();
        // 1-2: the temporary appointment on that day
        AutoObjectPtr calendar = Required(DefaultFolder(Calendar), "MAPIFolder");
        AutoObjectPtr items = Required(calendar->Get("Items").AsObject(), "_Items");
        AutoObjectPtr item = Required(items->Call("Add", {CAutoValue::Missing()}).AsObject(), "_AppointmentItem");
        item->Put("Start", CAutoValue::Date(static_cast<double>(dayNumber)));
        item->Put("Subject", CAutoValue::String("Orvanta helper"));
        // 3: its inspector, tiny and normal
        inspector = Required(item->Call("GetInspector", {}).AsObject(), "_Inspector");
        width = inspector->Get("Width").AsInt();
        height = inspector->Get("Height").AsInt();
        sized = true;
        inspector->Put("Width", CAutoValue::Int(10));
        inspector->Put("Height", CAutoValue::Int(10));
        inspector->Call("Display", {CAutoValue::Bool(false)}); // not modal
        state = inspector->Get("WindowState").AsInt();
        inspector->Put("WindowState", CAutoValue::Int(kOlNormalWindow));
        // 4-5: "Menu Bar" -> pop-up 30004 -> the accessible child 1987
        AutoObjectPtr entry;
        AutoObjectPtr bars = Required(inspector->Get("CommandBars").AsObject(), "_CommandBars");
        AutoObjectPtr menu;
        for (int i = 1, n = bars->Get("Count").AsInt(); i <= n && !menu; ++i) {
            AutoObjectPtr bar = AsInterface(bars->Call("Item", {CAutoValue::Int(i)}).AsObject(), "CommandBar");
            if (bar && EParser::ToLower(bar->Get("Name").AsString()) == "menu bar") menu = bar;
        }
        AutoObjectPtr popup;
        if (menu) {
            AutoObjectPtr controls = Required(menu->Get("Controls").AsObject(), "CommandBarControls");
            for (int i = 1, n = controls->Get("Count").AsInt(); i <= n && !popup; ++i) {
                AutoObjectPtr c = AsInterface(controls->Call("Item", {CAutoValue::Int(i)}).AsObject(), "CommandBarControl");
                if (c && c->Get("Id").AsInt() == kMenuPopupId) popup = c;
            }
        }
        if (popup) {
            for (int i = 1, n = popup->Get("accChildCount").AsInt(); i <= n && !entry; ++i) {
                AutoObjectPtr child =
                    AsInterface(popup->Call("accChild", {CAutoValue::Int(i)}).AsObject(), "CommandBarControl");
                if (child && child->Get("Id").AsInt() == kGoToDayId) entry = child;
            }
        }
        // 6: the calendar's explorer
        AutoObjectPtr explorer = ShowExplorer(calendar, maximised);
        // 7: jump to the day
        if (entry) {
            entry->Call("Execute", {});
            explorer->Call("Activate", {});
        }
        // 8: the inspector as it was, and the appointment discarded
        inspector->Put("Width", CAutoValue::Int(width));
        inspector->Put("Height", CAutoValue::Int(height));
        inspector->Put("WindowState", CAutoValue::Int(state));
        inspector->Call("Close", {CAutoValue::Int(kOlDiscard)});
    } catch (const CAutoError& e) {
        if (IsDisconnection(e.Code())) {
            Disconnected();
            return;
        }
        ShowComError(e);
        // The helper appointment is never left behind open in Outlook.
        try {
            if (inspector) {
                if (sized) {
                    inspector->Put("Width", CAutoValue::Int(width));
                    inspector->Put("Height", CAutoValue::Int(height));
                }
                inspector->Call("Close", {CAutoValue::Int(kOlDiscard)});
            }
        } catch (const std::exception&) {
        }
    } catch (const std::exception&) {
        // any other failure ends the action without a word
    }
}

void COutlookEngine::OpenCalendarView(int64_t dayNumber) {
    try {
        const bool maximised = WasOutlookMaximised();
        AutoObjectPtr calendar = Required(DefaultFolder(Calendar), "MAPIFolder");
        AutoObjectPtr explorer = ShowExplorer(calendar, maximised);
        // The calendar folder's current view is a CalendarView.
        AutoObjectPtr view = explorer->Get("CurrentView").AsObject();
        if (!view) throw CAutoError(kPointerError, "no current view");
        view->Call("GoToDate", {CAutoValue::Date(static_cast<double>(dayNumber))});
    } catch (const CAutoError& e) {
        if (IsDisconnection(e.Code())) Disconnected();
        else ShowComError(e);
    } catch (const std::exception&) {
        // any other failure ends the action without a word
    }
}

int COutlookEngine::MajorVersion() const {
    const std::string part = VersionPart(m_version);
    return part.empty() ? 0 : EParser::ParseInt(part.substr(0, part.find('.')));
}

void COutlookEngine::FindOrStartOutlook(bool bringForward) {
    CWindowsEnumer enumer(bringForward ? CWindowsEnumer::Mode::BringForward : CWindowsEnumer::Mode::FindOnly);
    if (enumer.Search()) return;
    // Without a top-level windows port (Linux) there is no Outlook to start.
    if (PortOrNull<ITopWindowsPort>() && PortOrNull<ISystemPort>())
        Port<ISystemPort>().ShellExecuteVerb("open", "Outlook", "", ShowCmd::Normal);
}
