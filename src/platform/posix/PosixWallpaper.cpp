#include "PosixWallpaper.h"

#include <cairo.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>
#include <vector>

#include "../Platform.h"
#include "DesktopSetter.h"

extern char** environ;

namespace {

constexpr long kClassNotRegistered = static_cast<long>(0x80040154);

// Runs a program and waits for it; its exit code, or -1 when it could not run.
int RunAndWait(std::vector<std::string> args, bool quiet = true) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = 0;
    int rc = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// A picture as 0x00RRGGBB pixels, rows top down.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

uint32_t Le(const unsigned char* p, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

bool ReadBmp(const std::string& path, Picture& pic, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') {
        error = "not a BMP file";
        return false;
    }
    const uint32_t offset = Le(&data[10], 4);
    const int32_t w = static_cast<int32_t>(Le(&data[18], 4));
    const int32_t h = static_cast<int32_t>(Le(&data[22], 4));
    const int bpp = static_cast<int>(Le(&data[28], 2));
    const uint32_t compression = Le(&data[30], 4);
    if (w <= 0 || h == 0 || w > 32768 || h > 32768 || h < -32768 || (bpp != 24 && bpp != 32) ||
        (compression != 0 && compression != 3)) {
        error = "only uncompressed BMP files of 24 or 32 bits are shown";
        return false;
    }
    const int height = h < 0 ? -h : h;
    const size_t stride = (static_cast<size_t>(w) * (bpp / 8) + 3) & ~size_t(3);
    if (offset > data.size() || (data.size() - offset) / stride < static_cast<size_t>(height)) {
        error = "the BMP file is cut short";
        return false;
    }
    pic.width = w;
    pic.height = height;
    pic.pixels.resize(static_cast<size_t>(w) * height);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = &data[offset + stride * static_cast<size_t>(h < 0 ? y : height - 1 - y)];
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = row + x * (bpp / 8);
            pic.pixels[static_cast<size_t>(y) * w + x] = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
        }
    }
    return true;
}

bool ReadPng(const std::string& path, Picture& pic, std::string& error) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        error = cairo_status_to_string(cairo_surface_status(s));
        cairo_surface_destroy(s);
        return false;
    }
    cairo_surface_flush(s);
    pic.width = cairo_image_surface_get_width(s);
    pic.height = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* d = cairo_image_surface_get_data(s);
    pic.pixels.resize(static_cast<size_t>(pic.width) * pic.height);
    for (int y = 0; y < pic.height; ++y)
        std::memcpy(&pic.pixels[static_cast<size_t>(y) * pic.width], d + static_cast<size_t>(y) * stride,
                    static_cast<size_t>(pic.width) * 4);
    for (auto& p : pic.pixels) p &= 0xFFFFFF;
    cairo_surface_destroy(s);
    return true;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name, bool create) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, create ? 0 : 1, static_cast<uint16_t>(std::strlen(name)), name),
                              nullptr);
    xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

xcb_pixmap_t PixmapProperty(xcb_connection_t* c, xcb_window_t root, xcb_atom_t atom) {
    if (atom == XCB_ATOM_NONE) return XCB_NONE;
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, atom, XCB_ATOM_PIXMAP, 0, 1), nullptr);
    xcb_pixmap_t p = XCB_NONE;
    if (r && r->type == XCB_ATOM_PIXMAP && r->format == 32 && xcb_get_property_value_length(r) == 4)
        std::memcpy(&p, xcb_get_property_value(r), 4);
    std::free(r);
    return p;
}

} // namespace

long CPosixWallpaperPort::CreateActiveDesktop() { return kClassNotRegistered; }

std::string CPosixWallpaperPort::ChosenSetter() {
    if (!Env("ORVANTA_WALLPAPER_COMMAND").empty()) return "command";
    if (auto setter = DesktopSetterOfSession()) return setter->Tool();
    if (!Env("DISPLAY").empty()) return "x11";
    return {};
}

namespace {

// The port's memory of the desktop's setting, in the file registry beside "Wallpaper":
// "User" is the user's own setting as last seen, "Ours" the one this program wrote
// (empty while the user's is shown). Each belongs to one desktop.
constexpr const char* kMemoryKey = "Control Panel\\Desktop\\Linux Desktop";

struct Remembered {
    DesktopSetting setting;
    std::string picture; // the user's picture among the setting's pictures
};

Remembered Load(const std::string& which, const std::string& desktop) {
    Remembered out;
    std::unique_ptr<IRegistryKey> key;
    if (Port<IRegistryPort>().OpenKey(RegRoot::CurrentUser, std::string(kMemoryKey) + "\\" + which, RegAccess::Read,
                                      key) != 0 ||
        !key)
        return out;
    auto text = [&key](const std::string& name) {
        RegValue v;
        return key->QueryValue(name, v) == 0 ? v.AsText() : std::string();
    };
    if (text("Desktop") != desktop) return out;
    const int count = std::atoi(text("Count").c_str());
    for (int i = 0; i < count && i < 1000; ++i) {
        const std::string n = std::to_string(i);
        out.setting.entries.push_back({text("Key " + n), text("Value " + n), text("Picture " + n) == "1"});
    }
    out.picture = text("Picture");
    return out;
}

bool Save(const std::string& which, const std::string& desktop, const Remembered& r) {
    std::unique_ptr<IRegistryKey> key;
    IRegistryPort& reg = Port<IRegistryPort>();
    const std::string path = std::string(kMemoryKey) + "\\" + which;
    reg.DeleteKeyTree(RegRoot::CurrentUser, path); // no entries of an older setting left behind
    if (reg.CreateKey(RegRoot::CurrentUser, path, "", key) != 0 || !key) return false;
    std::vector<std::pair<std::string, RegValue>> values{
        {"Desktop", RegValue::Text(desktop)},
        {"Count", RegValue::Text(std::to_string(r.setting.entries.size()))},
        {"Picture", RegValue::Text(r.picture)}};
    for (size_t i = 0; i < r.setting.entries.size(); ++i) {
        const std::string n = std::to_string(i);
        const DesktopEntry& e = r.setting.entries[i];
        values.push_back({"Key " + n, RegValue::Text(e.key)});
        values.push_back({"Value " + n, RegValue::Text(e.value)});
        values.push_back({"Picture " + n, RegValue::Text(e.picture ? "1" : "0")});
    }
    return key->SetValues(values) == 0;
}

// Each trouble with a desktop's tool is said once, not at every wallpaper check.
void SayOnce(const std::string& text) {
    static std::set<std::string> said;
    if (said.insert(text).second) std::cerr << text << "\n";
}

// The same words whether reading or setting failed: one trouble, one message.
std::string Trouble(const IDesktopSetter& s, const std::string& error) {
    return "orvanta: " + s.Desktop() + "'s wallpaper cannot be changed: " + s.Tool() + " " + error +
           ". The desktop's own setting is left as it is.";
}

bool WriteRegistryWallpaper(const std::string& path) {
    std::unique_ptr<IRegistryKey> key;
    if (Port<IRegistryPort>().CreateKey(RegRoot::CurrentUser, "Control Panel\\Desktop", "", key) != 0 || !key ||
        key->SetValue("Wallpaper", RegValue::Text(path)) != 0) {
        std::cerr << "orvanta: the wallpaper setting could not be written\n";
        return false;
    }
    return true;
}

// What the desktop shows now, set against what this program wrote: entries that
// differ are the user's. A value still holding ours is the user's earlier one (the
// user chose a new picture and the dark variant or another monitor kept ours). The
// user's memory follows; the picture returned is the one to treat as the user's.
struct Reading {
    std::string picture;
    int style = 0;
};
Reading Reconcile(const IDesktopSetter& setter, const DesktopSetting& current) {
    const std::string desktop = setter.Desktop();
    const Remembered user = Load("User", desktop);
    const Remembered ours = Load("Ours", desktop);
    std::vector<const DesktopEntry*> theirs; // picture entries the user set
    DesktopSetting merged;
    for (const auto& e : current.entries) {
        const DesktopEntry* o = ours.setting.Find(e.key);
        const bool mine = o && o->value == e.value;
        if (e.picture && !mine) theirs.push_back(&e);
        const DesktopEntry* before = mine ? user.setting.Find(e.key) : nullptr;
        merged.entries.push_back(before ? *before : e);
    }
    if (theirs.empty()) { // all ours: the picture shown is our own
        for (const auto& e : current.entries)
            if (e.picture) return {setter.PathOf(e), setter.StyleOf(current)};
        return {"", setter.StyleOf(current)};
    }
    Reading out{setter.PathOf(*theirs.front()), setter.StyleOf(merged)};
    for (const DesktopEntry* e : theirs)
        if (setter.PathOf(*e) == user.picture) out.picture = user.picture; // the one it was stays the one
    if (!(merged == user.setting) || out.picture != user.picture) Save("User", desktop, {merged, out.picture});
    return out;
}

} // namespace

bool CPosixWallpaperPort::ReadDesktop(std::string& path, int& styleCode) {
    if (!Env("ORVANTA_WALLPAPER_COMMAND").empty()) return false;
    std::unique_ptr<IDesktopSetter> setter = DesktopSetterOfSession();
    if (!setter) return false;
    DesktopSetting current;
    std::string error;
    const IDesktopSetter::Read read = setter->Get(current, error);
    if (read == IDesktopSetter::Read::Failed) SayOnce(Trouble(*setter, error));
    if (read != IDesktopSetter::Read::Ok) return false;
    const Reading r = Reconcile(*setter, current);
    path = r.picture;
    styleCode = r.style;
    return true;
}

bool CPosixWallpaperPort::SystemSet(const std::string& path, int styleCode) {
    const std::string command = Env("ORVANTA_WALLPAPER_COMMAND");
    std::unique_ptr<IDesktopSetter> setter = command.empty() ? DesktopSetterOfSession() : nullptr;
    if (setter) return SetOnDesktop(*setter, path, styleCode);
    // The configuration first, as Windows keeps it: the wallpaper rules read it back.
    if (!WriteRegistryWallpaper(path)) return false;
    if (path.empty()) return true; // no picture: nothing to show
    if (!command.empty()) return RunAndWait({"/bin/sh", "-c", command, "orvanta-wallpaper", path}, false) == 0;
    if (!Env("DISPLAY").empty()) {
        std::string error;
        if (SetRootWindow(path, styleCode, error)) return true;
        std::cerr << "orvanta: the picture " << path << " could not be shown on the root window: " << error << "\n";
        return false;
    }
    std::cerr << "orvanta: no way to set the wallpaper was found (no desktop, no X display); "
                 "ORVANTA_WALLPAPER_COMMAND can name one\n";
    return false;
}

bool CPosixWallpaperPort::SetOnDesktop(IDesktopSetter& setter, const std::string& path, int styleCode) {
    DesktopSetting current;
    std::string error;
    const IDesktopSetter::Read read = setter.Get(current, error);
    if (read == IDesktopSetter::Read::Failed) {
        // Without the present setting the user's could not be put back later.
        SayOnce(Trouble(setter, error));
        return false;
    }
    if (read == IDesktopSetter::Read::Ok) Reconcile(setter, current);
    const std::string desktop = setter.Desktop();
    // The user's picture goes back with the user's whole setting, exactly.
    const Remembered user = Load("User", desktop);
    bool restoring = !user.setting.entries.empty() && user.picture == path;
    for (const auto& e : user.setting.entries)
        if (e.picture && setter.PathOf(e) == path) restoring = true;
    if (path.empty() && !restoring) return WriteRegistryWallpaper(path); // no picture: nothing to show
    const DesktopSetting target = restoring ? user.setting : setter.Showing(current, path, styleCode);
    // Ours is remembered before it reaches the desktop: a crash half way leaves a
    // desktop whose entries of ours are known as ours, and the user's memory intact.
    const Remembered oursBefore = Load("Ours", desktop);
    if (!restoring) Save("Ours", desktop, {target, ""});
    // One entry at a time, so that a failure puts back exactly what was changed.
    std::vector<DesktopEntry> changed;
    for (const auto& e : target.entries) {
        const DesktopEntry* now = setter.GetsWhatIsShown() ? current.Find(e.key) : nullptr;
        if (now && now->value == e.value) continue;
        if (!setter.Set({e}, error)) {
            std::string ignored;
            for (auto it = changed.rbegin(); it != changed.rend(); ++it)
                if (const DesktopEntry* was = setter.GetsWhatIsShown() ? current.Find(it->key) : nullptr)
                    setter.Set({*was}, ignored);
            if (!restoring) Save("Ours", desktop, oursBefore);
            SayOnce(Trouble(setter, error));
            return false;
        }
        changed.push_back(e);
    }
    if (restoring) Save("Ours", desktop, {});
    return WriteRegistryWallpaper(path);
}

bool CPosixWallpaperPort::SetRootWindow(const std::string& path, int styleCode, std::string& error) {
    Picture pic;
    const size_t dot = path.rfind('.');
    std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (auto& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!(ext == "png" ? ReadPng(path, pic, error) : ReadBmp(path, pic, error))) return false;

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (!c || xcb_connection_has_error(c)) {
        if (c) xcb_disconnect(c);
        error = "no X display";
        return false;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const int sw = screen->width_in_pixels, sh = screen->height_in_pixels;
    const uint8_t depth = screen->root_depth;
    int bpp = 0;
    for (auto f = xcb_setup_pixmap_formats_iterator(xcb_get_setup(c)); f.rem; xcb_format_next(&f))
        if (f.data->depth == depth) bpp = f.data->bits_per_pixel;
    if ((depth != 24 && depth != 32) || bpp != 32) {
        xcb_disconnect(c);
        error = "the root window is not a 24-bit true-colour window";
        return false;
    }
    // The screen's picture: the file centred, tiled or stretched over black.
    std::vector<uint32_t> out(static_cast<size_t>(sw) * sh, 0);
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x) {
            int sx, sy;
            if (styleCode == 2) {
                sx = static_cast<int>(static_cast<long long>(x) * pic.width / sw);
                sy = static_cast<int>(static_cast<long long>(y) * pic.height / sh);
            } else if (styleCode == 1) {
                sx = x % pic.width;
                sy = y % pic.height;
            } else {
                sx = x - (sw - pic.width) / 2;
                sy = y - (sh - pic.height) / 2;
                if (sx < 0 || sy < 0 || sx >= pic.width || sy >= pic.height) continue;
            }
            out[static_cast<size_t>(y) * sw + x] = pic.pixels[static_cast<size_t>(sy) * pic.width + sx];
        }
    xcb_pixmap_t pixmap = xcb_generate_id(c);
    xcb_create_pixmap(c, depth, pixmap, screen->root, static_cast<uint16_t>(sw), static_cast<uint16_t>(sh));
    xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, pixmap, 0, nullptr);
    // Requests are limited in size: the picture goes in bands of rows.
    const uint32_t maxBytes = xcb_get_maximum_request_length(c) * 4u - 64u;
    const int rowsPerBand = std::max(1, static_cast<int>(maxBytes / (static_cast<uint32_t>(sw) * 4u)));
    for (int y = 0; y < sh; y += rowsPerBand) {
        const int rows = std::min(rowsPerBand, sh - y);
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, static_cast<uint16_t>(sw), static_cast<uint16_t>(rows), 0,
                      static_cast<int16_t>(y), 0, depth, static_cast<uint32_t>(rows) * sw * 4u,
                      reinterpret_cast<const uint8_t*>(&out[static_cast<size_t>(y) * sw]));
    }
    xcb_free_gc(c, gc);

    const xcb_atom_t rootAtom = Atom(c, "_XROOTPMAP_ID", true);
    const xcb_atom_t esetAtom = Atom(c, "ESETROOT_PMAP_ID", true);
    // A pixmap left by an earlier setter that kept its resources is freed, as
    // root-window setters agree among themselves, so the pictures do not pile up.
    const xcb_pixmap_t oldRoot = PixmapProperty(c, screen->root, rootAtom);
    const xcb_pixmap_t oldEset = PixmapProperty(c, screen->root, esetAtom);
    if (oldRoot != XCB_NONE && oldRoot == oldEset) xcb_kill_client(c, oldRoot);

    xcb_change_window_attributes(c, screen->root, XCB_CW_BACK_PIXMAP, &pixmap);
    xcb_clear_area(c, 0, screen->root, 0, 0, 0, 0);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, rootAtom, XCB_ATOM_PIXMAP, 32, 1, &pixmap);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, screen->root, esetAtom, XCB_ATOM_PIXMAP, 32, 1, &pixmap);
    // The pixmap must outlive this connection: the root keeps showing it.
    xcb_set_close_down_mode(c, XCB_CLOSE_DOWN_RETAIN_PERMANENT);
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // waits until the server has it all
    const bool ok = !xcb_connection_has_error(c);
    xcb_disconnect(c);
    if (!ok) error = "the X connection failed";
    return ok;
}

std::string CPosixWallpaperPort::ExpandEnvironment(const std::string& text) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text[i] == '%' ? text.find('%', i + 1) : std::string::npos;
        if (end == std::string::npos || end == i + 1) {
            out += text[i++];
            continue;
        }
        const std::string name = text.substr(i + 1, end - i - 1);
        const char* value = std::getenv(name.c_str());
        if (value) {
            out += value;
        } else {
            out += text.substr(i, end - i + 1); // unknown names stay as written
        }
        i = end + 1;
    }
    return out;
}

std::string CPosixWallpaperPort::NameOnDisk(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return {};
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
