#pragma once
// The filter language that Items.Restrict accepts in the substitute store:
// comparisons of [Start] and [End] with quoted dates in the user's long date and
// time form, joined by "and" and "or", with parentheses.
#include <memory>
#include <string>
#include <vector>

class CLocaleValues;

class CStoreFilter {
public:
    // Parses text; on a fault returns null and error says what and where.
    static std::unique_ptr<CStoreFilter> Parse(const std::string& text, const CLocaleValues& locale,
                                               std::string& error);
    bool Matches(double start, double end) const; // OLE dates
    // Every date the filter mentions (to bound recurrence expansion).
    const std::vector<double>& Dates() const { return m_dates; }

    // Reads a date written in the locale's long date and time form; false when it is not one.
    static bool ParseDateText(const std::string& text, const CLocaleValues& locale, double& out);

    struct Node;
    ~CStoreFilter();
    CStoreFilter();

private:
    std::unique_ptr<Node> m_root;
    std::vector<double> m_dates;
};
