#pragma once
// Fast stand-ins for the OS ports, for the portable tests. The registry is the
// program's own in-memory registry, not a fake.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/Platform.h"
#include "platform/common/MemoryRegistry.h"
#include "util/OleDateTime.h"

// A Windows-like file system: names compare without regard to case.
struct NoCaseLess {
    static std::string Low(std::string s) {
        for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }
    bool operator()(const std::string& a, const std::string& b) const { return Low(a) < Low(b); }
};

class FakeSystemPort : public ISystemPort {
public:
    bool versionKnown = true;
    OsVersion version{6, 1, 7601, 2, 1};
    ScreenMetrics screen{1, 0, 0, 1920, 1080, 1920, 1080, 1920};
    std::string appData = "C:\\users\\tester\\AppData\\Roaming";
    std::string modulePath = "C:\\Program Files\\Orvanta\\orvanta.exe";
    std::string shortModulePath = "C:\\PROGRA~1\\Orvanta\\orvanta.exe";
    std::set<std::string, NoCaseLess> dirs{"C:\\users\\tester\\AppData\\Roaming"};
    std::set<std::string, NoCaseLess> failingDirs; // MakeDirectory fails for these
    std::vector<std::string> shellCalls; // "verb|file|params"
    std::map<std::string, intptr_t> shellResults; // by file; default 42

    bool GetOsVersion(OsVersion& out) override {
        out = version;
        return versionKnown;
    }
    ScreenMetrics GetScreenMetrics() override { return screen; }
    // The monitors; none set: the virtual screen as one, as a system that cannot tell.
    std::vector<MonitorInfo> monitors;
    std::vector<MonitorInfo> GetMonitors() override { return monitors.empty() ? ISystemPort::GetMonitors() : monitors; }
    std::string SpecialFolderPath(int id) override { return id == SpecialFolder::AppData ? appData : ""; }
    std::string ShortPath(const std::string& p) override { return p == modulePath ? shortModulePath : p; }
    std::string ModuleFileName(unsigned long& error) override {
        error = modulePath.empty() ? 2 : 0;
        return modulePath;
    }
    char PathSeparator() const override { return '\\'; }
    bool CaseInsensitivePaths() const override { return true; }
    bool ListDirectory(const std::string& dir, std::vector<std::string>& names) override {
        names.clear();
        if (!dirs.count(dir)) return false;
        for (const auto& d : dirs)
            if (d.size() > dir.size() + 1 && NoCaseLess::Low(d.substr(0, dir.size())) == NoCaseLess::Low(dir) &&
                d[dir.size()] == '\\' &&
                d.find('\\', dir.size() + 1) == std::string::npos)
                names.push_back(d.substr(dir.size() + 1));
        return true;
    }
    bool MakeDirectory(const std::string& path) override {
        if (failingDirs.count(path) || dirs.count(path)) return false;
        auto slash = path.rfind('\\');
        if (slash == std::string::npos || !dirs.count(path.substr(0, slash))) return false;
        dirs.insert(path);
        return true;
    }
    bool webView = false, desktopHtml = false;
    uint32_t desktopColor = 0x804020;
    uint32_t DesktopColor() override { return desktopColor; }
    bool DesktopHostsWebView() override { return webView; }
    bool DesktopHtmlSetting() override { return desktopHtml; }
    std::optional<HighContrastColors> highContrast; // the scheme on, with these colours
    bool HighContrast(HighContrastColors& colors) override {
        if (highContrast) colors = *highContrast;
        return highContrast.has_value();
    }
    intptr_t ShellExecuteVerb(const std::string& verb, const std::string& file, const std::string& params,
                          int) override {
        shellCalls.push_back(verb + "|" + file + "|" + params);
        auto it = shellResults.find(file);
        return it == shellResults.end() ? 42 : it->second;
    }
};

class FakeMutexPort : public IMutexPort {
public:
    std::set<std::string> heldElsewhere; // names other processes hold
    std::set<std::string> failing;       // names whose creation fails
    std::vector<std::string> created;    // every name asked for, in order
    std::set<std::string> heldHere;

    class Handle : public INamedMutex {
    public:
        Handle(FakeMutexPort& port, std::string name, bool owner)
            : m_port(port), m_name(std::move(name)), m_owner(owner) {}
        ~Handle() override {
            if (m_owner) m_port.heldHere.erase(m_name);
        }

    private:
        FakeMutexPort& m_port;
        std::string m_name;
        bool m_owner;
    };

    std::unique_ptr<INamedMutex> Create(const std::string& name, MutexOutcome& outcome) override {
        created.push_back(name);
        if (failing.count(name)) {
            outcome = MutexOutcome::Failed;
            return nullptr;
        }
        if (heldElsewhere.count(name) || heldHere.count(name)) {
            outcome = MutexOutcome::AlreadyExists;
            return std::make_unique<Handle>(*this, name, false);
        }
        outcome = MutexOutcome::Created;
        heldHere.insert(name);
        return std::make_unique<Handle>(*this, name, true);
    }
};

// Message boxes and dialogs are recorded and answered with OK.
class FakeUiPort : public IDialogPort {
public:
    struct Box {
        std::string text, caption;
        unsigned flags;
    };
    struct Dialog {
        int id;
        std::map<int, std::string> texts;
        std::map<int, bool> checks; // as the dialog was closed
    };
    std::vector<Box> boxes;
    std::vector<Dialog> dialogs;
    // What the user does in a dialog before closing it (ticks a box, types).
    std::function<void(IDialogControls&)> user;

    int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
        boxes.push_back({text, caption, flags});
        return MsgBox::IdOk;
    }
    int RunDialog(const DialogDesc& desc, const std::function<void(IDialogControls&)>& onInit) override {
        struct Controls : IDialogControls {
            std::map<int, std::string> texts;
            std::map<int, bool> checks;
            std::string GetItemText(int i) override { return texts[i]; }
            void SetItemText(int i, const std::string& t) override { texts[i] = t; }
            bool GetCheck(int i) override { return checks[i]; }
            void SetCheck(int i, bool c) override { checks[i] = c; }
        } controls;
        for (const auto& [id, text] : desc.texts) controls.texts[id] = text;
        onInit(controls);
        if (user) user(controls);
        if (desc.onEnd) desc.onEnd(controls);
        dialogs.push_back({desc.templateId, controls.texts, controls.checks});
        return MsgBox::IdOk;
    }
};

// Windows on a clock the test moves: Advance(ms) delivers the posted messages and
// fires every timer that falls due, in time order, without waiting. The loop of
// RunMessageLoop delivers what is posted and then closes the main window.
class FakeWindowKit : public IWindowKit {
public:
    struct Timer {
        unsigned period;
        long long due;
    };
    struct Win {
        IWindowEvents* events;
        bool main;
        std::string caption;
        std::map<unsigned, Timer> timers;
        bool alive = true;
    };
    long long nowMs = 0;
    std::map<uintptr_t, Win> windows;
    std::vector<std::tuple<uintptr_t, unsigned, uintptr_t, intptr_t>> posted;
    std::vector<MenuRequest> menus; // every menu opened
    std::map<std::string, unsigned> registered;
    uintptr_t next = 1;
    bool mainWindowCreated = false;
    std::string mainCaption() const {
        for (const auto& [h, w] : windows)
            if (w.main) return w.caption;
        return {};
    }

    class Window : public IWindow {
    public:
        Window(FakeWindowKit& kit, uintptr_t h) : m_kit(kit), m_h(h) {}
        ~Window() override { Destroy(); }
        uintptr_t Handle() const override { return m_h; }
        void SetCaption(const std::string& c) override { m_kit.windows[m_h].caption = c; }
        std::string Caption() const override { return m_kit.windows[m_h].caption; }
        bool SetTimer(unsigned id, unsigned period) override {
            if (!m_kit.windows[m_h].alive) return false;
            m_kit.windows[m_h].timers[id] = {period, m_kit.nowMs + period};
            return true;
        }
        void KillTimer(unsigned id) override { m_kit.windows[m_h].timers.erase(id); }
        bool Post(unsigned msg, uintptr_t wp, intptr_t lp) override {
            m_kit.posted.emplace_back(m_h, msg, wp, lp);
            return true;
        }
        intptr_t Send(unsigned msg, uintptr_t wp, intptr_t lp) override { return m_kit.Deliver(m_h, msg, wp, lp); }
        intptr_t SendText(unsigned msg, const std::string& text) override {
            return m_kit.Deliver(m_h, msg, 0, 0, std::string_view(text));
        }
        void Destroy() override {
            auto& w = m_kit.windows[m_h];
            w.alive = false;
            w.timers.clear();
        }
        void SetForeground() override {}

    private:
        FakeWindowKit& m_kit;
        uintptr_t m_h;
    };

    intptr_t Deliver(uintptr_t h, unsigned msg, uintptr_t wp, intptr_t lp,
                     std::optional<std::string_view> text = std::nullopt) {
        auto& w = windows[h];
        if (!w.alive) return 0;
        intptr_t r = 0;
        if (DeliverWindowMessage(*w.events, msg, wp, lp, r, text)) return r;
        if (msg == Msg::Close) w.alive = false;
        return 0;
    }
    bool MainAlive() const {
        for (const auto& [h, w] : windows)
            if (w.main && w.alive) return true;
        return false;
    }
    void DeliverPosted() {
        while (!posted.empty()) {
            auto [h, msg, wp, lp] = posted.front();
            posted.erase(posted.begin());
            Deliver(h, msg, wp, lp);
        }
    }
    // Moves the clock by ms: posted messages first, then each timer at its due time.
    void Advance(long long ms) {
        const long long end = nowMs + ms;
        DeliverPosted();
        for (;;) {
            long long best = end + 1;
            uintptr_t bh = 0;
            unsigned bid = 0;
            for (auto& [h, w] : windows)
                for (auto& [id, t] : w.timers)
                    if (t.due < best) {
                        best = t.due;
                        bh = h;
                        bid = id;
                    }
            if (best > end) break;
            nowMs = best;
            windows[bh].timers[bid].due = best + windows[bh].timers[bid].period;
            Deliver(bh, Msg::Timer, bid, 0);
            DeliverPosted();
        }
        nowMs = end;
    }
    bool TimerRunning(unsigned id) const {
        for (const auto& [h, w] : windows)
            if (w.timers.count(id)) return true;
        return false;
    }
    unsigned TimerPeriod(unsigned id) const {
        for (const auto& [h, w] : windows) {
            auto it = w.timers.find(id);
            if (it != w.timers.end()) return it->second.period;
        }
        return 0;
    }

    void InitCommonControls() override {}
    std::unique_ptr<IWindow> MakeWindow(const WindowDesc& desc, IWindowEvents& events) override {
        uintptr_t h = next++;
        windows[h] = Win{&events, desc.main, desc.caption, {}, true};
        if (desc.main) mainWindowCreated = true;
        return std::make_unique<Window>(*this, h);
    }
    unsigned RegisterMessage(const std::string& name) override {
        return registered.emplace(name, 0xC000u + static_cast<unsigned>(registered.size())).first->second;
    }
    bool TrackMenu(const MenuRequest& request, IWindow&) override {
        menus.push_back(request);
        return true;
    }
    unsigned MenuItemId(int, int, int position) override { return position == 2 ? 32785u : 0u; }
    int RunMessageLoop() override {
        DeliverPosted();
        for (auto& [h, w] : windows)
            if (w.main && w.alive) Deliver(h, Msg::Close, 0, 0);
        return 0;
    }
};

// OLE that starts or fails as the test says; no Outlook unless a test gives one.
class FakeAutomationPort : public IAutomationPort {
public:
    bool oleWorks = true;
    int oleStarts = 0;
    bool StartOle() override {
        ++oleStarts;
        return oleWorks;
    }
    void StopOle() override {}
    long CreateOutlook(AutoObjectPtr&) override { return AutoCode::ClassNotRegistered; }
    std::string ErrorText(long) override { return {}; }
};

// A locale whose items the test sets; the case mappings know a few non-ASCII letters.
class FakeLocalePort : public ILocalePort {
public:
    std::map<std::pair<LocaleItem, int>, std::string> items;
    std::function<std::string(const DateFields&)> systemText; // null: the system has none

    // English month and day names, full and in three letters.
    void EnglishNames() {
        const char* months[] = {"January", "February", "March",     "April",   "May",      "June",
                                "July",    "August",   "September", "October", "November", "December"};
        const char* days[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
        for (int i = 0; i < 12; ++i) {
            items[{LocaleItem::MonthName, i}] = months[i];
            items[{LocaleItem::AbbrevMonthName, i}] = std::string(months[i]).substr(0, 3);
        }
        for (int i = 0; i < 7; ++i) {
            items[{LocaleItem::DayName, i}] = days[i];
            items[{LocaleItem::AbbrevDayName, i}] = std::string(days[i]).substr(0, 3);
        }
    }
    struct Source : ILocaleSource {
        FakeLocalePort& port;
        explicit Source(FakeLocalePort& p) : port(p) {}
        bool Get(LocaleItem item, int index, std::string& out) override {
            auto it = port.items.find({item, index});
            if (it == port.items.end()) return false;
            out = it->second;
            return true;
        }
        std::string ToLower(const std::string& t) override {
            std::string out;
            for (size_t i = 0; i < t.size(); ++i) {
                if (t.compare(i, 2, "\xC3\x89") == 0) { // É
                    out += "\xC3\xA9";
                    ++i;
                } else if (t.compare(i, 2, "\xD0\x94") == 0) { // Д
                    out += "\xD0\xB4";
                    ++i;
                } else {
                    out += static_cast<char>(std::tolower(static_cast<unsigned char>(t[i])));
                }
            }
            return out;
        }
        bool SystemDateTimeText(const DateFields& f, std::string& out) override {
            if (!port.systemText) return false;
            out = port.systemText(f);
            return true;
        }
        std::string ToUpper(const std::string& t) override {
            std::string out;
            for (size_t i = 0; i < t.size(); ++i) {
                if (t.compare(i, 2, "\xC3\xA9") == 0) { // é
                    out += "\xC3\x89";
                    ++i;
                } else {
                    out += static_cast<char>(std::toupper(static_cast<unsigned char>(t[i])));
                }
            }
            return out;
        }
    };
    std::unique_ptr<ILocaleSource> Open(const std::string&) override { return std::make_unique<Source>(*this); }
    bool LocalTime(long long, int&, int&, int&, int&, int&, int&) override { return false; }
};

// Surfaces that are plain buffers: the pixel work of the drawing is real, text and
// lines are recorded instead of drawn.
class FakeCanvasFactory : public ICanvasFactory {
public:
    struct Canvas : ICanvas {
        std::vector<std::uint8_t> buffer;
        int width = 0, height = 0;
        std::vector<std::string>* texts = nullptr;
        PixelSurface Pixels() override { return PixelSurface{buffer.data(), width, height, width * 4}; }
        void Flush() override {}
        void MarkDirty() override {}
        void SetFont(const FontSpec&) override {}
        void SetTextColor(Colorref) override {}
        void SetBackground(bool, Colorref) override {}
        void DrawText(int x, int y, const std::string& text) override {
            texts->push_back(std::to_string(x) + "," + std::to_string(y) + " " + text);
        }
        TextSize MeasureText(const std::string& text) override { return {static_cast<int>(text.size()) * 6, 12}; }
        size_t FitText(const std::string& text, int width) override {
            return std::min(text.size(), static_cast<size_t>(std::max(width, 0) / 6));
        }
        void DrawLine(int, int, int, int, Colorref) override {}
    };
    std::vector<std::string> texts;
    int refuseAbove = 1 << 14; // a side longer than this cannot be made
    std::unique_ptr<ICanvas> CreateSurface(int width, int height) override {
        if (width <= 0 || height <= 0 || width > refuseAbove || height > refuseAbove) return nullptr;
        auto c = std::make_unique<Canvas>();
        c->buffer.assign(static_cast<size_t>(width) * height * 4, 0);
        c->width = width;
        c->height = height;
        c->texts = &texts;
        return c;
    }
};

// The system wallpaper as Windows keeps it: the plain call writes "Wallpaper" under
// "Control Panel\Desktop" of the registry in use; the Active Desktop object answers
// as the test says. Every set is recorded.
class FakeWallpaperPort : public IWallpaperPort {
public:
    long activeDesktopResult = static_cast<long>(0x80040154); // not registered
    bool activeDesktopShows = false;   // the object's set reaches the registry
    bool activeDesktopApplies = true;  // ApplyChanges succeeds
    bool activeDesktopThrows = false;
    bool systemSetFails = false;       // the plain call refuses and changes nothing
    bool systemSetIgnored = false;     // the plain call says done and changes nothing
    std::function<void()> afterSystemSet; // someone else's change landing right after ours
    std::vector<std::string> sets;   // "ad|path|style" or "spi|path|style"
    std::map<std::string, std::string> env{{"SystemRoot", "C:\\Windows"}};
    std::set<std::string, NoCaseLess> files; // names as stored on disk

    long CreateActiveDesktop() override { return activeDesktopResult; }
    bool ActiveDesktopSet(const std::string& path, int style) override {
        sets.push_back("ad|" + path + "|" + std::to_string(style));
        if (activeDesktopThrows) return false;
        if (activeDesktopShows) WriteWallpaper(path);
        return activeDesktopApplies;
    }
    bool SystemSet(const std::string& path, int style) override {
        sets.push_back("spi|" + path + "|" + std::to_string(style));
        if (systemSetFails) return false;
        if (!systemSetIgnored) WriteWallpaper(path);
        if (afterSystemSet) afterSystemSet();
        return true;
    }
    std::string ExpandEnvironment(const std::string& text) override {
        std::string out = text;
        for (const auto& [k, v] : env) {
            const std::string ref = "%" + k + "%";
            for (size_t at; (at = out.find(ref)) != std::string::npos;) out.replace(at, ref.size(), v);
        }
        return out;
    }
    std::string NameOnDisk(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return {};
        return it->substr(it->find_last_of('\\') + 1);
    }
    // The per-monitor object of newer systems: absent unless a test gives monitors.
    bool perMonitor = false;
    std::vector<MonitorWallpaper> monitors;
    int position = 0;
    bool ReadMonitorWallpapers(std::vector<MonitorWallpaper>& out, int& pos) override {
        if (!perMonitor) return false;
        out = monitors;
        pos = position;
        return true;
    }
    bool SetMonitorWallpaper(const std::string& id, const std::string& path) override {
        sets.push_back("monitor|" + id + "|" + path);
        for (MonitorWallpaper& m : monitors)
            if (m.id == id) m.picture = path;
        return perMonitor;
    }
    bool SetWallpaperPosition(int pos) override {
        sets.push_back("position|" + std::to_string(pos));
        position = pos;
        return perMonitor;
    }
    static void WriteWallpaper(const std::string& path) {
        std::unique_ptr<IRegistryKey> key;
        if (Port<IRegistryPort>().CreateKey(RegRoot::CurrentUser, "Control Panel\\Desktop", "", key) == 0)
            key->SetValue("Wallpaper", RegValue::Text(path));
    }
};

// The shell's notification area: what it holds and every call it got.
class FakeTrayPort : public ITrayPort {
public:
    bool shellWorks = true;
    bool shown = false;
    int adds = 0;
    int picture = 0; // a resource number, or -1 - index of a library icon
    std::set<std::string> libraries{"C:\\Program Files\\Orvanta\\bw.icl"}; // full paths that give icons
    unsigned callback = 0, id = 0;
    std::string tip;
    void Prepare(IWindow&, unsigned cb, unsigned i, const std::string& t, int icon) override {
        callback = cb;
        id = i;
        tip = t;
        picture = icon;
    }
    bool Add() override {
        ++adds;
        if (shellWorks) shown = true;
        return shellWorks;
    }
    bool SetIconResource(int icon, bool) override {
        picture = icon;
        return true;
    }
    bool SetIconFromLibrary(const std::string& library, int index, bool) override {
        if (!libraries.count(library)) return false;
        picture = -1 - index;
        return true;
    }
    void Remove() override { shown = false; }
};

// Commands of another process: recorded; Listen succeeds unless the test says not.
class FakeCommandChannel : public ICommandChannel {
public:
    IWindow* target = nullptr;
    bool listenWorks = true;
    std::vector<unsigned> sent;
    bool Listen(IWindow& t, const std::set<unsigned>&, std::string& error) override {
        if (!listenWorks) {
            error = "refused by the test";
            return false;
        }
        target = &t;
        return true;
    }
    void Close() override { target = nullptr; }
    bool Send(unsigned id, unsigned argument, std::string&) override {
        sent.push_back(id);
        return target && target->Post(Msg::Command, id, argument);
    }
};

// The desktop's top-level windows, as the test lists them; what was done to them is
// recorded ("show 2 3", "foreground 2"; handles count from 1).
class FakeTopWindowsPort : public ITopWindowsPort {
public:
    struct W {
        std::string title;
        bool maximized = false;
    };
    std::vector<W> windows;
    std::vector<std::string> calls;
    void EnumerateTopWindows(const std::function<bool(Handle, const std::string&)>& visit) override {
        for (size_t i = 0; i < windows.size(); ++i)
            if (!visit(i + 1, windows[i].title)) return;
    }
    bool RestoresToMaximized(Handle w) override { return windows[w - 1].maximized; }
    void ShowAsync(Handle w, int cmd) override { calls.push_back("show " + std::to_string(w) + " " + std::to_string(cmd)); }
    void SetForeground(Handle w) override { calls.push_back("foreground " + std::to_string(w)); }
};

// No port of this kind for its lifetime (as on a platform that has none).
template <typename P>
class NoPort {
public:
    NoPort() : m_saved(CurrentPorts().Slot<P>()) { CurrentPorts().Slot<P>() = nullptr; }
    ~NoPort() { CurrentPorts().Slot<P>() = m_saved; }
    NoPort(const NoPort&) = delete;
    NoPort& operator=(const NoPort&) = delete;

private:
    P* m_saved;
};

// The fakes in place for one test; the locale stays the platform's.
struct FakeEnvironment {
    CMemoryRegistry registry;
    FakeSystemPort system;
    FakeMutexPort mutexes;
    FakeUiPort ui;
    FakeWindowKit windows;
    FakeAutomationPort automation;
    FakeCanvasFactory canvas;
    FakeWallpaperPort wallpaper;
    FakeCommandChannel commands;
    FakeTrayPort tray;
    ScopedPort<IRegistryPort> registryScope{registry};
    ScopedPort<ISystemPort> systemScope{system};
    ScopedPort<IMutexPort> mutexScope{mutexes};
    ScopedPort<IDialogPort> dialogScope{ui};
    ScopedPort<IWindowKit> windowScope{windows};
    ScopedPort<IAutomationPort> automationScope{automation};
    ScopedPort<ICanvasFactory> canvasScope{canvas};
    ScopedPort<IWallpaperPort> wallpaperScope{wallpaper};
    ScopedPort<ICommandChannel> commandScope{commands};
    ScopedPort<ITrayPort> trayScope{tray};
    // No real splash windows and no real lock watching inside the tests' frames.
    NoPort<ISplashPort> noSplash;
    NoPort<IDesktopLockPort> noDesktopLock;
};
