// libvelmora-pst-replay.so: the trace replayer, playing the trace named by VELMORA_PST_REPLAY
// or else by TraceFile in pst.conf.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "plugins/pst_plugin.h"
#include "sim/sim_config.h"
#include "sim/trace_replay.h"

namespace velmora {
namespace {

constexpr const char* kTraceFileValue = "TraceFile";
constexpr const char* kReplayEnvVar = "VELMORA_PST_REPLAY";

class ReplayPlugin final : public PstPlugin {
  public:
    const char* Name() const override { return "velmora-pst-replay"; }
    // A trace the environment names makes the pst.conf value unneeded.
    const PstConfigValue* ConfigValues() const override {
        static constexpr PstConfigValue kNone[] = {{nullptr, 0}};
        static constexpr PstConfigValue kTraceFile[] = {{kTraceFileValue, 1}, {nullptr, 0}};
        return ProcessEnv(kReplayEnvVar) ? kNone : kTraceFile;
    }
    std::shared_ptr<PstLibrary> Create(const PstPluginHost& host) override {
        std::optional<std::string> path = ProcessEnv(kReplayEnvVar);
        if (!path) path = host.configText(kTraceFileValue);
        if (!path || path->empty()) {
            host.message("The trace replayer has no trace to play: set %s in pst.conf or %s.",
                         {kTraceFileValue, kReplayEnvVar});
            return nullptr;
        }
        std::string problem;
        std::optional<ReplayTrace> trace = LoadReplayTrace(*path, problem);
        if (!trace) {
            host.message("%s", {problem});
            return nullptr;
        }
        return std::make_shared<TraceReplayPst>(std::move(*trace));
    }
};

}  // namespace

PstPlugin& ThePstPlugin() {
    static ReplayPlugin plugin;
    return plugin;
}

}  // namespace velmora
