#include "ItemTable.h"

std::vector<CItemTable::Row> CItemTable::Read(IAutoObject& folder, const std::string& filter,
                                              const std::vector<std::string>& columns) {
    AutoObjectPtr table = folder.Call("GetTable", {CAutoValue::String(filter)}).AsObject();
    if (!table) throw CAutoError(AutoCode::Exception, "the folder gave no table");
    AutoObjectPtr list = table->Get("Columns").AsObject();
    if (!list) throw CAutoError(AutoCode::Exception, "the table has no columns");
    list->Call("RemoveAll", {});
    for (const std::string& c : columns) list->Call("Add", {CAutoValue::String(c)});
    std::vector<Row> rows;
    for (;;) {
        const CAutoValue page = table->Call("GetArray", {CAutoValue::Int(kPageRows)});
        const size_t n = page.Rows();
        if (n > 0 && page.Columns() != columns.size())
            throw CAutoError(AutoCode::TypeMismatch, "the table's rows do not have the columns asked for");
        for (size_t r = 0; r < n; ++r) {
            Row row;
            row.reserve(columns.size());
            for (size_t c = 0; c < columns.size(); ++c) row.push_back(page.At(r, c));
            rows.push_back(std::move(row));
        }
        // A short page is the last one: no call is spent asking whether the table ended.
        if (n < static_cast<size_t>(kPageRows)) break;
    }
    return rows;
}
