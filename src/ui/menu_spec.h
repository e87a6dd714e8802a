// Menus as data: the window's toolkit builds them from this, tests read it directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

struct MenuItem {
    enum class Kind { Command, Separator, Popup };
    Kind kind = Kind::Command;
    int id = 0;            // command id; 0 for separators and pop-ups
    std::string text;      // exactly as the menu resource holds it, trailing spaces included
    bool checked = false;  // checked in the resource
    std::vector<MenuItem> children;  // pop-ups only
};

struct MenuSpec {
    std::string title;  // the context menu's (unshown) pop-up title; empty for the main menu
    std::vector<MenuItem> items;
};

// Main menu 131 in the current language.
MenuSpec MainMenu();
// The first pop-up of context menu 137, in the current language.
MenuSpec ContextMenu();

}  // namespace velmora
