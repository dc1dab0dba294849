/* The program's string table, shared by the resource script and the portable code.
   Quotes inside texts are written as \x22 so that both the C++ compiler and windres
   read them the same way. */
#ifndef ORVANTA_STRINGS_H
#define ORVANTA_STRINGS_H

#include "orvanta_version.h" /* written by the build */

#define IDS_COMPANY 10000
#define IDS_PRODUCT 10001
#define IDS_ALREADY_ACTIVE 10002
#define IDS_OLE_INIT_FAILED 10004
#define IDS_LOCK_FAILED 10005
#define IDS_SPLASH_FAILED 10007
#define IDS_RATIO 10013
#define IDS_CROP_ERROR 10017
#define IDS_VERSION 10019
#define IDS_VERSION_ABOUT 10020
#define IDS_ABOUT_VERSION_LINE 10024
#define IDS_APP_TITLE 57344

#define ORVANTA_STRINGS(X)                                                                   \
    X(IDS_COMPANY, "Kestrova")                                                               \
    X(IDS_PRODUCT, "Orvanta for Outlook")                                                    \
    X(IDS_ALREADY_ACTIVE, "Orvanta for Outlook is already active")                           \
    X(IDS_OLE_INIT_FAILED, "AfxOleInit initialization fails, possibly because incorrect "   \
                           "versions \nof the OLE system DLLs are installed.\x22")           \
    X(IDS_LOCK_FAILED, "Orvanta for Outlook cannot start: its single-instance lock "          \
                       "could not be made")                                                  \
    X(IDS_SPLASH_FAILED, "Failed to create splash screen")                                   \
    X(IDS_RATIO, "Appointments/Tasks ratio (%d : %d) %%")                                    \
    X(IDS_CROP_ERROR, "Crop image error")                                                    \
    X(IDS_VERSION, ORVANTA_SETTINGS_VERSION)                                                 \
    X(IDS_VERSION_ABOUT, ORVANTA_VERSION)                                                    \
    X(IDS_ABOUT_VERSION_LINE, "Orvanta for Outlook %s (%s)")                                 \
    X(IDS_APP_TITLE, "Orvanta for Outlook")

/* Texts of the dialog templates. */
#define TXT_ALREADY_RUNNING_CAPTION "Orvanta for Outlook"
#define TXT_ALREADY_RUNNING_MESSAGE                                                          \
    "Orvanta for Outlook can not start because %s is already running. You first have to "   \
    "exit %s and then start Orvanta for Outlook again."
#define TXT_ALREADY_RUNNING_HINT                                                             \
    "If you got this message on computer startup then you might want to disable the "       \
    "\x22launch on startup\x22 option in the other program to prevent this situation from " \
    "happening on next startup again."
#define TXT_ABOUT_COMPANY "Kestrova"
#define TXT_STARTUP_INFO_CAPTION "Orvanta for Outlook - Startup Info"
#define TXT_STARTUP_INFO_DONT_SHOW "Please do not show me this dialog again"

/* Dialogs and their controls. */
#define IDD_ABOUTBOX 100
#define IDD_ALREADY_RUNNING 246
#define IDC_ABOUT_PICTURE 1003
#define IDC_ABOUT_VERSION 1043
#define IDC_ABOUT_COMPANY 1048
#define IDC_ABOUT_CLOSE 1051
#define IDC_ALREADY_RUNNING_MESSAGE 1082
#define IDD_STARTUP_INFO 108
#define IDC_STARTUP_INFO_PICTURE 1079
#define IDC_STARTUP_INFO_DONT_SHOW 1078

/* Pictures. Those of a colour style are a base number plus the style index (0 Blue,
   1 Green, 2 Brown). */
#define IDR_MAINFRAME 128 /* the program icon, 16, 32 and 48 pixels */
#define IDI_TRAY_START 200 /* the tray icon until the date icon is chosen */
#define IDI_TODAY 205 /* + style: the mark laid over today in the month calendar, 32 x 32 */
#define IDB_SPLASH 203 /* 400 x 300, 8 bits with its own colour table */
#define IDB_STARTUP_INFO 244 /* 640 x 400, the start-up information text */
#define IDB_HEADER 187 /* + style: header of the data panel, 700 x 64 */
#define IDB_CONTACTS 236 /* + style: contacts button over the header, 25 x 32 */
#define IDB_CALENDAR_BACK 196 /* + style: calendar block, 450 x 264, 450 x 269, 455 x 269 */
#define IDB_APPOINTMENT_STRIP 223 /* + style: side-bar strips, 400 x 26 */
#define IDB_TASK_STRIP 226
#define IDB_FOLDER_STRIP 230
/* State marks of appointments and tasks, 10 x 12 on the key colour (0, 255, 255). */
#define IDB_TASK_COMPLETE 130
#define IDB_IMPORTANCE_HIGH 183
#define IDB_IMPORTANCE_LOW 184
#define IDB_ATTACHMENT 190
#define IDB_REMINDER 191
#define IDB_RECURRING 192
#define IDB_TASK_NOT_STARTED 193
#define IDB_TASK_IN_PROGRESS 194

// Menu commands.
#define ID_NEW_APPOINTMENT 32799
#define ID_NEW_TASK 32800
#define ID_NEW_MAIL 32801
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_SETTINGS 32785
#define ID_STYLE_BLUE 32776
#define ID_STYLE_GREEN 32777
#define ID_STYLE_BROWN 32778
#define ID_HELP_INDEX 32786
#define ID_SHOW_STARTUP_INFO 32803
#define ID_HIDE_DATA 32795
#define ID_PRESENTING 32804 /* every subject drawn as "Busy" while checked */
#define ID_START_OUTLOOK 32788
#define ID_REFRESH 32790
#define ID_POPUP 32798 /* the double-click action 3; no item of the tray menu */

/* The tray icon's identifier and its menu. */
#define IDR_TRAY_MENU 195

#endif
