// Recurrence expansion against python3-dateutil's rrule as an independent oracle.
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "outlook/store/RecurrencePattern.h"

namespace {

TEST(RecurrenceOracle, OccurrenceDaysAgreeWithRrule) {
    std::string cmd = std::string("/usr/bin/python3 ") + ORVANTA_SOURCE_DIR + "/tests/oracle/recurrence_oracle.py 600 1207";
    FILE* pipe = ::popen(cmd.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string line;
    int cases = 0, occurrences = 0;
    char buf[4096];
    std::string all;
    while (size_t n = std::fread(buf, 1, sizeof buf, pipe)) all.append(buf, n);
    ASSERT_EQ(::pclose(pipe), 0) << "the oracle failed (is python3-dateutil installed?)";
    size_t pos = 0;
    while (pos < all.size()) {
        size_t end = all.find('\n', pos);
        if (end == std::string::npos) end = all.size();
        line = all.substr(pos, end - pos);
        pos = end + 1;
        if (line.empty()) continue;
        auto j = nlohmann::json::parse(line);
        static const std::map<std::string, CRecurrencePattern::Type> kTypes = {
            {"daily", CRecurrencePattern::Type::Daily},     {"weekly", CRecurrencePattern::Type::Weekly},
            {"monthly", CRecurrencePattern::Type::Monthly}, {"monthNth", CRecurrencePattern::Type::MonthNth},
            {"yearly", CRecurrencePattern::Type::Yearly},   {"yearNth", CRecurrencePattern::Type::YearNth}};
        CRecurrencePattern p;
        p.m_type = kTypes.at(j["type"]);
        p.m_interval = j["interval"];
        p.m_dayMask = j["dayMask"];
        p.m_firstDayOfWeek = j["firstDayOfWeek"];
        p.m_dayOfMonth = j["dayOfMonth"];
        p.m_instance = j["instance"];
        p.m_monthOfYear = j["monthOfYear"];
        p.m_startDay = j["startDay"];
        if (j.contains("endDay")) {
            p.m_hasEnd = true;
            p.m_endDay = j["endDay"];
        }
        if (j.contains("count")) p.m_occurrences = j["count"];
        std::vector<int64_t> expected = j["expected"].get<std::vector<int64_t>>();
        ASSERT_EQ(p.Days(j["from"], j["to"]), expected) << line.substr(0, 240);
        ++cases;
        occurrences += static_cast<int>(expected.size());
    }
    EXPECT_EQ(cases, 600);
    EXPECT_GT(occurrences, 10000);
}

} // namespace
