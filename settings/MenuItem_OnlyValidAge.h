#pragma once
#include "iMenuItem.h"

namespace AuxW32 {

// "Count Valid DL Only" (32792), stored as "Count Valid DL Only".
class MenuItem_OnlyValidAge final : public iMenuItem {
public:
    MenuItem_OnlyValidAge(IMenu* menu, int id);

private:
    bool Load() override;
    void Save() override;
};

} // namespace AuxW32
