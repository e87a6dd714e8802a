// Hands the controls' accessible names to GTK's accessibility objects, which screen readers
// read; wx has no accessibility layer of its own on GTK.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include <string>

class wxWindow;

namespace velmora {

// Sets the name and the description on the window's widget and, for a
// generic control drawn in a child window, on that child, which is the one that takes focus.
void SetAccessibleName(wxWindow* window, const std::string& name,
                       const std::string& description = {});
// What a screen reader hears as the window's name.
std::string AccessibleName(wxWindow* window);

}  // namespace velmora
