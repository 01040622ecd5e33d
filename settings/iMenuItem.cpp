#include "iMenuItem.h"

namespace AuxW32 {

iMenuItem::iMenuItem(IMenu* menu, int id) : m_id(id), m_menu(menu) {}

bool iMenuItem::LoadState(std::int32_t stored) {
    if (stored != 0 && stored != 1)
        return false;
    m_checked = stored == 1;
    return true;
}

void iMenuItem::Restore() {
    if (!Load()) {
        m_checked = m_default;
        Save();
    }
    ApplyCheckMark();
}

void iMenuItem::Toggle() {
    m_checked = !m_checked;
    ApplyCheckMark();
    Save();
}

void iMenuItem::ApplyCheckMark() {
    if (m_menu)
        m_menu->CheckMenuItem(m_id, m_checked);
}

} // namespace AuxW32
