#include "MenuItem_Comments.h"

#include "Settings.h"

namespace AuxW32 {

MenuItem_Comments::MenuItem_Comments(IMenu* menu, int id) : iMenuItem(menu, id) {
    Restore();
}

bool MenuItem_Comments::Load() {
    return LoadState(Settings::GetEnableComments());
}

void MenuItem_Comments::Save() {
    Settings::SetEnableComments(m_checked);
}

} // namespace AuxW32
