#pragma once
// The menus of the main window: each menu's title and its items in order
// (id 0 is a separator, a negative id a submenu filled by the window).
#include <span>

namespace vardo::ui {

constexpr int kSeparator = 0;
constexpr int kCameraSubmenu = -1;
constexpr int kSkinSubmenu = -2;

struct MenuItem {
    int id;
    const char* text;
};

struct MenuDefinition {
    const char* title;
    std::span<const MenuItem> items;
};

std::span<const MenuDefinition> mainMenus();
// The skin items of the controller submenu.
std::span<const MenuItem> skinItems();
// The debug popup menu of the view, in its order.
std::span<const MenuItem> displayPopupItems();
// The toolbar, in its order (kSeparator between groups).
std::span<const int> toolbarCommands();
// The item text of a command anywhere in the menus; nullptr if none.
const char* menuText(int id);

} // namespace vardo::ui
