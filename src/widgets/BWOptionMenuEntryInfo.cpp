#include "widgets/BWOptionMenuEntryInfo.h"

#include <utility>

#include "widgets/BWOptionMenu.h"

namespace VSTGUI {

BWOptionMenuEntryInfo::BWOptionMenuEntryInfo(BWOptionMenuEntryInfo&& other) noexcept
    : subMenu(std::exchange(other.subMenu, nullptr)),
      userData(std::move(other.userData)),
      text(std::move(other.text)),
      checked(other.checked),
      enabled(other.enabled),
      title(other.title),
      inSubFolder(other.inSubFolder),
      keepOpen(other.keepOpen) {}

BWOptionMenuEntryInfo& BWOptionMenuEntryInfo::operator=(BWOptionMenuEntryInfo&& other) noexcept {
    if (this == &other) return *this;
    releaseSubMenu();
    subMenu = std::exchange(other.subMenu, nullptr);
    userData = std::move(other.userData);
    text = std::move(other.text);
    checked = other.checked;
    enabled = other.enabled;
    title = other.title;
    inSubFolder = other.inSubFolder;
    keepOpen = other.keepOpen;
    return *this;
}

BWOptionMenuEntryInfo::~BWOptionMenuEntryInfo() { releaseSubMenu(); }

void BWOptionMenuEntryInfo::holdSubMenu(BWOptionMenu* menu) {
    releaseSubMenu();
    subMenu = menu;
}

void BWOptionMenuEntryInfo::releaseSubMenu() {
    if (!subMenu) return;
    BWOptionMenu* menu = std::exchange(subMenu, nullptr);
    menu->leaveTree();
    menu->forget();
}

}  // namespace VSTGUI
