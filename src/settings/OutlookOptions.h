#pragma once
// Outlook's own options, as Outlook keeps them under its keys: what its Today page
// shows (the folders, the days, the task order and filter) and its calendar's week.
// The engine reads them at every refresh and returns them; its caller puts them into
// the settings record, where the drawing and the reads find them.
#include <string>
#include <vector>

struct OutlookOptions {
    std::string m_outlookVersion; // Outlook's Version text, read at connection
    std::vector<std::string> m_outlookFolderPaths{"inbox", "drafts", "outbox"};
    int m_outlookFirstDayOfWeek = 6; // 0 Monday ... 6 Sunday
    int m_workDayMask = 124;
    int m_firstWeekOfYear = 0;
    int m_calDays = 5;
    std::string m_taskSortKey1 = "[DueDate]";
    std::string m_taskSortKey2 = "~";
    bool m_taskSortAscending1 = false;
    bool m_taskSortAscending2 = false;
    bool m_includeNoDueDate = true;
    std::string m_taskFilter = "All";

    bool operator==(const OutlookOptions&) const = default;
};
