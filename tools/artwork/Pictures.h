#pragma once
// Every picture of the program, drawn from code. Sizes are the ones the program draws
// them at; the resource numbers they are stored under are chosen in main.cpp.
#include <vector>

#include "Canvas.h"
#include "Styles.h"

enum class ListKind { Appointments, Tasks, Folders };

// Header of the data panel, 700 x 64: the product name in the left 120 x 32, room for
// the date at the right of the top band, and below it the captions of the blocks as the
// style places them in the central view.
Image HeaderBitmap(int style);
// Contacts button, 25 x 32, drawn over the header at x = 126.
Image ContactsButton(int style);
// Strip over a list in the side bar, 400 x 26 (cut to the side bar's width).
Image ListStrip(int style, ListKind kind);
// Calendar block background: 450 x 264 (Blue), 450 x 269 (Green), 455 x 269 (Brown).
Image CalendarBackground(int style);

// Pictures of the month calendar: 32 x 32, black where the calendar shows through.
Image DayIcon(int style, int day);         // day 1..31
Image WeekdayIcon(int style, int weekday); // 0 Monday .. 6 Sunday
Image TodayIcon(int style);                // laid over the day's picture

// State marks of appointments and tasks, 10 x 12 on the key colour (0, 255, 255).
enum class StateMark { Complete, NotStarted, InProgress, Attachment, High, Low, Reminder, Recurring };
Image StateBitmap(StateMark mark);

Image SplashPicture();      // 400 x 300
Image StartupInfoPicture(); // 640 x 400

std::vector<Image> ProgramIcon();   // 16, 32, 48
std::vector<Image> TrayStartIcon(); // 16, 32
std::vector<Image> DateIcon(int day); // 16, 32: a calendar page with the day of the month
