// The Linux program's store file followed while it runs.
#include <gtest/gtest.h>

#include "PosixTestUtil.h"
#include "app/LiveStore.h"
#include "outlook/store/SubstituteOutlook.h"

namespace {

std::string Subjects(CLiveStore& live) {
    // What the engine sees: the namespace's calendar, item by item.
    AutoObjectPtr calendar = live.Application()
                                 ->Call("GetNamespace", {CAutoValue::String("MAPI")})
                                 .AsObject()
                                 ->Call("GetDefaultFolder", {CAutoValue::Int(9)})
                                 .AsObject();
    AutoObjectPtr items = calendar->Get("Items").AsObject();
    std::string out;
    for (AutoObjectPtr item = items->Call("GetFirst", {}).AsObject(); item; item = items->Call("GetNext", {}).AsObject())
        out += item->Get("Subject").AsString() + ";";
    return out;
}

std::string Store(const std::string& subject) {
    return R"({"folders": [{"name": "Inbox", "role": "inbox"}, {"name": "Calendar", "role": "calendar",
        "appointments": [{"subject": ")" + subject + R"(", "start": "today 09:00", "end": "today 10:00"}]},
        {"name": "Tasks", "role": "tasks"}]})";
}

TEST(LiveStore, FollowsTheFileAndKeepsTheLastGoodOne) {
    TempDir dir;
    const std::string path = dir.Path() + "/store.json";
    WriteFile(path, Store("First"));
    auto live = std::make_shared<CLiveStore>(path);
    std::string error;
    ASSERT_TRUE(live->Load(error)) << error;
    AutoObjectPtr app = live->Application();
    AutoObjectPtr ns = app->Call("GetNamespace", {CAutoValue::String("MAPI")}).AsObject();
    EXPECT_EQ(Subjects(*live), "First;");

    WriteFile(path, Store("Second, longer"));
    EXPECT_EQ(Subjects(*live), "Second, longer;");
    // The namespace handed out before follows too: the engine keeps its own.
    AutoObjectPtr calendar = ns->Call("GetDefaultFolder", {CAutoValue::Int(9)}).AsObject();
    EXPECT_EQ(calendar->Get("Items").AsObject()->Call("GetFirst", {}).AsObject()->Get("Subject").AsString(),
              "Second, longer");

    const auto before = live->Store();
    WriteFile(path, "{\"folders\": [");
    EXPECT_EQ(Subjects(*live), "Second, longer;");
    EXPECT_EQ(live->Store(), before);
    ::unlink(path.c_str()); // gone: the last store stays
    EXPECT_EQ(Subjects(*live), "Second, longer;");
}

} // namespace
