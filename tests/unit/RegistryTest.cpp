#include <gtest/gtest.h>

#include "platform/common/MemoryRegistry.h"
#include "system/Registry.h"

namespace {

const char* kKey = "Software\\Kestrova\\Orvanta for Outlook\\3.5";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        CRegistry reg(&mem);
        ASSERT_TRUE(reg.CreateKeyPath(RegRoot::CurrentUser, kKey, "REG_BINARY"));
        ASSERT_TRUE(reg.Open(RegRoot::CurrentUser, kKey));
    }
    void Put(const std::string& name, const RegValue& v) {
        mem.Tree(RegRoot::CurrentUser).SetValue(kKey, name, v);
    }
    CMemoryRegistry mem;
};

TEST_F(RegistryTest, CreateKeyPathCreatesEveryMissingLevel) {
    CMemoryRegistry fresh;
    fresh.Tree(RegRoot::CurrentUser).CreateKey("Software");
    CRegistry reg(&fresh);
    EXPECT_FALSE(reg.Open(RegRoot::CurrentUser, kKey));
    EXPECT_EQ(reg.LastError(), RegError::FileNotFound);
    ASSERT_TRUE(reg.CreateKeyPath(RegRoot::CurrentUser, kKey, "REG_BINARY"));
    EXPECT_FALSE(reg.IsOpen()); // creation leaves nothing open
    EXPECT_TRUE(fresh.Tree(RegRoot::CurrentUser).KeyExists("Software\\Kestrova"));
    EXPECT_TRUE(fresh.Tree(RegRoot::CurrentUser).KeyExists("Software\\Kestrova\\Orvanta for Outlook"));
    EXPECT_TRUE(reg.Open(RegRoot::CurrentUser, kKey));
}

TEST_F(RegistryTest, TextReadsClearTheBufferAndRefuseWhatDoesNotFit) {
    CRegistry reg(&mem);
    ASSERT_TRUE(reg.Open(RegRoot::CurrentUser, kKey));
    std::string text = "previous content";
    EXPECT_FALSE(reg.ReadText("Missing", text));
    EXPECT_EQ(text, "");

    Put("Fits", RegValue::Text(std::string(259, 'a')));
    Put("TooLong", RegValue::Text(std::string(260, 'b')));
    EXPECT_TRUE(reg.ReadText("Fits", text, 260));
    EXPECT_EQ(text.size(), 259u);
    text = "previous";
    EXPECT_FALSE(reg.ReadText("TooLong", text, 260));
    EXPECT_EQ(text, "");
    EXPECT_EQ(reg.LastError(), RegError::MoreData);

    Put("Number", RegValue::Number(20));
    EXPECT_FALSE(reg.ReadText("Number", text));
    EXPECT_EQ(text, "");

    RegValue expand;
    expand.type = RegType::ExpandSz;
    expand.data = {'%', 'A', '%', 0, 'x'};
    Put("Expand", expand);
    EXPECT_TRUE(reg.ReadText("expand", text)); // value names ignore case
    EXPECT_EQ(text, "%A%");
}

TEST_F(RegistryTest, NumberReadsKeepTheCallersPresetOnFailure) {
    CRegistry reg(&mem);
    ASSERT_TRUE(reg.Open(RegRoot::CurrentUser, kKey));
    Put("Refresh", RegValue::Number(-5));
    Put("Text", RegValue::Text("20"));
    RegValue shortDword;
    shortDword.type = RegType::Dword;
    shortDword.data = {1, 2};
    Put("Short", shortDword);

    int32_t v = 99;
    EXPECT_TRUE(reg.ReadNumber("Refresh", v));
    EXPECT_EQ(v, -5);
    for (const char* name : {"Missing", "Text", "Short"}) {
        v = 99;
        EXPECT_FALSE(reg.ReadNumber(name, v)) << name;
        EXPECT_EQ(v, 99) << name;
    }
}

TEST_F(RegistryTest, WritesReadBackAndFailWithoutAnOpenKey) {
    CRegistry reg(&mem);
    EXPECT_FALSE(reg.WriteText("x", "y"));
    EXPECT_FALSE(reg.WriteNumber("x", 1));
    int32_t n = 7;
    EXPECT_FALSE(reg.ReadNumber("x", n));
    ASSERT_TRUE(reg.Open(RegRoot::CurrentUser, kKey, RegAccess::ReadWrite));
    ASSERT_TRUE(reg.WriteText("Wallpaper", "C:\\a.bmp"));
    ASSERT_TRUE(reg.WriteNumber("Transparency", 30));
    std::string t;
    ASSERT_TRUE(reg.ReadText("Wallpaper", t));
    EXPECT_EQ(t, "C:\\a.bmp");
    ASSERT_TRUE(reg.ReadNumber("Transparency", n));
    EXPECT_EQ(n, 30);
    EXPECT_TRUE(reg.DeleteValue("Wallpaper"));
    EXPECT_FALSE(reg.ReadText("Wallpaper", t));
}

TEST_F(RegistryTest, LogonEntryLivesInTheRunKey) {
    EXPECT_FALSE(CRegistry::RunEntryExists("Orvanta for Outlook", &mem));
    EXPECT_FALSE(CRegistry::DeleteRunEntry("Orvanta for Outlook", &mem)); // no Run key yet
    ASSERT_TRUE(CRegistry::SetRunEntry("Orvanta for Outlook", "C:\\PROGRA~1\\ORVANTA.EXE", &mem));
    EXPECT_TRUE(CRegistry::RunEntryExists("Orvanta for Outlook", &mem));
    RegValue v;
    ASSERT_EQ(mem.Tree(RegRoot::CurrentUser).QueryValue(CRegistry::kRunKey, "Orvanta for Outlook", v), 0);
    EXPECT_EQ(v.type, RegType::Sz);
    EXPECT_EQ(v.AsText(), "C:\\PROGRA~1\\ORVANTA.EXE");
    EXPECT_TRUE(CRegistry::DeleteRunEntry("Orvanta for Outlook", &mem));
    EXPECT_FALSE(CRegistry::RunEntryExists("Orvanta for Outlook", &mem));
}

} // namespace
