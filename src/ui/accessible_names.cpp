// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "ui/accessible_names.h"

#include "base/lang_string.h"
#include "ui/main_window_ids.h"

namespace velmora {

std::string AccessibleNameOf(int controlId) {
    switch (controlId) {
        // Their tooltips already say what they hold.
        case kIdDeviceList:
        case kIdSearchMask:
        case kIdLeaveBytes:
        case kIdUploadPath:
            return LoadLangString(controlId);
        case kIdTree:
            return LoadLangString(542);
        case kIdFileList:
            return LoadLangString(543);
        case kIdProgress:
            return LoadLangString(544);
        case kIdFileProgress:
            return LoadLangString(545);
        case kIdStatusBar:
            return LoadLangString(546);
        default:
            return {};
    }
}

std::string StatusIconName(int part) {
    return LoadLangString(part == 0 ? 547 : 548);
}

}  // namespace velmora
