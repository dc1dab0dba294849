// Dates in the substitute store's filter language, read back in the forms the
// program writes them for each kind of locale.
#include <gtest/gtest.h>

#include "FakePorts.h"
#include "outlook/store/StoreFilter.h"
#include "platform/Platform.h"
#include "util/LocaleValues.h"

namespace {

class StoreFilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        port.EnglishNames();
        port.items[{LocaleItem::LongDateFormat, 0}] = "dddd, MMMM d, yyyy";
        port.items[{LocaleItem::TimeFormat, 0}] = "h:mm:ss tt";
    }
    void Designators(const char* am, const char* pm, const char* timePicture) {
        port.items[{LocaleItem::AmDesignator, 0}] = am;
        port.items[{LocaleItem::PmDesignator, 0}] = pm;
        port.items[{LocaleItem::TimeFormat, 0}] = timePicture;
    }
    // Writes the date as the program does and reads it back.
    void RoundTrip(const COleDateTime& d) {
        CLocaleValues locale = LocaleValues();
        const std::string text = locale.DateTimeText(d);
        double back = 0;
        ASSERT_TRUE(CStoreFilter::ParseDateText(text, locale, back)) << text;
        EXPECT_EQ(COleDateTime(back), d) << text;
    }
    void RoundTripTheDay() {
        for (int hour : {0, 1, 11, 12, 13, 23}) RoundTrip(COleDateTime(2026, 12, 7, hour, hour == 23 ? 59 : 0, 0));
    }

    FakeLocalePort port;
    ScopedPort<ILocalePort> scope{port};
};

TEST_F(StoreFilterTest, TwelveHourClocksWithPlainDottedAndLeadingDesignators) {
    Designators("AM", "PM", "h:mm:ss tt");
    RoundTripTheDay();
    Designators("a.m.", "p.m.", "h:mm:ss tt"); // en-CA, es-MX style
    RoundTripTheDay();
    Designators("\xEC\x98\xA4\xEC\xA0\x84", "\xEC\x98\xA4\xED\x9B\x84", "tt h:mm:ss"); // 오전 / 오후 before the time
    RoundTripTheDay();
    Designators("\xE4\xB8\x8A\xE5\x8D\x88", "\xE4\xB8\x8B\xE5\x8D\x88", "tth:mm:ss"); // 上午 / 下午, no blank
    RoundTripTheDay();

    double v = 0;
    Designators("a.m.", "p.m.", "h:mm:ss tt");
    CLocaleValues dotted = LocaleValues();
    ASSERT_TRUE(CStoreFilter::ParseDateText("Monday, December 7, 2026 12:00 a.m.", dotted, v));
    EXPECT_EQ(COleDateTime(v), COleDateTime(2026, 12, 7, 0, 0, 0)); // midnight, not noon
    ASSERT_TRUE(CStoreFilter::ParseDateText("Monday, December 7, 2026 11:59 p.m.", dotted, v));
    EXPECT_EQ(COleDateTime(v), COleDateTime(2026, 12, 7, 23, 59, 0));
}

TEST_F(StoreFilterTest, GenitiveMonthNamesAndNonAsciiCapitals) {
    // ru-RU: "7 декабря 2026 г." with the nominative name "Декабрь" in the month table.
    port.items[{LocaleItem::MonthName, 11}] = "\xD0\x94\xD0\xB5\xD0\xBA\xD0\xB0\xD0\xB1\xD1\x80\xD1\x8C";
    port.items[{LocaleItem::GenitiveMonthName, 11}] = "\xD0\xB4\xD0\xB5\xD0\xBA\xD0\xB0\xD0\xB1\xD1\x80\xD1\x8F";
    port.items[{LocaleItem::LongDateFormat, 0}] = "d MMMM yyyy '\xD0\xB3.'";
    port.items[{LocaleItem::TimeFormat, 0}] = "H:mm:ss";
    RoundTripTheDay();
    CLocaleValues locale = LocaleValues();
    std::string error;
    auto filter = CStoreFilter::Parse("[Start] >= '" + locale.DateTimeText(COleDateTime(2026, 12, 7, 0, 0, 0)) +
                                          "' and [Start] < '" +
                                          locale.DateTimeText(COleDateTime(2026, 12, 7, 23, 59, 0)) + "'",
                                      locale, error);
    ASSERT_TRUE(filter) << error;
    EXPECT_TRUE(filter->Matches(COleDateTime(2026, 12, 7, 9, 0, 0).m_dt, COleDateTime(2026, 12, 7, 10, 0, 0).m_dt));
    EXPECT_FALSE(filter->Matches(COleDateTime(2026, 12, 7, 23, 59, 0).m_dt, COleDateTime(2026, 12, 8, 0, 0, 0).m_dt));
}

TEST_F(StoreFilterTest, MonthNamesWithAPrefixWrittenOnto) {
    // he-IL writes "7 בדצמבר 2026": the month "דצמבר" with "ב" before it.
    port.items[{LocaleItem::MonthName, 11}] = "\xD7\x93\xD7\xA6\xD7\x9E\xD7\x91\xD7\xA8";
    port.items[{LocaleItem::LongDateFormat, 0}] = "dddd, d '\xD7\x91'MMMM yyyy";
    port.items[{LocaleItem::TimeFormat, 0}] = "H:mm:ss";
    RoundTripTheDay();
}

// Deep nesting and endless chains are refused with a message instead of exhausting the
// stack; the same shapes within the limits still parse and evaluate.
TEST_F(StoreFilterTest, NestingAndLengthAreLimited) {
    CLocaleValues locale = LocaleValues();
    const std::string cmp = "[Start] >= '" + locale.DateTimeText(COleDateTime(2026, 12, 7, 0, 0, 0)) + "'";
    auto nested = [&](int depth) { return std::string(depth, '(') + cmp + std::string(depth, ')'); };
    std::string error;
    auto ok = CStoreFilter::Parse(nested(100), locale, error);
    ASSERT_TRUE(ok) << error;
    EXPECT_TRUE(ok->Matches(COleDateTime(2026, 12, 8, 0, 0, 0).m_dt, 0));
    EXPECT_FALSE(ok->Matches(COleDateTime(2026, 12, 6, 0, 0, 0).m_dt, 0));
    for (int depth : {101, 20000}) {
        error.clear();
        EXPECT_EQ(CStoreFilter::Parse(nested(depth), locale, error), nullptr);
        EXPECT_NE(error.find("nested deeper than 100 levels"), std::string::npos) << error;
    }
    std::string chain = cmp;
    for (int i = 1; i < 1000; ++i) chain += " or " + cmp;
    error.clear();
    EXPECT_TRUE(CStoreFilter::Parse(chain, locale, error)) << error;
    for (int i = 0; i < 20000; ++i) chain += " and " + cmp;
    error.clear();
    EXPECT_EQ(CStoreFilter::Parse(chain, locale, error), nullptr);
    EXPECT_NE(error.find("more than 1000 comparisons"), std::string::npos) << error;
}

} // namespace
