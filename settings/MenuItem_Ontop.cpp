#include "MenuItem_Ontop.h"

#include "Settings.h"

namespace AuxW32 {

MenuItem_Ontop::MenuItem_Ontop(IMenu* menu, int id) : iMenuItem(menu, id) {
    Restore();
}

bool MenuItem_Ontop::Load() {
    return LoadState(Settings::GetEnableOntop());
}

void MenuItem_Ontop::Save() {
    Settings::SetEnableOntop(m_checked);
}

} // namespace AuxW32
