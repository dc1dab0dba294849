#pragma once
// A folder's items read as a table (Folder.GetTable, Outlook 2007 and later): only the
// columns asked for, restricted by a condition, fetched with GetArray a page of rows
// per call instead of one call per property of every item.
#include <string>
#include <vector>

#include "../automation/AutoValue.h"

class CItemTable {
public:
    using Row = std::vector<CAutoValue>;
    // Rows fetched by one GetArray call.
    static constexpr int kPageRows = 500;
    // The MAPI property "has attachments" (a table cannot hold the attachments).
    static constexpr const char* kHasAttachments = "http://schemas.microsoft.com/mapi/proptag/0x0E1B000B";
    // Tables came with this version of Outlook.
    static constexpr int kFirstVersion = 12;

    // Every row of the folder's items that filter keeps (all of them when it is empty),
    // with exactly the columns named, in their order. Throws CAutoError when Outlook
    // has no tables or a call fails.
    static std::vector<Row> Read(IAutoObject& folder, const std::string& filter, const std::vector<std::string>& columns);
};
