#pragma once
// The X server's monitors over XCB: RandR 1.5 monitors (the primary flag as the server
// keeps it), their work areas from the window manager's _NET_WORKAREA, and a
// connection that is told when either changes.
//
// Implements: xcb_randr_get_monitors on the first screen's root (active monitors);
//   without RandR 1.5 the root window as one monitor; the work area of the current
//   desktop (_NET_CURRENT_DESKTOP) cut to each monitor, the whole monitor where no
//   window manager publishes one; change notices: RandR screen, CRTC and output
//   changes and property changes of the root (_NET_WORKAREA, and the monitors a
//   client sets with xrandr --setmonitor, which the server announces as a change of
//   the root's RandR properties); each monitor's DPI from the resource Xft.dpi
//   (RESOURCE_MANAGER on the root, as xrdb and the desktops set it), else from its
//   physical size as RandR reports it, and a change of those resources as a change.
// Does not implement: more than the first X screen (Xinerama's single root covers all
//   monitors today); Wayland's own outputs (XWayland reports them through RandR).
#include <memory>
#include <string>
#include <vector>

#include "../SystemPort.h"

struct xcb_connection_t;

class CXcbScreen {
public:
    // Connects to the display named by DISPLAY; Connected() tells whether it worked.
    CXcbScreen();
    ~CXcbScreen();
    CXcbScreen(const CXcbScreen&) = delete;
    CXcbScreen& operator=(const CXcbScreen&) = delete;

    bool Connected() const;
    // The root window's size (the virtual screen) and the monitors on it; false when
    // the connection is gone.
    bool Read(int& rootWidth, int& rootHeight, std::vector<MonitorInfo>& monitors);

    // Asks the server to report monitor and work-area changes on this connection.
    bool SelectChanges();
    // The connection's file descriptor, to wait on; -1 when not connected.
    int Fd() const;
    // Reads every event waiting; true when one of them may have changed the monitors
    // or the work area. Also true when the connection broke (the caller reads again
    // and finds out).
    bool TakeChanges();

    // The value of "Xft.dpi" in the text of X resources (rounded); 0 when it is not
    // there or is no sensible DPI.
    static int XftDpi(const std::string& resources);

private:
    xcb_connection_t* m_conn = nullptr;
    unsigned m_root = 0;
    int m_randrEvent = -1; // the first event number of RandR; -1 without RandR
    bool m_monitorsKnown = false; // RandR 1.5 is there
    unsigned m_workAreaAtom = 0, m_currentDesktopAtom = 0;
};
