// The file list's keys: Delete, Enter, Ctrl+A and F5 run what the Delete button, a double
// click, selecting every row and the Get File List button run, through the command map. A key
// whose button is greyed does nothing, so no key starts a second job.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include "ui/file_rows.h"
#include "ui/main_window.h"

namespace velmora {

enum class ListKey { Delete, Open, SelectAll, GetFileList };

// focusedRow is the list's current row, -1 for none: Enter opens it, else the first selected
// row. Returns whether the key did something.
bool HandleListKey(MainWindow& window, FileRows& rows, ListKey key, int focusedRow);

}  // namespace velmora
