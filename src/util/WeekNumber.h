#pragma once
#include "OleDateTime.h"

// The number of the week holding date under Outlook's first-week rules:
// 0 the week of 1 January, 1 the first week with at least four days, 2 the first
// full week. firstDay is 0 Monday ... 6 Sunday. Another rule gives firstDay back.
int WeekNumber(const COleDateTime& date, int rule, int firstDay);
