#pragma once
// The persisted check-mark options of the "Options" menu. Each item keeps its state and the menu's check
// mark in step, and stores every change at the moment it is made through its settings value.

#include "IMenu.h"

#include <cstdint>

namespace AuxW32 {

class iMenuItem {
public:
    virtual ~iMenuItem() = default;
    iMenuItem(const iMenuItem&) = delete;
    iMenuItem& operator=(const iMenuItem&) = delete;

    void Toggle();         // flip state and check mark, then Save
    void ApplyCheckMark(); // check mark of m_id from m_checked
    bool IsChecked() const { return m_checked; }

protected:
    iMenuItem(IMenu* menu, int id);
    virtual bool Load() = 0; // true when a valid state (0 or 1) was stored
    // The state from the option's value, or the default stored when none is, then the check mark. Each
    // option calls it from its constructor's body, where Load and Save are already the option's own.
    void Restore();
    virtual void Save() = 0;

    // The common half of every Load: 0 and 1 set the state and count as stored; anything else (-1 for
    // nothing stored) leaves the state alone.
    bool LoadState(std::int32_t stored);

    int m_id;
    bool m_checked = false;
    IMenu* m_menu;
    bool m_default = true;
};

} // namespace AuxW32

// The four options, one class per file; included here so that one include brings the family.
#include "MenuItem_Comments.h"
#include "MenuItem_Log.h"
#include "MenuItem_OnlyValidAge.h"
#include "MenuItem_Ontop.h"
