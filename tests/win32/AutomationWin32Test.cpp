// The IDispatch side of the automation interface against real COM objects of the
// system (Scripting.Dictionary), and Outlook's absence as the engine meets it.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include "Win32Automation.h"
#include "settings/Settings.h"
#include "outlook/OutlookEngine.h"
#include "unit/FakePorts.h"

namespace {

class ComScope {
public:
    ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { CoUninitialize(); }
};

TEST(Win32Automation, LateBindingAgainstARealAutomationObject) {
    ComScope com;
    AutoObjectPtr dict;
    ASSERT_EQ(CWin32AutomationPort::CreateByProgId("Scripting.Dictionary", dict), 0);
    ASSERT_TRUE(dict);
    dict->Call("Add", {CAutoValue::String("subject"), CAutoValue::String("Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5")});
    dict->Call("Add", {CAutoValue::String("start"), CAutoValue::Date(39756.5)});
    dict->Call("Add", {CAutoValue::String("count"), CAutoValue::Int(-7)});
    dict->Call("Add", {CAutoValue::String("flag"), CAutoValue::Bool(true)});
    EXPECT_EQ(dict->Get("Count").AsInt(), 4);
    EXPECT_EQ(dict->Call("Item", {CAutoValue::String("subject")}).AsString(), "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5");
    EXPECT_DOUBLE_EQ(dict->Call("Item", {CAutoValue::String("start")}).AsDate(), 39756.5);
    EXPECT_EQ(dict->Call("Item", {CAutoValue::String("count")}).AsInt(), -7);
    EXPECT_TRUE(dict->Call("Item", {CAutoValue::String("flag")}).AsBool());
    EXPECT_FALSE(dict->Call("Exists", {CAutoValue::String("nothing")}).AsBool());
    // A filled dictionary refuses a new compare mode: the object's own error arrives as CAutoError.
    EXPECT_THROW(dict->Put("CompareMode", CAutoValue::Int(1)), CAutoError);
    AutoObjectPtr empty;
    ASSERT_EQ(CWin32AutomationPort::CreateByProgId("Scripting.Dictionary", empty), 0);
    empty->Put("CompareMode", CAutoValue::Int(1));
    EXPECT_EQ(empty->Get("CompareMode").AsInt(), 1);
    try {
        dict->Get("NoSuchMember");
        ADD_FAILURE() << "an unknown member must fail";
    } catch (const CAutoError& e) {
        EXPECT_EQ(static_cast<unsigned long>(e.Code()), 0x80020006ul) << e.what(); // DISP_E_UNKNOWNNAME
    }
    EXPECT_TRUE(dict->Supports("IDispatch"));
    EXPECT_FALSE(dict->Supports("_AppointmentItem")); // not an Outlook item: treated as absent
    EXPECT_EQ(AsInterface(dict, "_TaskItem"), nullptr);
}

TEST(Win32Automation, MissingOutlookIsReportedWithTheSystemText) {
    ComScope com;
    CWin32AutomationPort port;
    AutoObjectPtr app;
    long rc = port.CreateOutlook(app);
    EXPECT_NE(rc, 0);
    EXPECT_FALSE(app);
    // Wine's message table has the system's error texts but (unlike Windows) none for COM
    // result codes such as 0x80040154; the engine's message then carries the code alone.
    EXPECT_FALSE(port.ErrorText(ERROR_ACCESS_DENIED).empty());

    FakeUiPort ui; // the engine's message box is read, not shown
    CMemoryRegistry registry;
    ScopedPort<IRegistryPort> withRegistry(registry);
    ScopedPort<IDialogPort> withDialogs(ui);
    ScopedPort<IAutomationPort> withAutomation(port);
    CSettings settings("Software\\OrvantaTests\\Engine");
    settings.Open();
    COutlookEngine engine(settings);
    EXPECT_TRUE(engine.EnsureConnected());
    ASSERT_EQ(ui.boxes.size(), 1u);
    char head[64];
    std::snprintf(head, sizeof head, "COM interface error code: %d\n", static_cast<int>(rc));
    EXPECT_EQ(ui.boxes[0].text.rfind(head, 0), 0u) << ui.boxes[0].text;
    EXPECT_NE(ui.boxes[0].text.find("Either Outlook is not installed on this computer"), std::string::npos);
    EXPECT_EQ(ui.boxes[0].caption, "Orvanta");
    EXPECT_EQ(ui.boxes[0].flags & MsgBox::IconWarning, MsgBox::IconWarning);
}

} // namespace
