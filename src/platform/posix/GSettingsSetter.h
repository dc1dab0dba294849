#pragma once
// GNOME, Unity, Budgie, Cinnamon and MATE: the background schema through gsettings.
// The picture keys are written with the same picture (picture-uri-dark too, where
// the schema has it); picture-options says how it is shown.
#include "DesktopSetter.h"

class CGSettingsSetter : public IDesktopSetter {
public:
    struct PictureKey {
        std::string name;
        bool uri = true;       // a file:// URI, else a plain path (MATE)
        bool optional = false; // only where the schema has it (picture-uri-dark)
    };
    CGSettingsSetter(std::string desktop, std::string schema, std::vector<PictureKey> keys)
        : m_desktop(std::move(desktop)), m_schema(std::move(schema)), m_keys(std::move(keys)) {}

    std::string Desktop() const override { return m_desktop; }
    std::string Tool() const override { return "gsettings"; }
    Read Get(DesktopSetting& setting, std::string& error) override;
    bool Set(const std::vector<DesktopEntry>& entries, std::string& error) override;
    DesktopSetting Showing(const DesktopSetting& current, const std::string& path, int style) const override;
    std::string PathOf(const DesktopEntry& entry) const override;
    int StyleOf(const DesktopSetting& setting) const override;

    // GVariant text of a string ('text', with \ and ' escaped) and back.
    static std::string Quote(const std::string& text);
    static std::string Unquote(const std::string& text);

private:
    std::string m_desktop, m_schema;
    std::vector<PictureKey> m_keys;
};
