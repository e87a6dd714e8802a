// Names for the controls a screen reader cannot name from a visible label: the lists, the
// edits, the bars, the status bar and its icons. Buttons and the label speak for themselves.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include <string>

namespace velmora {

// The control's name in the current language; empty for a control with a visible label.
std::string AccessibleNameOf(int controlId);
// The name of status bar icon part 0 (the connection) or 1 (the interface).
std::string StatusIconName(int part);

}  // namespace velmora
