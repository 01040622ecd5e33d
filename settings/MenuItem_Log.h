#pragma once
#include "iMenuItem.h"

namespace AuxW32 {

// "Create Log" (32781), stored as "Enable Log".
class MenuItem_Log final : public iMenuItem {
public:
    MenuItem_Log(IMenu* menu, int id);

private:
    bool Load() override;
    void Save() override;
};

} // namespace AuxW32
