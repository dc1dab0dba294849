#pragma once
// A Linux desktop's own wallpaper setting, read and written through the desktop's
// own tool, so that the user's setting can be put back exactly as it was.
//
// A setting is a list of entries in the tool's own words: the key the tool knows
// (a gsettings key, an xfconf property, a Plasma desktop's config entry, a sway
// output) and its value exactly as the tool prints it and takes it back. Picture
// entries name a picture; the others (options, fill modes) say how it is shown.
#include <memory>
#include <string>
#include <vector>

struct DesktopEntry {
    std::string key;
    std::string value;
    bool picture = false;
    bool operator==(const DesktopEntry& o) const { return key == o.key && value == o.value && picture == o.picture; }
};

struct DesktopSetting {
    std::vector<DesktopEntry> entries;
    const DesktopEntry* Find(const std::string& key) const {
        for (const auto& e : entries)
            if (e.key == key) return &e;
        return nullptr;
    }
    bool operator==(const DesktopSetting& o) const { return entries == o.entries; }
};

class IDesktopSetter {
public:
    enum class Read { Ok, Unknown, Failed };
    virtual ~IDesktopSetter() = default;
    // Names for messages: the desktop ("GNOME") and its tool ("gsettings").
    virtual std::string Desktop() const = 0;
    virtual std::string Tool() const = 0;
    // What the desktop is set to. Unknown: the desktop cannot say (sway without a
    // background in its configuration), which is no error. Failed: error says why.
    virtual Read Get(DesktopSetting& setting, std::string& error) = 0;
    // Whether Get says what the desktop shows now. sway's configuration says only what
    // it showed at its start, so every set there writes all its entries.
    virtual bool GetsWhatIsShown() const { return true; }
    // Sets the entries given, in their order; false with error at the first failure.
    virtual bool Set(const std::vector<DesktopEntry>& entries, std::string& error) = 0;
    // The setting that shows the picture at path in the style (0 centred, 1 tiled,
    // 2 stretched), for a desktop now set to current.
    virtual DesktopSetting Showing(const DesktopSetting& current, const std::string& path, int style) const = 0;
    // The file a picture entry names (a value that is not a file, such as another
    // kind of URI, as it is written; "" when it names none).
    virtual std::string PathOf(const DesktopEntry& entry) const = 0;
    // The nearest style code (0 centred, 1 tiled, 2 stretched) of a setting.
    virtual int StyleOf(const DesktopSetting& setting) const = 0;
};

// The setter of the desktop this session runs (XDG_CURRENT_DESKTOP, SWAYSOCK), or
// none: a desktop we do not know, or the bare X root window.
std::unique_ptr<IDesktopSetter> DesktopSetterOfSession();

// file:// URIs and paths, as desktops write them (percent-encoded bytes).
std::string FileUri(const std::string& path);
// The path of a file:// URI; other text is returned as it is.
std::string UriPath(const std::string& uri);
