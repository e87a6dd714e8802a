// What a phone library bundled with the program implements behind <velmora/pst.h>: how it is
// configured and the PstLibrary it then is. pst_entry_points.cpp makes the C functions of
// it; each library defines ThePstPlugin().
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include <velmora/pst.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "phone/pst_library.h"

namespace velmora {

// PSTConfigure's host, or a stand-in (no pst.conf, messages on standard error) for a program
// that does not configure the library.
struct PstPluginHost {
    std::function<std::optional<std::string>(const char* name)> configText;
    // An English format whose "%s" are the args, for the program to translate.
    std::function<void(const std::string& format, const std::vector<std::string>& args)> message;
};

class PstPlugin {
  public:
    virtual ~PstPlugin() = default;
    // Names the library on standard error.
    virtual const char* Name() const = 0;
    // PSTConfigValues: the values it cannot run without, ended by a NULL name.
    virtual const PstConfigValue* ConfigValues() const = 0;
    // The library as host configures it; nullptr when it cannot run (host was told why).
    virtual std::shared_ptr<PstLibrary> Create(const PstPluginHost& host) = 0;
};

PstPlugin& ThePstPlugin();

}  // namespace velmora
