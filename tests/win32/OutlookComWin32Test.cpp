// The engine over real COM: the substitute store served by fake-outlook.dll,
// registered in the Wine prefix as Outlook.Application and reached through
// CoCreateInstance, OleRun, QueryInterface and IDispatch.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <cmath>
#include <fstream>

#include "OutlookIds.h"
#include "Win32Automation.h"
#include "Win32TestUtil.h"
#include "app/OrvantaDoc.h"
#include "outlook/store/SubstituteOutlook.h"
#include "settings/Settings.h"
#include "unit/FakePorts.h"

namespace {

// Outlook's class id in its registry form, from the one place the program spells it.
const std::wstring kClsid = [] {
    wchar_t text[40] = {};
    StringFromGUID2(kOutlookApplicationClsid, text, 40);
    return std::wstring(text);
}();

// Registers fake-outlook.dll (beside this test program) for the time of one test.
class FakeOutlookRegistration {
public:
    explicit FakeOutlookRegistration(const std::wstring& storePath) {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring dir(self);
        dir.resize(dir.find_last_of(L'\\') + 1);
        SetEnvironmentVariableW(L"ORVANTA_FAKE_OUTLOOK_STORE", storePath.c_str());
        ok = SetHklm(std::wstring(L"CLSID\\") + kClsid + L"\\InprocServer32", nullptr, dir + L"fake-outlook.dll") ==
                 ERROR_SUCCESS &&
             SetHklm(std::wstring(L"CLSID\\") + kClsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment") ==
                 ERROR_SUCCESS &&
             SetHklm(std::wstring(L"CLSID\\") + kClsid + L"\\ProgID", nullptr, L"Outlook.Application") == ERROR_SUCCESS &&
             SetHklm(L"Outlook.Application\\CLSID", nullptr, kClsid) == ERROR_SUCCESS;
    }
    ~FakeOutlookRegistration() {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(L"Software\\Classes\\CLSID\\") + kClsid).c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (std::wstring(L"Software\\Classes\\CLSID\\") + kClsid).c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Outlook.Application");
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Outlook.Application");
        SetEnvironmentVariableW(L"ORVANTA_FAKE_OUTLOOK_STORE", nullptr);
    }
    bool ok = false;
};

// How many of the server's objects are still referenced; -1 when it is not loaded.
long LiveServerObjects() {
    HMODULE server = GetModuleHandleW(L"fake-outlook.dll");
    if (!server) return -1;
    auto live = reinterpret_cast<long(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(server, "FakeOutlookLiveObjects")));
    return live ? live() : -1;
}

TEST(Win32OutlookCom, TheEngineReadsOutlookOverCom) {
    wchar_t tmp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tmp);
    std::wstring store = std::wstring(tmp) + L"orvanta-com-store.json";
    {
        std::ofstream out(store.c_str());
        out << R"({"version": "15.0.4420.1017", "folders": [
            {"name": "Inbox", "role": "inbox", "unread": 6, "items": 20},
            {"name": "Drafts", "role": "drafts", "items": 4},
            {"name": "Outbox", "role": "outbox", "items": 1},
            {"name": "Calendar", "role": "calendar", "appointments": [
                {"subject": "Stand-up", "start": "today-7 09:00", "end": "today-7 09:15", "entryId": "APPT-9",
                 "recurrence": {"type": "daily"}},
                {"subject": "Gr\u00fc\u00dfe", "start": "today 13:00", "end": "today 14:00", "importance": 2,
                 "attachments": ["a.txt", "b.txt"]},
                {"subject": "Trip", "start": "today-1 08:00", "end": "today+1 18:00"}]},
            {"name": "Tasks", "role": "tasks", "tasks": [
                {"subject": "Report", "due": "today-1", "created": "today-4", "percent": 40},
                {"subject": "Later", "created": "today-2"}]}]})";
    }
    FakeOutlookRegistration registration(store);
    ASSERT_TRUE(registration.ok);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        CWin32AutomationPort automation;
        FakeUiPort ui;
        CMemoryRegistry registry;
        ScopedPort<IRegistryPort> withRegistry(registry);
        ScopedPort<IDialogPort> withDialogs(ui);
        ScopedPort<IAutomationPort> withAutomation(automation);
        CSettings settings("Software\\Kestrova\\Orvanta for Outlook\\3.5");
        settings.Open();
        COrvantaDoc doc(settings);
        SYSTEMTIME st;
        GetLocalTime(&st);
        COleDateTime now(st.wYear, st.wMonth, st.wDay, 10, 0, 0);
        doc.m_clock = [now] { return now; };
        ASSERT_TRUE(doc.Engine().EnsureConnected());
        ASSERT_TRUE(ui.boxes.empty()) << ui.boxes[0].text;
        EXPECT_EQ(doc.Engine().Version(), "15.0.4420.1017");
        ASSERT_TRUE(doc.RefreshData()) << (ui.boxes.empty() ? "" : ui.boxes[0].text);
        EXPECT_EQ(doc.Engine().OutlookKey(), "Software\\Microsoft\\Office\\15.0\\Outlook\\");

        const CAppointments& today = doc.Day(0);
        ASSERT_EQ(today.GetCount(), 3);
        EXPECT_EQ(today.GetAt(0).GetSubject(), "Trip");
        EXPECT_TRUE(today.GetAt(0).IsMultiDay());
        EXPECT_EQ(today.GetAt(1).GetSubject(), "Stand-up");
        EXPECT_TRUE(today.GetAt(1).IsRecurring());
        EXPECT_EQ(today.GetAt(1).GetEntryID(), "APPT-9");
        EXPECT_EQ(today.GetAt(2).GetSubject(), "Gr\xC3\xBC\xC3\x9F" "e");
        EXPECT_EQ(today.GetAt(2).GetAttachments(), (std::vector<std::string>{"b.txt", "a.txt"}));
        EXPECT_EQ(today.GetAt(2).FormatStartTime(true), "13:00");
        EXPECT_EQ(today.GetAt(2).GetDuration(), 60);
        for (int d = 1; d < 5; ++d) EXPECT_EQ(doc.Day(d).GetCount(), 1) << d; // the trip only today

        ASSERT_EQ(doc.Tasks().GetCount(), 2);
        EXPECT_EQ(doc.Tasks().GetAt(0).GetSubject(), "Report"); // "[DueDate]" descending: dated first
        EXPECT_EQ(doc.Tasks().GetAt(0).GetPercentComplete(), 40);
        EXPECT_FALSE(doc.Tasks().GetAt(1).HasDueDate());

        ASSERT_EQ(doc.Folders().GetCount(), 3);
        EXPECT_EQ(doc.Folders().GetAt(0).GetDisplayCount(), 6);
        EXPECT_EQ(doc.Folders().GetAt(1).GetDisplayCount(), 4);

        uint32_t crc = doc.LastSignature();
        EXPECT_FALSE(doc.RefreshAndCompare()); // unchanged data
        EXPECT_EQ(doc.LastSignature(), crc);
        doc.Engine().OpenAppointment("APPT-9");
        doc.Engine().NewMail();
        EXPECT_TRUE(ui.boxes.empty()) << ui.boxes[0].text;
        EXPECT_GT(LiveServerObjects(), 0); // the engine holds its folders and namespace
    }
    // With the document gone, every object the server handed out has been released.
    EXPECT_EQ(LiveServerObjects(), 0);

    // A call whose later argument cannot be converted fails before it is made, and
    // the arguments converted before it are released: the folder's reference too.
    {
        CWin32AutomationPort automation;
        AutoObjectPtr app;
        ASSERT_EQ(automation.CreateOutlook(app), 0);
        AutoObjectPtr ns = app->Call("GetNamespace", {CAutoValue::String("MAPI")}).AsObject();
        AutoObjectPtr inbox = ns->Call("GetDefaultFolder", {CAutoValue::Int(6)}).AsObject();
        ASSERT_TRUE(inbox);
        std::string error;
        auto foreign = CSubstituteOutlook::Load(
            R"({"folders": [{"name": "C", "role": "calendar"}, {"name": "T", "role": "tasks"}]})", 46000, error);
        ASSERT_TRUE(foreign) << error;
        const long before = LiveServerObjects();
        EXPECT_THROW(app->Call("CreateItem", {CAutoValue::String("text"), CAutoValue::Object(inbox),
                                              CAutoValue::Object(foreign->Application())}),
                     CAutoError);
        EXPECT_EQ(LiveServerObjects(), before);
    }
    EXPECT_EQ(LiveServerObjects(), 0);
    CoUninitialize();
    DeleteFileW(store.c_str());
}

} // namespace
