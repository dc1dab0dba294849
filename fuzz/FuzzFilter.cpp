// libFuzzer target: arbitrary text as a Restrict condition, read with an English
// locale; a condition that parses is evaluated around every date it names.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "outlook/store/StoreFilter.h"
#include "util/LocaleValues.h"
#include "util/OleDateTime.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

CLocaleValues English() {
    CLocaleValues l;
    const char* months[] = {"January", "February", "March",     "April",   "May",      "June",
                            "July",    "August",   "September", "October", "November", "December"};
    for (int i = 0; i < 12; ++i) {
        l.m_monthNames[i] = months[i];
        l.m_genitiveMonthNames[i] = months[i];
        l.m_abbrevMonthNames[i] = std::string(months[i]).substr(0, 3);
    }
    l.m_am = "AM";
    l.m_pm = "PM";
    l.m_longDateFormat = "dddd, MMMM d, yyyy";
    l.m_timeFormat = "h:mm:ss tt";
    return l;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CLocaleValues locale = English();
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    auto filter = CStoreFilter::Parse(text, locale, error);
    if (!filter) {
        Check(!error.empty());
        return 0;
    }
    Check(!filter->Dates().empty());
    for (double d : filter->Dates()) {
        Check(std::isfinite(d));
        Check(COleDateTime(d).GetYear() > 0); // every date the parser accepts is in range
        const bool here = filter->Matches(d, d);
        Check(filter->Matches(d, d) == here); // the same answer twice
        filter->Matches(COleDateTime::FromLinear(COleDateTime::ToLinear(d) - 1), d);
        filter->Matches(d, COleDateTime::FromLinear(COleDateTime::ToLinear(d) + 1));
    }
    return 0;
}
