#include "XcbScreen.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

xcb_atom_t AtomOf(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

// The CARDINAL values of a root property; empty when it is not set.
std::vector<uint32_t> Cardinals(xcb_connection_t* c, xcb_window_t root, xcb_atom_t atom, uint32_t max) {
    std::vector<uint32_t> values;
    if (atom == XCB_ATOM_NONE) return values;
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, atom, XCB_ATOM_CARDINAL, 0, max), nullptr);
    if (r && r->type == XCB_ATOM_CARDINAL && r->format == 32) {
        const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r));
        values.assign(v, v + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    return values;
}

// The root's RESOURCE_MANAGER text (the resources xrdb loads, Xft.dpi among them).
std::string Resources(xcb_connection_t* c, xcb_window_t root) {
    std::string text;
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0, 1 << 16), nullptr);
    if (r && r->type == XCB_ATOM_STRING && r->format == 8)
        text.assign(static_cast<const char*>(xcb_get_property_value(r)),
                    static_cast<size_t>(xcb_get_property_value_length(r)));
    std::free(r);
    return text;
}

// Pixels per inch from a monitor's physical size, when that size is believable: at
// least 100 mm wide and giving 72 to 300 DPI (projectors report 0, some televisions
// only their aspect ratio, such as 160 x 90 mm).
int PhysicalDpi(int pixels, int millimetres) {
    if (millimetres < 100 || pixels <= 0) return 0;
    const int dpi = static_cast<int>((pixels * 254LL + millimetres * 5LL) / (millimetres * 10LL));
    return dpi >= 72 && dpi <= 300 ? dpi : 0;
}

} // namespace

int CXcbScreen::XftDpi(const std::string& resources) {
    size_t at = 0;
    while (at < resources.size()) {
        size_t end = resources.find('\n', at);
        if (end == std::string::npos) end = resources.size();
        std::string line = resources.substr(at, end - at);
        at = end + 1;
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string name = line.substr(0, colon);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
        while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.erase(0, 1);
        if (name != "Xft.dpi") continue;
        const double dpi = std::strtod(line.c_str() + colon + 1, nullptr);
        return dpi >= 24 && dpi <= 960 ? static_cast<int>(dpi + 0.5) : 0;
    }
    return 0;
}

CXcbScreen::CXcbScreen() {
    m_conn = xcb_connect(nullptr, nullptr);
    if (!m_conn || xcb_connection_has_error(m_conn)) {
        if (m_conn) xcb_disconnect(m_conn);
        m_conn = nullptr;
        return;
    }
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data->root;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(m_conn, &xcb_randr_id);
    if (ext && ext->present) {
        m_randrEvent = ext->first_event;
        xcb_randr_query_version_reply_t* v =
            xcb_randr_query_version_reply(m_conn, xcb_randr_query_version(m_conn, 1, 5), nullptr);
        m_monitorsKnown = v && (v->major_version > 1 || (v->major_version == 1 && v->minor_version >= 5));
        std::free(v);
    }
    m_workAreaAtom = AtomOf(m_conn, "_NET_WORKAREA");
    m_currentDesktopAtom = AtomOf(m_conn, "_NET_CURRENT_DESKTOP");
}

CXcbScreen::~CXcbScreen() {
    if (m_conn) xcb_disconnect(m_conn);
}

bool CXcbScreen::Connected() const { return m_conn && !xcb_connection_has_error(m_conn); }

int CXcbScreen::Fd() const { return Connected() ? xcb_get_file_descriptor(m_conn) : -1; }

bool CXcbScreen::Read(int& rootWidth, int& rootHeight, std::vector<MonitorInfo>& monitors) {
    monitors.clear();
    if (!Connected()) return false;
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(m_conn, xcb_get_geometry(m_conn, m_root), nullptr);
    if (!g) return false;
    rootWidth = g->width;
    rootHeight = g->height;
    std::free(g);
    if (m_monitorsKnown) {
        xcb_randr_get_monitors_reply_t* r =
            xcb_randr_get_monitors_reply(m_conn, xcb_randr_get_monitors(m_conn, m_root, 1), nullptr);
        if (r) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(r); it.rem; xcb_randr_monitor_info_next(&it)) {
                MonitorInfo m;
                m.bounds = Rect::FromSize(it.data->x, it.data->y, it.data->width, it.data->height);
                m.primary = it.data->primary != 0;
                m.dpi = PhysicalDpi(it.data->width, static_cast<int>(it.data->width_in_millimeters));
                monitors.push_back(m);
            }
            std::free(r);
        }
    }
    if (monitors.empty()) {
        MonitorInfo whole;
        whole.bounds = Rect::FromSize(0, 0, rootWidth, rootHeight);
        whole.primary = true;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_conn)).data;
        whole.dpi = PhysicalDpi(rootWidth, screen ? screen->width_in_millimeters : 0);
        monitors.push_back(whole);
    }
    // The desktop's own text scale (Xft.dpi, which GNOME, KDE and xrdb set) counts for
    // every monitor; without it, each monitor's physical size.
    if (const int xft = XftDpi(Resources(m_conn, m_root)))
        for (MonitorInfo& m : monitors) m.dpi = xft;
    // The window manager's work area of the current desktop, one rectangle over all
    // monitors: each monitor works in its part of it.
    const std::vector<uint32_t> current = Cardinals(m_conn, m_root, m_currentDesktopAtom, 1);
    const uint32_t desktop = current.empty() ? 0 : current[0];
    const std::vector<uint32_t> areas = Cardinals(m_conn, m_root, m_workAreaAtom, 4 * 64);
    Rect work = Rect::FromSize(0, 0, rootWidth, rootHeight);
    if (areas.size() >= 4 * (static_cast<size_t>(desktop) + 1)) {
        const uint32_t* a = &areas[4 * desktop];
        work = Rect::FromSize(static_cast<int>(a[0]), static_cast<int>(a[1]), static_cast<int>(a[2]),
                              static_cast<int>(a[3]));
    }
    for (MonitorInfo& m : monitors) {
        const Rect inside = m.bounds.Intersect(work);
        m.work = inside.IsEmpty() ? m.bounds : inside;
    }
    return true;
}

bool CXcbScreen::SelectChanges() {
    if (!Connected()) return false;
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_conn, m_root, XCB_CW_EVENT_MASK, &events);
    if (m_randrEvent >= 0)
        xcb_randr_select_input(m_conn, m_root,
                               XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                                   XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE | XCB_RANDR_NOTIFY_MASK_OUTPUT_PROPERTY);
    return xcb_flush(m_conn) > 0;
}

bool CXcbScreen::TakeChanges() {
    if (!Connected()) return true;
    bool changed = false;
    while (xcb_generic_event_t* e = xcb_poll_for_event(m_conn)) {
        const int type = e->response_type & 0x7F;
        if (type == XCB_PROPERTY_NOTIFY) {
            const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
            // The root's other properties (the wallpaper's pixmap among them) change
            // nothing here.
            if (p->atom == m_workAreaAtom || p->atom == m_currentDesktopAtom || p->atom == XCB_ATOM_RESOURCE_MANAGER)
                changed = true;
        } else if (m_randrEvent >= 0 && (type == m_randrEvent + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                                         type == m_randrEvent + XCB_RANDR_NOTIFY)) {
            changed = true;
        }
        std::free(e);
    }
    return changed || xcb_connection_has_error(m_conn);
}
