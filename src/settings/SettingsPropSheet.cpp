#include "SettingsPropSheet.h"

#include "../platform/Platform.h"
#include "../util/Strings.h"

namespace {
constexpr int kPageIcon = IDR_MAINFRAME; // the small program icon on every tab
} // namespace

std::string CSettingsPropSheet::WindowCaption() { return LoadResString(IDS_PRODUCT) + " Settings"; }

CSettingsPropSheet::CSettingsPropSheet(CSettings& settings, Owner owner, IRegistryPort* registry)
    : m_settings(settings), m_owner(std::move(owner)), m_registry(registry),
      m_generalTab(m_model.General(), *this), m_appearanceTab(m_model.Appearance(), *this),
      m_calendarsTab(m_model.Calendars(), *this) {
    m_model.Open(m_settings, m_registry);
}

int CSettingsPropSheet::DoModal(uintptr_t ownerWindow) {
    IDialogPort* dialogs = PortOrNull<IDialogPort>();
    if (!dialogs) return kSheetUnavailable;
    PropertySheetDesc desc;
    desc.owner = ownerWindow;
    desc.caption = kInitialCaption;
    desc.pages = {{CGeneralOptionsPage::kDialogId, kPageIcon, &m_generalTab},
                  {CAppearancePage::kDialogId, kPageIcon, &m_appearanceTab},
                  {CCalendarsPage::kDialogId, kPageIcon, &m_calendarsTab}};
    const int result = dialogs->RunPropertySheet(desc, *this);
    if (result == MsgBox::IdOk) Apply();
    return result;
}

void CSettingsPropSheet::OnSheetCreated(IPropertySheetWindow& sheet) { sheet.SetCaption(WindowCaption()); }

void CSettingsPropSheet::OnApplyNow() { Apply(); }

void CSettingsPropSheet::OnHelp() { ShowHelp(); }

void CSettingsPropSheet::ShowHelp() {
    if (m_owner.help) m_owner.help();
}

void CSettingsPropSheet::ShowAbout() {
    if (m_owner.about) m_owner.about();
}

void CSettingsPropSheet::Apply() {
    const std::vector<ApplyStep> steps = m_model.Apply(m_settings, m_registry);
    if (m_owner.apply) m_owner.apply(steps);
}
