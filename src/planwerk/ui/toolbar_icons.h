#pragma once
// The toolbar's pictures, drawn in code at 16 x 16.
#include "planwerk/ui/command_table.h"

#include <QIcon>

#include <array>

namespace planwerk::ui {

// The toolbar's buttons left to right; nullopt marks a separator.
const std::array<std::optional<MenuId>, 12>& toolbarLayout();

// The button text ("新規作成" ...) and picture of a toolbar command.
const char* toolbarText(MenuId id);
QIcon toolbarIcon(MenuId id);

} // namespace planwerk::ui
