#pragma once
// The persisted check-mark options of the "Options" menu. Each item keeps its state and the menu's check
// mark in step, and stores every change at the moment it is made through its settings value.

#include "IMenu.h"

namespace AuxW32 {

class iMenuItem {
public:
    virtual ~iMenuItem() = default;

    void Toggle();          // flip state and check mark, then Save
    void ApplyCheckMark();  // check mark of m_id from m_checked
    bool IsChecked() const { return m_checked; }
    int Id() const { return m_id; }

protected:
    iMenuItem(IMenu* menu, int id);
    virtual bool Load() = 0; // true when a valid state (0 or 1) was stored
    virtual void Save() = 0;

    int m_id;
    bool m_checked = false;
    IMenu* m_menu;
    bool m_default = true;
};

// "Count Valid DL Only" (32792), value "Count Valid DL Only".
class MenuItem_OnlyValidAge final : public iMenuItem {
public:
    MenuItem_OnlyValidAge(IMenu* menu, int id);
private:
    bool Load() override;
    void Save() override;
};

// "Create Log" (32781), value "Enable Log".
class MenuItem_Log final : public iMenuItem {
public:
    MenuItem_Log(IMenu* menu, int id);
private:
    bool Load() override;
    void Save() override;
};

// "Comments" (32787), value "Enable Comments".
class MenuItem_Comments final : public iMenuItem {
public:
    MenuItem_Comments(IMenu* menu, int id);
private:
    bool Load() override;
    void Save() override;
};

// "Always On Top" (32780), value "Enable Ontop".
class MenuItem_Ontop final : public iMenuItem {
public:
    MenuItem_Ontop(IMenu* menu, int id);
private:
    bool Load() override;
    void Save() override;
};

} // namespace AuxW32
