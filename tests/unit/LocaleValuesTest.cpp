#include <gtest/gtest.h>

#include "FakePorts.h"
#include "platform/Platform.h"
#include "util/LocaleValues.h"

namespace {

class LocaleValuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        port.EnglishNames();
        port.items[{LocaleItem::AmDesignator, 0}] = "AM";
        port.items[{LocaleItem::PmDesignator, 0}] = "PM";
        port.items[{LocaleItem::LongDateOrder, 0}] = "1";
        port.items[{LocaleItem::FirstDayOfWeek, 0}] = "6";
        port.items[{LocaleItem::LongDateFormat, 0}] = "dddd, MMMM dd, yyyy";
        port.items[{LocaleItem::TimeFormat, 0}] = "h:mm:ss tt";
    }
    FakeLocalePort port;
    ScopedPort<ILocalePort> scope{port};
};

TEST_F(LocaleValuesTest, DayNamesUseBothNumberings) {
    CLocaleValues l = LocaleValues();
    EXPECT_EQ(l.DayName(1), "Sunday"); // the seventh entry of the Monday-first table
    EXPECT_EQ(l.DayName(2), "Monday");
    EXPECT_EQ(l.DayName(7), "Saturday");
    EXPECT_EQ(l.DayName(0), "");
    EXPECT_EQ(l.DayName(8), "");
    EXPECT_EQ(l.ShortDayCaption(0), "MO");
    EXPECT_EQ(l.ShortDayCaption(6), "SU");
    EXPECT_EQ(l.ShortDayCaption(7), "");
    EXPECT_EQ(l.m_firstDayOfWeek, 6);
}

TEST_F(LocaleValuesTest, ShortCaptionsNeverCutACharacter) {
    port.items[{LocaleItem::AbbrevDayName, 0}] = "\xC3\xA9t\xC3\xA9";  // été
    port.items[{LocaleItem::AbbrevDayName, 1}] = "\xD0\x9F\xD0\xBD";   // Пн
    port.items[{LocaleItem::AbbrevDayName, 2}] = "\xE6\x9C\x88";       // 月 (one character)
    port.items[{LocaleItem::AbbrevDayName, 3}] = "\xF0\x9F\x8C\x8Ax";  // emoji and x
    CLocaleValues l = LocaleValues();
    EXPECT_EQ(l.ShortDayCaption(0), "\xC3\x89T");
    EXPECT_EQ(l.ShortDayCaption(1), "\xD0\x9F\xD0\xBD");
    EXPECT_EQ(l.ShortDayCaption(2), "\xE6\x9C\x88");
    EXPECT_EQ(l.ShortDayCaption(3), "\xF0\x9F\x8C\x8AX");
    EXPECT_EQ(CLocaleValues::FirstCharacters("\xC3", 2), "\xC3"); // a broken sequence stays whole
}

TEST_F(LocaleValuesTest, LongDateTextFollowsTheOrder) {
    COleDateTime d(2026, 12, 6, 0, 0, 0);
    const char* expected[] = {"December 6 2026", "6 December 2026", "2026 December 6", ""};
    for (int order = 0; order < 4; ++order) {
        port.items[{LocaleItem::LongDateOrder, 0}] = std::to_string(order);
        EXPECT_EQ(LocaleValues().LongDateText(d), expected[order]) << order;
    }
    port.items[{LocaleItem::LongDateOrder, 0}] = "1";
    EXPECT_EQ(LocaleValues().LongDateText(COleDateTime(2009, 2, 29, 0, 0, 0)), "");
}

TEST_F(LocaleValuesTest, DateAndTimePictures) {
    CLocaleValues l = LocaleValues();
    COleDateTime d(2026, 3, 5, 0, 7, 9);
    DateFields f;
    ASSERT_TRUE(d.GetFields(f));
    EXPECT_EQ(l.FormatDatePicture("d/dd/ddd/dddd M/MM/MMM/MMMM y/yy/yyyy", f),
              "5/05/Thu/Thursday 3/03/Mar/March 26/26/2026");
    EXPECT_EQ(l.FormatDatePicture("d 'de' MMMM 'o''clock'", f), "5 de March o'clock");
    EXPECT_EQ(l.FormatTimePicture("h:mm:ss tt", f, false), "12:07:09 AM");
    EXPECT_EQ(l.FormatTimePicture("h:mm:ss tt", f, true), "12:07 AM");
    EXPECT_EQ(l.FormatTimePicture("HH.mm.ss", f, true), "00.07");
    EXPECT_EQ(l.FormatTimePicture("tt hh:mm:ss", f, true), "AM 12:07");
    EXPECT_EQ(l.FormatTimePicture("H 'h' m t", f, false), "0 h 7 A");
    EXPECT_EQ(l.DateTimeText(COleDateTime(2026, 12, 6, 14, 5, 59)), "Sunday, December 06, 2026 2:05 PM");
}

TEST_F(LocaleValuesTest, UnreadableItemsStayEmptyOrZero) {
    port.items.clear();
    CLocaleValues l = LocaleValues();
    EXPECT_EQ(l.m_longDateOrder, 0);
    EXPECT_EQ(l.m_clockFormat, 0);
    EXPECT_EQ(l.m_am, "");
    EXPECT_EQ(l.m_monthNames[5], "");
    EXPECT_EQ(l.ShortDayCaption(2), "");
    EXPECT_EQ(l.DateTimeText(COleDateTime(2026, 1, 1, 0, 0, 0)), " ");
    port.items[{LocaleItem::AmDesignator, 0}] = std::string(400, 'a');
    EXPECT_EQ(LocaleValues().m_am.size(), 255u); // read into a 256-byte buffer
}

TEST_F(LocaleValuesTest, MonthNamesAfterADayNumberTakeTheGenitive) {
    port.items[{LocaleItem::MonthName, 11}] = "\xD0\x94\xD0\xB5\xD0\xBA\xD0\xB0\xD0\xB1\xD1\x80\xD1\x8C";       // Декабрь
    port.items[{LocaleItem::GenitiveMonthName, 11}] = "\xD0\xB4\xD0\xB5\xD0\xBA\xD0\xB0\xD0\xB1\xD1\x80\xD1\x8F"; // декабря
    CLocaleValues l = LocaleValues();
    DateFields f;
    ASSERT_TRUE(COleDateTime(2026, 12, 7, 0, 0, 0).GetFields(f));
    EXPECT_EQ(l.FormatDatePicture("d MMMM yyyy", f), "7 \xD0\xB4\xD0\xB5\xD0\xBA\xD0\xB0\xD0\xB1\xD1\x80\xD1\x8F 2026");
    EXPECT_EQ(l.FormatDatePicture("MMMM yyyy", f), "\xD0\x94\xD0\xB5\xD0\xBA\xD0\xB0\xD0\xB1\xD1\x80\xD1\x8C 2026");
    EXPECT_EQ(l.FormatDatePicture("dddd MMMM", f).substr(0, 6), "Monday"); // a day name is no day number
    EXPECT_EQ(l.m_genitiveMonthNames[0], "January"); // a language without the form keeps the name
    EXPECT_EQ(l.ToLower("\xD0\x94\xC3\x89X"), "\xD0\xB4\xC3\xA9x");
}

TEST_F(LocaleValuesTest, FilterDatesAreTheSystemsOwnTextWhereItHasOne) {
    const COleDateTime d(2026, 12, 7, 23, 59, 0);
    const std::string own = LocaleValues().DateTimeText(d);
    EXPECT_EQ(own, "Monday, December 07, 2026 11:59 PM");
    port.systemText = [](const DateFields& f) {
        return std::to_string(f.day) + "." + std::to_string(f.month) + ". " + std::to_string(f.hour) + ":" +
               std::to_string(f.minute);
    };
    EXPECT_EQ(LocaleValues().DateTimeText(d), "7.12. 23:59");
    EXPECT_EQ(LocaleValues().DateTimeText(COleDateTime(2026, 2, 30, 0, 0, 0)), ""); // invalid: nothing to format
}

} // namespace
