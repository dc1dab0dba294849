#include "DayRegion.h"

#include <cstdio>

#include "../util/OleDateTime.h"

RegionMessage CDayRegion::Message() const {
    RegionMessage m;
    m.message = RegionMessages::kOpenDay;
    m.day = WholeDay();
    return m;
}

std::string CDayRegion::Describe() const {
    const COleDateTime d(static_cast<double>(WholeDay()));
    char text[64];
    std::snprintf(text, sizeof text, "open calendar at %04d-%02d-%02d", d.GetYear(), d.GetMonth(), d.GetDay());
    return text;
}
