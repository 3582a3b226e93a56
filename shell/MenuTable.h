#pragma once
// The main window's menus as data: item texts with their mnemonics and
// accelerator labels, command numbers, status prompts and tooltips.

#include <span>

namespace twick {

struct MenuItem {
  int id;               // 0 for a separator
  const char* text;     // "\t" introduces the accelerator's label
  const char* prompt;   // shown in the status bar while the item is highlighted
  const char* tooltip;  // nullptr when the command has none
};

struct MenuDef {
  const char* title;
  std::span<const MenuItem> items;
};

/// The menu bar from left to right.
std::span<const MenuDef> MainMenus();

/// The item of command `id`, or nullptr.
const MenuItem* FindMenuItem(int id);

}  // namespace twick
