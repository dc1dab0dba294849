#include "ActiveRegion.h"

namespace {
RegionSender& Sender() {
    static RegionSender sender;
    return sender;
}
} // namespace

void SetRegionSender(RegionSender sender) { Sender() = std::move(sender); }

void CActiveRegion::Activate() const {
    if (Sender()) Sender()(Message());
}

std::string CActiveRegion::OpenText(const std::string& what) const {
    return (m_singleClick ? "Click to open " : "Double click to open ") + what;
}
