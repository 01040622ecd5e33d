#include "MenuItem_OnlyValidAge.h"

#include "Settings.h"

namespace AuxW32 {

MenuItem_OnlyValidAge::MenuItem_OnlyValidAge(IMenu* menu, int id) : iMenuItem(menu, id) {
    // Own Load and Save, not the virtual ones: the state must come from this option's value.
    if (!MenuItem_OnlyValidAge::Load()) {
        m_checked = m_default;
        MenuItem_OnlyValidAge::Save();
    }
    ApplyCheckMark();
}

bool MenuItem_OnlyValidAge::Load() {
    return LoadState(Settings::GetCountValidOnly());
}

void MenuItem_OnlyValidAge::Save() {
    Settings::SetCountValidOnly(m_checked);
}

} // namespace AuxW32
