#pragma once
#include "iMenuItem.h"

namespace AuxW32 {

// "Always On Top" (32780), stored as "Enable Ontop".
class MenuItem_Ontop final : public iMenuItem {
public:
    MenuItem_Ontop(IMenu* menu, int id);

private:
    bool Load() override;
    void Save() override;
};

} // namespace AuxW32
