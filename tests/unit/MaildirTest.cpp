// Maildir folders and their unread counts, on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempFolder.h"
#include "outlook/MaildirReader.h"

namespace {

TEST(Maildir, UnreadIsNewAndCurWithoutTheSeenFlag) {
    const struct {
        const char* name;
        bool unread;
    } cases[] = {
        {"1733820000.M1P2.host:2,S", false},   {"1733820000.M1P2.host:2,RS", false},
        {"1733820000.M1P2.host:2,FS", false},  {"1733820000.M1P2.host:2,", true},
        {"1733820000.M1P2.host:2,FR", true},   {"1733820000.M1P2.host", true},
        {"1733820000.M1P2.host!2,S", false},   {"1733820000.M1P2.host!2,T", true},
    };
    for (const auto& c : cases) EXPECT_EQ(CMaildirReader::Unread(c.name), c.unread) << c.name;

    TempFolder dir;
    namespace fs = std::filesystem;
    const fs::path root = fs::path(dir.File("Maildir"));
    auto message = [](const fs::path& p) { std::ofstream(p) << "Subject: x\n\nx\n"; };
    for (const char* box : {"", ".Sent", ".Lists.dev", ".NotAMaildir"}) {
        const fs::path b = root / box;
        fs::create_directories(b / "cur");
        fs::create_directories(b / "new");
        if (std::string(box) != ".NotAMaildir") fs::create_directories(b / "tmp");
    }
    message(root / "new" / "1.host");
    message(root / "new" / "2.host");
    message(root / "new" / ".hidden");
    message(root / "cur" / "3.host:2,S");
    message(root / "cur" / "4.host:2,F");
    message(root / "tmp" / "5.host"); // being delivered: not counted
    message(root / ".Sent" / "cur" / "6.host:2,S");
    message(root / ".Lists.dev" / "new" / "7.host");

    std::string why;
    const std::vector<CMailFolder> folders = CMaildirReader::Read(root.string(), why);
    ASSERT_EQ(folders.size(), 3u) << why;
    EXPECT_EQ(folders[0].m_name, "Inbox");
    EXPECT_EQ(folders[0].m_displayCount, 3);
    EXPECT_EQ(folders[0].m_itemCount, 4);
    EXPECT_EQ(folders[1].m_name, "Lists/dev");
    EXPECT_EQ(folders[1].m_displayCount, 1);
    EXPECT_EQ(folders[2].m_name, "Sent");
    EXPECT_EQ(folders[2].m_displayCount, 0);
    EXPECT_EQ(folders[2].m_itemCount, 1);
    EXPECT_EQ(folders[0].m_entryId, "maildir:" + root.string());

    EXPECT_TRUE(CMaildirReader::Read((root / ".NotAMaildir").string(), why).empty());
    EXPECT_EQ(why, "it is no Maildir (a folder with cur, new and tmp)");
}

} // namespace
