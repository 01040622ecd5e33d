#include "MenuItem_Ontop.h"

#include "Settings.h"

namespace AuxW32 {

MenuItem_Ontop::MenuItem_Ontop(IMenu* menu, int id) : iMenuItem(menu, id) {
    // Own Load and Save, not the virtual ones: the state must come from this option's value.
    if (!MenuItem_Ontop::Load()) {
        m_checked = m_default;
        MenuItem_Ontop::Save();
    }
    ApplyCheckMark();
}

bool MenuItem_Ontop::Load() {
    return LoadState(Settings::GetEnableOntop());
}

void MenuItem_Ontop::Save() {
    Settings::SetEnableOntop(m_checked);
}

} // namespace AuxW32
