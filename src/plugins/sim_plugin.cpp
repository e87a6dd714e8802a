// libvelmora-pst-sim.so: the emulated phone library, configured from the environment (the
// phones file, the trace); it needs no pst.conf values.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "plugins/pst_plugin.h"
#include "sim/simulated_pst.h"

namespace velmora {
namespace {

class SimPlugin final : public PstPlugin {
  public:
    const char* Name() const override { return "velmora-pst-sim"; }
    const PstConfigValue* ConfigValues() const override {
        static constexpr PstConfigValue kNone[] = {{nullptr, 0}};
        return kNone;
    }
    std::shared_ptr<PstLibrary> Create(const PstPluginHost& host) override {
        SimConfig config = LoadEmulatorConfig(ProcessEnv);
        // The emulator runs on without its phones, but the user must know why.
        if (!config.error.empty()) host.message(config.errorFormat, config.errorArgs);
        return std::make_shared<SimulatedPst>(std::move(config));
    }
};

}  // namespace

PstPlugin& ThePstPlugin() {
    static SimPlugin plugin;
    return plugin;
}

}  // namespace velmora
