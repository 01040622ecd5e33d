#pragma once
// What an option item needs of the main window's menu: setting the check mark of an item by command id.
// The station implements it over checkable QActions; tests use a recording fake.

namespace AuxW32 {

class IMenu {
public:
    virtual ~IMenu() = default;
    virtual void CheckMenuItem(int id, bool checked) = 0;
};

} // namespace AuxW32
