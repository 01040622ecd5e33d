#include "MenuItem_Log.h"

#include "Settings.h"

namespace AuxW32 {

MenuItem_Log::MenuItem_Log(IMenu* menu, int id) : iMenuItem(menu, id) {
    Restore();
}

bool MenuItem_Log::Load() {
    return LoadState(Settings::GetEnableLog());
}

void MenuItem_Log::Save() {
    Settings::SetEnableLog(m_checked);
}

} // namespace AuxW32
