#pragma once
// The interactive desktop's contact with the system: the mouse-hook library, the
// shell's desktop windows, the desktop list view's icon test, the tooltip window and
// the pop-up data window.
//
// win32: MouseHook.dll loaded at run time by name (setMyHook, clearMyHook,
//   SetExtraEvent); FindWindow for "Program Manager"/ProgMan → SHELLDLL_DefView →
//   "Internet Explorer_Server"; IsIconAt with LVM_HITTEST through memory in the list
//   view's process (or a file mapping when the list view is in this process);
//   the tooltip window CToolTipWnd (the placement is the portable
//   CToolTip's); CPopUpThread/CPopUpWnd.
// posix: none (no such port is installed: the Linux program has no desktop hook,
//   tooltip or pop-up; the mapper's logic is tested with fakes).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../util/PixelSurface.h"
#include "../util/Rect.h"
#include "CanvasPort.h"

// What placing a tooltip needs to know of the system.
struct TooltipMetrics {
    // The virtual screen (all monitors; left and top negative when a monitor lies
    // left of or above the primary one).
    int screenLeft = 0, screenTop = 0, screenWidth = 0, screenHeight = 0;
    int captionHeight = 0, frameHeight = 0, cursorHeight = 0;
    bool taskbarKnown = false;
    int taskbarTop = 0;
};

// A spot of the pop-up picture that the keyboard and a screen reader reach, in the
// picture's (the client area's) coordinates.
struct PopupItem {
    enum class Role { ListItem, Button, Cell };
    Rect rect;
    std::string name; // the day and the subject, the folder and its count, the date
    Role role = Role::ListItem;
};

// What the pop-up window asks of the program, from the pop-up's own thread.
class IPopupSource {
public:
    virtual ~IPopupSource() = default;
    // The items in reading order and the index of the focused one (-1: none), taken
    // together so that they belong to the same picture.
    virtual std::vector<PopupItem> Items(int& focused) = 0;
    // Tab and the arrow keys: the focus to the next item in reading order (or the
    // previous one), round at the ends; false when there is no item.
    virtual bool MoveFocus(bool forward) = 0;
    // The focus to the item (a screen reader's selection); false when there is none.
    virtual bool SetFocus(int index) = 0;
    // Enter: the focused item opens as a click on it does; false when none is focused.
    virtual bool ActivateFocused() = 0;
    // changed is called, from the main thread, whenever the picture was drawn anew
    // (its items and the focus may have moved): the window paints again. The number
    // given back takes the call away again.
    virtual int AddChangeListener(std::function<void()> changed) = 0;
    virtual void RemoveChangeListener(int id) = 0;
    // Where an open window belongs now, in screen coordinates (the middle of the
    // panel's monitor), read when changed is called: after a display change the window
    // moves there. Empty: it stays where it was opened.
    virtual Rect Placement() { return {}; }
    // Calls paint with the pop-up picture while the main thread cannot replace it;
    // paint is not called when there is no picture.
    virtual void PaintPicture(void (*paint)(const PixelSurface& picture, void* context), void* context) = 0;
    // The window's top-left screen corner and a mouse move at a client point.
    virtual void MouseMove(int screenLeft, int screenTop, int x, int y) = 0;
    // A left button press at a client point (forwarded as a click and an other-event).
    virtual void LeftButtonDown(int x, int y) = 0;
};

class IDesktopPort {
public:
    using Handle = uintptr_t;
    virtual ~IDesktopPort() = default;

    // The hook library's three functions; false when the library or the function is
    // missing.
    virtual bool SetHook(Handle window) = 0;
    virtual bool ClearHook(Handle window) = 0;
    virtual void SetExtraEvent(int flag) = 0;

    // The shell's Active Desktop web view ("Internet Explorer_Server" below
    // SHELLDLL_DefView below "Program Manager"); 0 when any step fails.
    virtual Handle FindShellWebView() = 0;
    // Whether a desktop icon lies under the point (client coordinates) of the list view.
    virtual bool IsIconAt(Handle listView, int x, int y) = 0;

    // The tooltip window, placed by the program's CToolTip: the sizes the
    // placement needs, the text measured in the desktop icon-title font, and one
    // borderless topmost window that never takes the activation.
    virtual TooltipMetrics GetTooltipMetrics() = 0;
    // The extent of each line, and the height of the whole text word-wrapped in width.
    virtual std::vector<TextSize> MeasureTooltipLines(const std::vector<std::string>& lines) = 0;
    virtual int WrappedTooltipHeight(const std::string& text, int width) = 0;
    // Shows the tooltip window (a former one goes) at the screen rectangle window,
    // clipped to region (in the window's own coordinates); dismissed is called, on the
    // main thread, when the window hides itself: after 10 seconds, on a click or a key
    // in it, or when it loses the focus.
    virtual bool ShowTooltipWindow(const std::string& text, const Rect& window, const Rect& region,
                                   std::function<void()> dismissed) = 0;
    virtual void DestroyTooltipWindow() = 0;

    // Starts a pop-up window in a thread of its own, at window (screen coordinates);
    // false when the thread cannot be started. The source outlives every pop-up.
    virtual bool OpenPopup(IPopupSource& source, const Rect& window) = 0;
};
