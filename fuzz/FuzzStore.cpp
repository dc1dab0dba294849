// libFuzzer target: arbitrary bytes as a store file, then what a refresh does with a
// store that loads: a week of days restricted with recurrences expanded and walked,
// the task list and the mail folders read, every folder visited.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "outlook/store/SubstituteOutlook.h"
#include "util/OleDateTime.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// The day as the filter reads it without a locale: month/day/year hour:minute.
std::string Text(const COleDateTime& d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d/%d/%d %d:%02d", d.GetMonth(), d.GetDay(), d.GetYear(), d.GetHour(), d.GetMinute());
    return buf;
}

// Reads the members, letting Outlook's own errors pass.
void Touch(IAutoObject& item, std::initializer_list<const char*> members) {
    for (const char* m : members) {
        try {
            CAutoValue v = item.Get(m);
            if (v.GetKind() == CAutoValue::Kind::String) Check(v.AsString().size() < (1u << 26));
        } catch (const CAutoError&) {
        }
    }
}

void Walk(IAutoObject& items, std::initializer_list<const char*> members) {
    int n = 0;
    for (AutoObjectPtr item = items.Call("GetFirst", {}).AsObject(); item && n < 2000;
         item = items.Call("GetNext", {}).AsObject(), ++n)
        Touch(*item, members);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const COleDateTime today(2026, 12, 7, 0, 0, 0);
    std::string error;
    auto store = CSubstituteOutlook::Load(text, today.m_dt, error);
    if (!store) {
        Check(!error.empty());
        return 0;
    }
    AutoObjectPtr ns = store->Application()->Call("GetNamespace", {CAutoValue::String("MAPI")}).AsObject();
    Check(ns != nullptr);
    try {
        AutoObjectPtr items = ns->Call("GetDefaultFolder", {CAutoValue::Int(9)}).AsObject()->Get("Items").AsObject();
        items->Put("IncludeRecurrences", CAutoValue::Bool(true));
        items->Call("Sort", {CAutoValue::String("[Start]"), CAutoValue::Missing()});
        for (int day = 0; day < 7; ++day) {
            COleDateTime from = today + COleDateTimeSpan(day, 0, 0, 0);
            std::string a = Text(from), b = Text(from + COleDateTimeSpan(0, 23, 59, 0));
            std::string filter = "[Start] >= '" + a + "' and [Start] < '" + b + "'";
            if (day == 0) filter = "(" + filter + ") or ([Start] < '" + a + "' and [End] > '" + a + "')";
            AutoObjectPtr restricted = items->Call("Restrict", {CAutoValue::String(filter)}).AsObject();
            Check(restricted != nullptr);
            restricted->Call("Sort", {CAutoValue::String("[Start]"), CAutoValue::Missing()});
            Walk(*restricted, {"Subject", "Start", "End", "IsRecurring", "AllDayEvent", "Attachments", "EntryID"});
        }
    } catch (const CAutoError&) {
    }
    try {
        AutoObjectPtr tasks = ns->Call("GetDefaultFolder", {CAutoValue::Int(13)}).AsObject()->Get("Items").AsObject();
        Walk(*tasks, {"Subject", "DueDate", "StartDate", "CreationTime", "Status", "DateCompleted", "Importance"});
    } catch (const CAutoError&) {
    }
    // Every folder below the calendar's parent, breadth first.
    try {
        AutoObjectPtr top = ns->Call("GetDefaultFolder", {CAutoValue::Int(9)}).AsObject()->Get("Parent").AsObject();
        std::vector<AutoObjectPtr> queue;
        AutoObjectPtr folders = top->Get("Folders").AsObject();
        for (AutoObjectPtr f = folders->Call("GetFirst", {}).AsObject(); f; f = folders->Call("GetNext", {}).AsObject())
            queue.push_back(f);
        for (size_t i = 0; i < queue.size() && i < 5000; ++i) {
            Touch(*queue[i], {"Name", "EntryID", "UnReadItemCount", "DefaultItemType"});
            AutoObjectPtr sub = queue[i]->Get("Folders").AsObject();
            for (AutoObjectPtr f = sub->Call("GetFirst", {}).AsObject(); f; f = sub->Call("GetNext", {}).AsObject())
                queue.push_back(f);
        }
    } catch (const CAutoError&) {
    }
    return 0;
}
