#include "MenuItem_Log.h"

#include "Settings.h"

namespace AuxW32 {

MenuItem_Log::MenuItem_Log(IMenu* menu, int id) : iMenuItem(menu, id) {
    // Own Load and Save, not the virtual ones: the state must come from this option's value.
    if (!MenuItem_Log::Load()) {
        m_checked = m_default;
        MenuItem_Log::Save();
    }
    ApplyCheckMark();
}

bool MenuItem_Log::Load() {
    return LoadState(Settings::GetEnableLog());
}

void MenuItem_Log::Save() {
    Settings::SetEnableLog(m_checked);
}

} // namespace AuxW32
