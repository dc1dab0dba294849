#include <gtest/gtest.h>

#include "platform/common/RegistryTree.h"

namespace {

CRegistryTree SampleTree() {
    CRegistryTree t("HKEY_CURRENT_USER");
    t.CreateKey("Software\\Kestrova\\Orvanta for Outlook\\3.5");
    const std::string k = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
    t.SetValue(k, "Wallpaper", RegValue::Text("C:\\Pictures\\Beach \"big\".jpg"));
    t.SetValue(k, "Refresh", RegValue::Number(20));
    t.SetValue(k, "Negative", RegValue::Number(-7));
    RegValue bin;
    bin.type = RegType::Binary;
    bin.data = {0x00, 0xff, 0x10};
    t.SetValue(k, "Blob", bin);
    RegValue expand;
    expand.type = RegType::ExpandSz;
    expand.data = {'%', 'x', '%', 0};
    t.SetValue(k, "Expand", expand);
    t.SetValue(k, "Lines", RegValue::Text("one\ntwo"));
    t.SetValue(k, "", RegValue::Text("default"));
    t.SetValue(k, "Umlaut", RegValue::Text("Gr\xC3\xBC\xC3\x9F" "e"));
    return t;
}

TEST(RegistryTree, TextFormRoundTripsEveryValueType) {
    CRegistryTree t = SampleTree();
    std::string text = t.Serialize();
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\n", 0), 0u);
    EXPECT_NE(text.find("\"Refresh\"=dword:00000014"), std::string::npos);
    EXPECT_NE(text.find("\"Wallpaper\"=\"C:\\\\Pictures\\\\Beach \\\"big\\\".jpg\""), std::string::npos);

    CRegistryTree back("HKEY_CURRENT_USER");
    std::string error;
    ASSERT_TRUE(back.Parse(text, error)) << error;
    EXPECT_EQ(back.Serialize(), text);
    const std::string k = "Software\\Kestrova\\Orvanta for Outlook\\3.5";
    for (const auto& [name, v] : t.Values(k)) {
        RegValue got;
        ASSERT_EQ(back.QueryValue(k, name, got), RegError::Success) << name;
        EXPECT_EQ(got.type, v.type) << name;
        EXPECT_EQ(got.data, v.data) << name;
    }
}

TEST(RegistryTree, NamesIgnoreCaseButKeepTheirFirstSpelling) {
    CRegistryTree t;
    ASSERT_TRUE(t.CreateKey("Software\\Kestrova"));
    EXPECT_TRUE(t.KeyExists("SOFTWARE\\kestrova"));
    t.SetValue("software\\KESTROVA", "Refresh", RegValue::Number(1));
    t.SetValue("Software\\Kestrova", "REFRESH", RegValue::Number(2));
    auto values = t.Values("Software\\Kestrova");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].first, "Refresh");
    EXPECT_EQ(values[0].second.data[0], 2);
    EXPECT_EQ(t.KeyPaths(), (std::vector<std::string>{"Software", "Software\\Kestrova"}));
}

TEST(RegistryTree, CreatingAKeyCreatesItsParentsAndDeletionTakesTheSubtree) {
    CRegistryTree t;
    ASSERT_TRUE(t.CreateKey("A\\B\\C"));
    EXPECT_TRUE(t.KeyExists("A"));
    EXPECT_TRUE(t.KeyExists("A\\B"));
    t.CreateKey("AB");
    ASSERT_TRUE(t.DeleteKeyTree("A\\B"));
    EXPECT_FALSE(t.KeyExists("A\\B\\C"));
    EXPECT_TRUE(t.KeyExists("A"));
    EXPECT_TRUE(t.KeyExists("AB")); // a sibling with the same prefix stays
    EXPECT_FALSE(t.CreateKey("A\\\\B"));
}

TEST(RegistryTree, HexValuesMayContinueOverSeveralLines) {
    CRegistryTree t;
    std::string error;
    ASSERT_TRUE(t.Parse("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n"
                        "\"B\"=hex:01,02,\\\r\n  03,04\r\n; a comment\r\n@=\"d\"\r\n",
                        error))
        << error;
    RegValue v;
    ASSERT_EQ(t.QueryValue("K", "B", v), RegError::Success);
    EXPECT_EQ(v.data, (std::vector<uint8_t>{1, 2, 3, 4}));
    ASSERT_EQ(t.QueryValue("K", "", v), RegError::Success);
    EXPECT_EQ(v.AsText(), "d");
}

TEST(RegistryTree, DamagedTextIsRejectedWithItsLineAndTheTreeIsKept) {
    CRegistryTree t = SampleTree();
    const std::string before = t.Serialize();
    struct Case {
        const char* text;
        const char* where;
    } cases[] = {
        {"", "line 1"},
        {"REGEDIT4\n", "line 1"},
        {"Windows Registry Editor Version 5.00\n\"x\"=\"y\"\n", "line 2"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n\"x\"=\"unterminated\n", "line 3"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n\"x\"=dword:123456789\n", "line 3"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n\"x\"=dword:zz\n", "line 3"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n\"x\"=hex:0g\n", "line 3"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K\n", "line 2"},
        {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n", "line 2"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n\"x\"=hex:01,\\\n", "line 3"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n\"x\"\n", "line 3"},
        {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\K]\n\"x\"=\"a\\q\"\n", "line 3"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(t.Parse(c.text, error)) << c.text;
        EXPECT_EQ(error.rfind(c.where, 0), 0u) << c.text << " -> " << error;
        EXPECT_EQ(t.Serialize(), before);
    }
}

TEST(RegistryTree, TruncatedFileIsDamaged) {
    std::string text = SampleTree().Serialize();
    // Every cut inside a value line must be either a clean prefix or a reported error.
    for (size_t cut = 1; cut < text.size(); ++cut) {
        CRegistryTree t;
        std::string error;
        std::string part = text.substr(0, cut);
        if (!t.Parse(part, error)) {
            EXPECT_FALSE(error.empty());
        }
    }
}

} // namespace

// Names the text form cannot hold are refused both ways: a write refuses them, and a
// file that holds one (by hand) is reported with its line, so that whatever is read
// can always be written back.
namespace {
TEST(RegistryTree, LineBreaksInNamesAreRefusedOnWriteAndOnRead) {
    CRegistryTree t("HKEY_CURRENT_USER");
    ASSERT_TRUE(t.CreateKey("a"));
    EXPECT_EQ(t.SetValue("a", "x\ny", RegValue::Number(1)), RegError::InvalidParameter);
    EXPECT_EQ(t.SetValue("a", "x\r", RegValue::Number(1)), RegError::InvalidParameter);
    EXPECT_FALSE(t.CreateKey("a\\b\nc"));
    EXPECT_EQ(t.Values("a").size(), 0u);

    std::string error;
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    EXPECT_FALSE(t.Parse(header + "[HKEY_CURRENT_USER\\a\rb]\n", error));
    EXPECT_EQ(error, "line 3: a line break inside a key name");
    EXPECT_FALSE(t.Parse(header + "[HKEY_CURRENT_USER\\a]\n\"v\rw\"=dword:1\n", error));
    EXPECT_EQ(error, "line 4: a line break inside a value name");

    // Text ending in a backslash after a name holding "=hex" is not a continued hex list.
    ASSERT_EQ(t.SetValue("a", "n=hex", RegValue::Text("ends\\")), RegError::Success);
    ASSERT_EQ(t.SetValue("a", "after", RegValue::Number(2)), RegError::Success);
    CRegistryTree back("HKEY_CURRENT_USER");
    ASSERT_TRUE(back.Parse(t.Serialize(), error)) << error;
    EXPECT_EQ(back.Serialize(), t.Serialize());
}
} // namespace
