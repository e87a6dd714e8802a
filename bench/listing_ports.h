// What a listing benchmark runs on: one emulated phone holding a volume of the given shape,
// boxes that must not come, and a settings key that is not there.
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/prompts.h"
#include "base/settings_store.h"
#include "sim/sim_config.h"
#include "volume_shape.h"

namespace velmora {

// Phone 1 with the volume /a of shape, large enough for it.
inline SimConfig PhoneOfShape(const VolumeShape& shape) {
    SimPhoneConfig phone;
    phone.deviceId = 1;
    phone.image = PhoneImage(shape);
    phone.volumes = {{'a', 1 << 30}};
    SimConfig config;
    config.phones = {phone};
    return config;
}

// Any box means the listing went wrong.
class FailingPrompts : public Prompts {
  public:
    PromptAnswer MessageBox(const MessageBoxRequest& request) override {
        std::fprintf(stderr, "unexpected box: %s\n", request.text.c_str());
        std::abort();
    }
    std::optional<std::string> SaveFile(const SaveFileRequest&) override { return std::nullopt; }
    std::vector<std::string> OpenFiles(const OpenFilesRequest&) override { return {}; }
    ConflictAnswer AskConflict(const ConflictRequest&) override {
        return {ConflictChoice::Replace, true};
    }
};

class NoSettings : public SettingsStore {
  public:
    bool KeyExists() const override { return false; }
    bool CreateKey() override { return false; }
    std::optional<SettingValue> Read(std::string_view) const override { return std::nullopt; }
    bool Write(std::string_view, const SettingValue&) override { return false; }
};

}  // namespace velmora
