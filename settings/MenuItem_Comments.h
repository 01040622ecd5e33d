#pragma once
#include "iMenuItem.h"

namespace AuxW32 {

// "Comments" (32787), stored as "Enable Comments".
class MenuItem_Comments final : public iMenuItem {
public:
    MenuItem_Comments(IMenu* menu, int id);

private:
    bool Load() override;
    void Save() override;
};

} // namespace AuxW32
