// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "gui/list_key_input.h"

#include <wx/defs.h>
#include <wx/event.h>
#include <wx/listctrl.h>

namespace velmora {

std::optional<ListKey> ListKeyFor(int keyCode, int modifiers) {
    if (modifiers == wxMOD_CONTROL && (keyCode == 'A' || keyCode == 'a')) return ListKey::SelectAll;
    if (modifiers != wxMOD_NONE) return std::nullopt;
    switch (keyCode) {
        case WXK_DELETE:
        case WXK_NUMPAD_DELETE:
            return ListKey::Delete;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            return ListKey::Open;
        case WXK_F5:
            return ListKey::GetFileList;
        default:
            return std::nullopt;
    }
}

void BindListKeys(wxListCtrl& list, std::function<void(ListKey key, int focusedRow)> handler) {
    // The generic list hands its key-down to the control before acting on it: taking the
    // event here also keeps the list's own Enter from opening the row a second time.
    list.Bind(wxEVT_KEY_DOWN, [&list, handler = std::move(handler)](wxKeyEvent& event) {
        const auto key = ListKeyFor(event.GetKeyCode(), event.GetModifiers());
        if (!key) {
            event.Skip();
            return;
        }
        const long focused = list.GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED);
        handler(*key, static_cast<int>(focused));
    });
}

}  // namespace velmora
