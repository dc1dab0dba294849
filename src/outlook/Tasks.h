#pragma once
// The task list, selected and ordered as Outlook Today does.
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "Task.h"

class CSettings;

class CTasks {
public:
    int GetCount() const { return static_cast<int>(m_tasks.size()); }
    const CTask& GetAt(int index) const;
    void RemoveAll() { m_tasks.clear(); }
    // Keeps, in order, the tasks keep returns true for (it may change them).
    void Filter(const std::function<bool(CTask&)>& keep) {
        m_tasks.erase(std::remove_if(m_tasks.begin(), m_tasks.end(),
                                     [&](const std::unique_ptr<CTask>& t) { return !keep(*t); }),
                      m_tasks.end());
    }

    // Walks the tasks folder's items in Outlook's order, taking what the task filter
    // selects; throws CAutoError from Outlook (the tasks taken so far stay).
    bool Read(IAutoObject& items, const CSettings& settings, const COleDateTime& now);
    // Whether the task filter takes a task with this status, completion day and due date.
    static bool Selected(int status, double dateCompleted, double dueDate, const CSettings& settings,
                         const COleDateTime& now);
    // Appends a task (Sort puts it in its place).
    void Add(std::unique_ptr<CTask> task) { m_tasks.push_back(std::move(task)); }
    // Puts the tasks in order; equal tasks keep the order Outlook gave them.
    void Sort(const CSettings& settings);
    // -1 when a comes before b, 0 or 1.
    static int Compare(const CTask& a, const CTask& b, const CSettings& settings);

private:
    std::vector<std::unique_ptr<CTask>> m_tasks; // in order once Read ends
};
