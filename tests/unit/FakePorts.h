#pragma once
// Fast stand-ins for the OS ports, for the portable tests. The registry is the
// program's own in-memory registry, not a fake.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
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

// Message boxes and dialogs are recorded and answered with OK; the main window is an
// object with a caption whose loop closes it at once.
class FakeUiPort : public IDialogPort, public IWindowKit {
public:
    struct Box {
        std::string text, caption;
        unsigned flags;
    };
    struct Dialog {
        int id;
        std::map<int, std::string> texts;
    };
    std::vector<Box> boxes;
    std::vector<Dialog> dialogs;
    std::string mainCaption;
    bool mainWindowCreated = false;
    std::function<void()> onClose;

    int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
        boxes.push_back({text, caption, flags});
        return MsgBox::IdOk;
    }
    int RunDialog(const DialogSpec& spec, const std::function<void(IDialogControls&)>& onInit) override {
        struct Controls : IDialogControls {
            std::map<int, std::string> texts;
            std::string GetItemText(int i) override { return texts[i]; }
            void SetItemText(int i, const std::string& t) override { texts[i] = t; }
        } controls;
        for (const auto& [id, text] : spec.texts) controls.texts[id] = text;
        onInit(controls);
        dialogs.push_back({spec.templateId, controls.texts});
        return MsgBox::IdOk;
    }
    void InitCommonControls() override {}
    std::unique_ptr<IMainWindow> CreateMainWindow(const std::string& caption,
                                                  std::function<void()> close) override {
        struct Window : IMainWindow {
            FakeUiPort& ui;
            explicit Window(FakeUiPort& u) : ui(u) {}
            void SetCaption(const std::string& c) override { ui.mainCaption = c; }
            std::string Caption() const override { return ui.mainCaption; }
            void Update() override {}
        };
        mainWindowCreated = true;
        mainCaption = caption;
        onClose = std::move(close);
        return std::make_unique<Window>(*this);
    }
    int RunMessageLoop() override {
        if (onClose) onClose();
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

// The fakes in place for one test; the locale stays the platform's.
struct FakeEnvironment {
    CMemoryRegistry registry;
    FakeSystemPort system;
    FakeMutexPort mutexes;
    FakeUiPort ui;
    FakeAutomationPort automation;
    FakeCanvasFactory canvas;
    ScopedPort<IRegistryPort> registryScope{registry};
    ScopedPort<ISystemPort> systemScope{system};
    ScopedPort<IMutexPort> mutexScope{mutexes};
    ScopedPort<IDialogPort> dialogScope{ui};
    ScopedPort<IWindowKit> windowScope{ui};
    ScopedPort<IAutomationPort> automationScope{automation};
    ScopedPort<ICanvasFactory> canvasScope{canvas};
};
