#pragma once
// A spot of a drawn picture that the user can click: a rectangle in the coordinates
// of the picture (the virtual screen for the wallpaper) and what it stands for.
// Regions copy what they need from the records they were drawn from, so the data can
// be read again while the regions live.
#include <cstdint>
#include <functional>
#include <string>

#include "../util/Rect.h"

// The main frame's messages of the regions.
namespace RegionMessages {
constexpr unsigned kNewAppointment = 0x501;
constexpr unsigned kNewTask = 0x502;
constexpr unsigned kNewMail = 0x503;
constexpr unsigned kOpenAppointment = 0x504;
constexpr unsigned kOpenTask = 0x505;
constexpr unsigned kOpenFolder = 0x506;
constexpr unsigned kOpenDay = 0x507;
constexpr unsigned kStartOutlook = 0x508;
constexpr unsigned kOpenContacts = 0x509;
} // namespace RegionMessages

// What a region sends to the main window: the message, the whole day for a day
// region, the entry identifier for an item or folder region.
struct RegionMessage {
    unsigned message = 0;
    std::uint64_t day = 0;
    std::string entryId;
};

// Where activated regions send their message: the program's main window, looked up
// when the message is sent. Unset, activation does nothing.
using RegionSender = std::function<void(const RegionMessage&)>;
void SetRegionSender(RegionSender sender);

// Shows a region's tooltip text at a screen point; the key tells tooltips of the same
// spot apart from new ones.
class IRegionTooltip {
public:
    virtual ~IRegionTooltip() = default;
    virtual void Show(const std::string& text, std::uint64_t key, int screenX, int screenY) = 0;
};

class CActiveRegion {
public:
    CActiveRegion(const Rect& rect, bool singleClick) : m_rect(rect), m_singleClick(singleClick) {}
    virtual ~CActiveRegion() = default;
    CActiveRegion(const CActiveRegion&) = delete;
    CActiveRegion& operator=(const CActiveRegion&) = delete;

    // Left and top inclusive, right and bottom exclusive: a point on the right or
    // bottom edge is outside, an empty rectangle is never hit.
    const Rect& Bounds() const { return m_rect; }
    bool SingleClick() const { return m_singleClick; }

    virtual std::string TooltipText() const = 0;
    virtual std::uint64_t TooltipKey() const = 0;
    virtual RegionMessage Message() const = 0;
    // What a click does, in words, for people reading a list of regions.
    virtual std::string Describe() const = 0;

    // How a screen reader presents the region: an item of a list (appointment, task,
    // folder), a button (the header's) or a cell (a calendar day).
    enum class Role { ListItem, Button, Cell };
    virtual Role GetRole() const { return Role::ListItem; }
    // What a screen reader says for it: the words the painter gave (the day and the
    // subject, the folder and its count), else the region's own.
    std::string Name() const { return m_name.empty() ? DefaultName() : m_name; }
    void SetName(std::string name) { m_name = std::move(name); }

    void ShowTooltip(IRegionTooltip& tooltip, int screenX, int screenY) const {
        tooltip.Show(TooltipText(), TooltipKey(), screenX, screenY);
    }
    // Sends the region's message to the main window.
    void Activate() const;

protected:
    virtual std::string DefaultName() const { return Describe(); }
    // "Click to open <what>" or "Double click to open <what>" by the flag.
    std::string OpenText(const std::string& what) const;

private:
    Rect m_rect;
    bool m_singleClick;
    std::string m_name;
};
