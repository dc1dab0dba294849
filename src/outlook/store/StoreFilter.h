#pragma once
// The filter language that Items.Restrict accepts in the substitute store:
// comparisons of [Start], [End] and [LastModificationTime] with quoted dates in the
// user's long date and time form, and of [IsRecurring] with True or False, joined by
// "and" and "or", with parentheses.
#include <memory>
#include <string>
#include <vector>

class CLocaleValues;

class CStoreFilter {
public:
    // Parses text; on a fault returns null and error says what and where.
    static std::unique_ptr<CStoreFilter> Parse(const std::string& text, const CLocaleValues& locale,
                                               std::string& error);
    // An item's values the filter can test (OLE dates).
    struct Fields {
        double start = 0, end = 0, modified = 0;
        bool recurring = false;
    };
    bool Matches(const Fields& item) const;
    bool Matches(double start, double end) const { return Matches(Fields{start, end, 0, false}); }
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
