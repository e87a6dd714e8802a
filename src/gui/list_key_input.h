// The file list's keys as the toolkit delivers them: Delete, Enter, Ctrl+A and F5 are taken
// from the list and handed on; every other key goes on to the list.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include <functional>
#include <optional>

#include "ui/list_keys.h"

class wxListCtrl;

namespace velmora {

// The list key for a key code and the modifiers wx reports; none for any other key.
std::optional<ListKey> ListKeyFor(int keyCode, int modifiers);

// handler gets the key and the list's focused row (-1 for none).
void BindListKeys(wxListCtrl& list, std::function<void(ListKey key, int focusedRow)> handler);

}  // namespace velmora
