// libFuzzer target: arbitrary bytes as an iCalendar file, parsed and expanded over a
// week (a window chosen by the input's first byte among a few), the records checked:
// every occurrence ends no earlier than it starts and every subject is valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "outlook/calendar/ICalendarText.h"
#include "util/Utf8.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckText(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const Utf8Char c = Utf8CharAt(text, i);
        Check(c.length > 0);
        // U+FFFD only as itself, never a stray byte read as one.
        if (c.code == 0xFFFD) Check(text.compare(i, 3, "\xEF\xBF\xBD") == 0);
        i += c.length;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const char* zones[] = {"", "Europe/Berlin", "America/New_York", "UTC"};
    static const double starts[] = {46090.0, 1.0, 949990.0, -600000.0}; // 2026-03-09, 1899, 4500, year 257
    CICalendarText::Options options;
    options.from = starts[data[0] & 3];
    options.days = 1 + (data[0] >> 2) % 7;
    options.zone = zones[(data[0] >> 5) & 3];
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const CICalendarItems items = CICalendarText::Read(text, options);
    for (const CAppointment& a : items.appointments) {
        Check(COleDateTime::ToLinear(a.m_start.m_dt) <= COleDateTime::ToLinear(a.m_end.m_dt));
        CheckText(a.m_subject);
    }
    for (const CTask& t : items.tasks) {
        CheckText(t.m_subject);
        Check(t.m_percentComplete >= 0 && t.m_percentComplete <= 100);
    }
    return 0;
}
