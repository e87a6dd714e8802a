// Turns menu data into wx menus. The caller says, per command, which wx id stands for it
// (wx refuses ids from 0x7fff on) and how the item shows.
#pragma once

#include <wx/menu.h>

#include <functional>
#include <vector>

#include "ui/menu_spec.h"

namespace velmora {

struct WxMenuItemState {
    int wxId = 0;
    bool checkable = false;
    bool checked = false;
    bool enabled = true;
};

// A new menu, owned by the caller, with pop-ups built the same way.
wxMenu* BuildWxMenu(const std::vector<MenuItem>& items,
                    const std::function<WxMenuItemState(const MenuItem&)>& stateOf);

}  // namespace velmora
