#include "gui/wx_menu.h"

namespace velmora {

wxMenu* BuildWxMenu(const std::vector<MenuItem>& items,
                    const std::function<WxMenuItemState(const MenuItem&)>& stateOf) {
    auto* menu = new wxMenu;
    for (const auto& item : items) {
        switch (item.kind) {
            case MenuItem::Kind::Separator:
                menu->AppendSeparator();
                break;
            case MenuItem::Kind::Popup:
                menu->AppendSubMenu(BuildWxMenu(item.children, stateOf),
                                    wxString::FromUTF8(item.text));
                break;
            case MenuItem::Kind::Command: {
                const WxMenuItemState state = stateOf(item);
                auto* added = menu->Append(state.wxId, wxString::FromUTF8(item.text), wxEmptyString,
                                           state.checkable ? wxITEM_CHECK : wxITEM_NORMAL);
                if (state.checkable) added->Check(state.checked);
                added->Enable(state.enabled);
                break;
            }
        }
    }
    return menu;
}

}  // namespace velmora
