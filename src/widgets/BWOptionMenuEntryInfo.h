#pragma once
// One entry of an option menu, and the user data an entry may carry.  An
// entry owns its sub-menu (a reference) and its user data; entries move
// between places of the menu's table but are never copied, so each sub-menu
// is released exactly once.  GUI thread only.

#include <cstdint>
#include <memory>
#include <string>

namespace VSTGUI {

class BWOptionMenu;

class BWOptionMenuUserEntry {
public:
    virtual ~BWOptionMenuUserEntry() = default;
};

class BWOptionMenuUserEntryLong : public BWOptionMenuUserEntry {
public:
    explicit BWOptionMenuUserEntryLong(int32_t value) : value(value) {}
    int32_t value;
};

class BWOptionMenuEntryInfo {
public:
    BWOptionMenuEntryInfo() = default;
    BWOptionMenuEntryInfo(BWOptionMenuEntryInfo&& other) noexcept;
    BWOptionMenuEntryInfo& operator=(BWOptionMenuEntryInfo&& other) noexcept;
    BWOptionMenuEntryInfo(const BWOptionMenuEntryInfo&) = delete;
    BWOptionMenuEntryInfo& operator=(const BWOptionMenuEntryInfo&) = delete;
    virtual ~BWOptionMenuEntryInfo();

    // Takes over the caller's reference to the sub-menu (null: none).
    void holdSubMenu(BWOptionMenu* menu);

    BWOptionMenu* subMenu = nullptr;
    std::unique_ptr<BWOptionMenuUserEntry> userData;
    std::string text;
    uint8_t checked = 0;
    // A disabled entry can be hovered but not picked.
    uint8_t enabled = 1;
    // Drawn, never hit or picked.
    uint8_t title = 0;
    // A file of a fill that was not top level: its folder is the menu's subFolder.
    uint8_t inSubFolder = 0;
    // Picked on release and the list stays open.
    uint8_t keepOpen = 0;

private:
    void releaseSubMenu();
};

}  // namespace VSTGUI
