#pragma once
// Everything the program knows of the user's Outlook data, and the change signature
// that tells whether the wallpaper must be drawn again.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../outlook/Appointments.h"
#include "../outlook/MailFolders.h"
#include "../outlook/OutlookEngine.h"
#include "../outlook/PrivacyFilter.h"
#include "../outlook/Tasks.h"
#include "../outlook/calendar/CalendarSources.h"
#include "../outlook/calendar/FeedCache.h"
#include "../settings/CalendarSource.h"
#include "../desktop/DesktopMapper.h"
#include "../desktop/PopUpSource.h"
#include "../desktop/ToolTip.h"
#include "../render/Composer.h"
#include "../render/FileVersion.h"
#include "../platform/Platform.h"

class CSettings;

class COrvantaDoc {
public:
    static constexpr int kDayLists = 7;
    // The pop-up window's picture.
    static constexpr int kPopupWidth = 700;
    static constexpr int kPopupHeight = 526;

    explicit COrvantaDoc(CSettings& settings);
    ~COrvantaDoc();

    // The two hidden mapper windows: the desktop's, handed to the hook
    // library, and the pop-up's. Made once the window kit is up; false when either
    // window could not be made.
    bool CreateMappers();
    CDesktopMapper* DesktopMapper() const { return m_desktopMapper.get(); }
    CDesktopMapper* PopupMapper() const { return m_popupMapper.get(); }
    CToolTip& ToolTip() { return m_tooltip; }
    // Takes the desktop tooltip away, if one is up (a window of ours opens, the data go).
    void HideTooltip() {
        if (m_tooltip.Shown()) m_tooltip.Hide();
    }
    // A pop-up data window in a thread of its own; false when it could not
    // be started (or this platform has none).
    bool OpenPopup();
    // Where the pop-up belongs: the middle of the panel's monitor, in screen coordinates.
    Rect PopupWindow() const;

    // The tray menu's "New Item" commands; true when id is one of them.
    bool OnCommand(int id);

    bool RefreshData();
    // The user's JPEG picture made into the converted-copy BMP (the flag says whether
    // the copy is good); any other picture clears the flag. The copy is the finished
    // background (CComposer::PrepareBackground), made once per version of the file,
    // the screens, the style and the desktop colour: while none of them changed, the
    // copy on disk (or the failure) stands and the picture is not read again.
    void ConvertBackground();
    // Composes the wallpaper from the data of the last refresh into the output path
    // (bringing the converted copy up to date first).
    bool Compose();
    // How many times the user's picture was read (by a conversion or a composition).
    int Conversions() const { return m_composer.PictureReads(); }
    CComposer& Composer() { return m_composer; }
    // Reads Outlook; true when the read succeeded and the picture should be drawn
    // again: the data changed, or the last picture could not be written.
    bool RefreshAndCompare();
    uint32_t BuildSignature();
    std::string SignatureText() const;
    // The line or lines the header's tooltip adds: each calendar feed shown from a copy
    // older than a try that failed, with the copy's age; empty when none.
    std::string HeaderNote() const;

    COutlookEngine& Engine() { return m_engine; }
    const CTasks& Tasks() const { return m_tasks; }
    const CAppointments& Day(int i) const { return m_days[static_cast<size_t>(i)]; }
    const CMailFolders& Folders() const { return m_folders; }
    uint32_t LastSignature() const { return m_lastSignature; }

    // Runs at the start of every data load, before Outlook is read: the capture of the
    // user's wallpaper (the application sets it). True when it took a change the
    // picture on show lacks: it is drawn after this read, or after the next one that
    // succeeds when this one fails.
    std::function<bool()> m_beforeRead;
    // The picture on show lacks a change (the user's wallpaper): the next successful
    // read draws it again even when the data are the same.
    void MarkPictureBehind() { m_redrawWanted = true; }

    // Presenting: every subject is drawn as "Busy" from the next read on. Starts as the
    // setting "Presenting" says; switched by the user, never saved.
    bool Presenting() const { return m_presenting; }
    void SetPresenting(bool on) { m_presenting = on; }

    // The calendar sources beside Outlook read at every refresh, in this order: given
    // ("orvanta agenda --source", the tests), or, with m_sourcesFromSettings, taken
    // from the settings' list at each refresh (the program; agenda without --source).
    std::vector<CCalendarSource> m_calendarSources;
    bool m_sourcesFromSettings = false;
    // Where the program keeps its data (the calendar files' cache, the feeds' copies);
    // empty: nothing kept, and feeds are not fetched.
    void SetDataFolder(const std::string& folder);
    // The user's data folder of the program, made when missing; empty when it cannot be.
    static std::string UserDataFolder();
    // Their reader (feeds, the cache file); its results merge into the lists.
    CCalendarSources& CalendarSources() { return m_calendars; }
    // The zone the calendar files' times are shown in; empty: the user's local time.
    std::string m_calendarZone;
    // Told once for each calendar file that cannot be read (standard error when unset).
    std::function<void(const std::string&)> m_calendarProblem;
    // Days shown instead of Outlook Today's "CalDays" (orvanta agenda --days).
    std::optional<int> m_daysShown;
    // What the last read of the calendar sources gave (for the agenda and the tests).
    const CCalendarSources::Result& LastCalendarRead() const { return m_lastCalendarRead; }

    // The clock the refresh reads; tests set their own.
    std::function<COleDateTime()> m_clock = [] { return LocalNow(); };

private:

    CSettings& m_settings;
    COutlookEngine m_engine;
    CTasks m_tasks;
    std::array<CAppointments, kDayLists> m_days;
    CMailFolders m_folders;
    // Maildir sources' folders, after Outlook's at the end of m_folders (their number),
    // and the Maildirs already said to be unreadable.
    int m_maildirFolders = 0;
    std::vector<std::string> m_maildirProblems;
    void AppendMaildirFolders();
    CComposer m_composer;
    // The data of the last successful read; a failed read leaves it, so that what it
    // missed is still seen as a change once a read succeeds.
    uint32_t m_lastSignature = 0;
    // The last composition could not be written: the picture shows older data than
    // the last read, and the next refresh draws even when the data did not change.
    bool m_pictureBehind = false;
    // A change of the user's wallpaper that no composition has drawn yet.
    bool m_redrawWanted = false;
    // What decides whether a refresh reads everything or only what changed.
    static constexpr int kFullReadEvery = 10;
    bool m_lastReadOk = false;
    COleDateTime m_lastToday;
    OutlookOptions m_lastOptions;
    unsigned m_lastConnections = 0;
    int m_partialReads = 0;
    CPrivacyFilter m_lastPrivacy{0, false}; // the filter the kept lists went through
    CToolTip m_tooltip; // the one desktop tooltip; goes after the mappers
    std::unique_ptr<CDesktopMapper> m_desktopMapper;
    std::unique_ptr<CDesktopMapper> m_popupMapper;
    std::unique_ptr<CPopUpSource> m_popupSource;
    bool m_presenting = false;
    CCalendarSources m_calendars;
    std::string m_dataFolder;
    std::unique_ptr<CFeedCache> m_feeds; // made when the first feed is read
    CCalendarSources::Result m_lastCalendarRead;
    // The last merge dropped Outlook's own appointments past a day's 30th: the next
    // read takes Outlook's lists again.
    bool m_calendarCut = false;
    // Reads the calendar sources into the lists; true when there are any.
    bool MergeCalendarSources(const COleDateTime& now, const COleDateTime& today, int days, const CPrivacyFilter& privacy);
};
