#include "MenuItem_OnlyValidAge.h"

#include "Settings.h"

namespace AuxW32 {

MenuItem_OnlyValidAge::MenuItem_OnlyValidAge(IMenu* menu, int id) : iMenuItem(menu, id) {
    Restore();
}

bool MenuItem_OnlyValidAge::Load() {
    return LoadState(Settings::GetCountValidOnly());
}

void MenuItem_OnlyValidAge::Save() {
    Settings::SetCountValidOnly(m_checked);
}

} // namespace AuxW32
