// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "ui/list_keys.h"

namespace velmora {
namespace {

bool ClickIfEnabled(MainWindow& window, int buttonId) {
    const ControlState& button = window.Control(buttonId);
    if (!button.enabled || !button.visible) return false;
    return window.Click(buttonId);
}

int RowToOpen(const FileRows& rows, int focusedRow) {
    if (focusedRow >= 0 && focusedRow < rows.RowCount()) return focusedRow;
    const auto selected = rows.SelectedRows();
    return selected.empty() ? -1 : selected.front();
}

}  // namespace

bool HandleListKey(MainWindow& window, FileRows& rows, ListKey key, int focusedRow) {
    switch (key) {
        case ListKey::Delete:
            return ClickIfEnabled(window, kIdDelete);
        case ListKey::GetFileList:
            return ClickIfEnabled(window, kIdGetFileList);
        case ListKey::Open: {
            const int row = RowToOpen(rows, focusedRow);
            if (row < 0) return false;
            return window.OnEvent(WindowEvent::ListDoubleClick, kIdFileList, {row});
        }
        case ListKey::SelectAll:
            for (int row = 0; row < rows.RowCount(); ++row) {
                if (!rows.Rows()[static_cast<std::size_t>(row)].selected) {
                    rows.SetRowSelected(row, true);
                }
            }
            return rows.RowCount() > 0;
    }
    return false;
}

}  // namespace velmora
