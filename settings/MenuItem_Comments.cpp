#include "MenuItem_Comments.h"

#include "Settings.h"

namespace AuxW32 {

MenuItem_Comments::MenuItem_Comments(IMenu* menu, int id) : iMenuItem(menu, id) {
    // Own Load and Save, not the virtual ones: the state must come from this option's value.
    if (!MenuItem_Comments::Load()) {
        m_checked = m_default;
        MenuItem_Comments::Save();
    }
    ApplyCheckMark();
}

bool MenuItem_Comments::Load() {
    return LoadState(Settings::GetEnableComments());
}

void MenuItem_Comments::Save() {
    Settings::SetEnableComments(m_checked);
}

} // namespace AuxW32
