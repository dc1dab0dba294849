#include "OleDateTimeSpan.h"

#include <cmath>

COleDateTimeSpan::COleDateTimeSpan(double days) : m_span(days) { Check(); }

COleDateTimeSpan::COleDateTimeSpan(long days, int hours, int minutes, int seconds)
    : m_span(static_cast<double>(days) + hours / 24.0 + minutes / 1440.0 + seconds / 86400.0) {
    Check();
}

void COleDateTimeSpan::Check() {
    m_status = (std::isfinite(m_span) && std::fabs(m_span) <= kMaxDays) ? valid : invalid;
}
