#pragma once
// The folders of a Maildir with their unread counts, for the mail-folder list where
// the mail lives in Maildir (Linux): the Maildir itself as "Inbox", then each Maildir++
// subfolder (".Sent", ".Lists.dev" shown as "Lists/dev") in name order. Unread are the
// messages in new/ and those in cur/ whose flags (after ":2," or, where a colon
// cannot be in a name, "!2,") hold no S. Names starting with a dot are no messages.
#include <string>
#include <vector>

#include "MailFolder.h"

class CMaildirReader {
public:
    static constexpr size_t kMaxFolders = 100;
    // The folders of the Maildir at root; empty with why when root is no Maildir (a
    // folder with cur, new and tmp). Each folder's entry id is "maildir:" and its path.
    static std::vector<CMailFolder> Read(const std::string& root, std::string& why);
    // Whether a message file name in cur/ counts as unread.
    static bool Unread(const std::string& fileName);
};
