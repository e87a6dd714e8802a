#include "fsac/volume_queries.h"

#include <array>
#include <cstdio>

#include "base/lang_string.h"
#include "phone/phone_control.h"

namespace velmora {

std::string FormatFreeSpace(std::int32_t freeBytes) {
    double t = freeBytes;
    int k = 0;
    // The threshold is 1000 but the divisor 1024: "0.9 kb free" for 1000 bytes.
    while (t >= 1000) {
        t /= 1024;
        ++k;
    }
    const std::string free = LoadLangString(kStrFree);
    char text[128];
    if (k == 0) {
        std::snprintf(text, sizeof text, "%d %s %s", freeBytes, LoadLangString(kStrBytes).c_str(),
                      free.c_str());
        return text;
    }
    static constexpr int kUnits[] = {kStrKilobytes, kStrMegabytes, kStrGigabytes};
    const int whole = static_cast<int>(t);
    const int tenth = static_cast<int>((t - whole) * 10);  // truncated, never rounded
    std::snprintf(text, sizeof text, "%d.%d %s %s", whole, tenth,
                  LoadLangString(kUnits[k - 1]).c_str(), free.c_str());
    return text;
}

std::string VersionSuffix(FsacVersion version) {
    char text[32];
    std::snprintf(text, sizeof text, " (FSAC v.%d.%d)", version.major, version.minor);
    return text;
}

std::vector<std::string> VolumeState::VolumeTable() const {
    std::lock_guard lock(m_tableMutex);
    return m_volumeTable;
}

void VolumeState::SetVolumeTable(const std::vector<std::string>& names) {
    std::vector<std::string> table;
    std::size_t used = 1;  // the closing empty text
    for (const auto& name : names) {
        if (name.empty()) break;
        if (used + name.size() + 1 > kVolumeTableBytes) break;
        used += name.size() + 1;
        table.push_back(name);
    }
    std::lock_guard lock(m_tableMutex);
    m_volumeTable = std::move(table);
}

char VolumeState::CommandVolumeLetter() const {
    return VolumeCount() > 1 ? static_cast<char>(CurrentVolumeLetter()) : 'a';
}

std::optional<FsacVersion> ReadFsacVersion(ChannelCommand command, PstLibrary& library,
                                           PhoneWindow& window, Prompts& prompts) {
    auto channel = OpenChannel(command, library, window, prompts);
    if (!channel) return std::nullopt;
    std::array<std::uint8_t, kVersionReplySize> reply{};
    std::int32_t length = 0;
    if (!channel->Send(kFsacCommand, BuildVersionRequest(), reply, &length)) return std::nullopt;
    auto version = ParseVersionReply(reply, length);
    if (!version) {
        // A reply without both bytes tells nothing: the same as a failed request.
        channel->Report(ChannelVariationFor(command).sendFailure);
        return std::nullopt;
    }
    return version.Value();
}

std::optional<std::vector<std::string>> ReadVolumeNames(PstLibrary& library, PhoneWindow& window,
                                                        Prompts& prompts) {
    auto channel = OpenChannel(ChannelCommand::Volumes, library, window, prompts);
    if (!channel) return std::nullopt;
    std::array<std::uint8_t, kVolumesReplySize> reply{};
    std::int32_t length = 0;
    if (!channel->Send(kFsacCommand, BuildVolumesRequest(), reply, &length)) return std::nullopt;
    return ParseVolumesReply(reply, length);
}

std::optional<std::int32_t> ReadFreeSpace(char volumeLetter, PstLibrary& library,
                                          PhoneWindow& window, Prompts& prompts) {
    auto channel = OpenChannel(ChannelCommand::FreeSpace, library, window, prompts);
    if (!channel) return std::nullopt;
    std::array<std::uint8_t, kFreeSpaceReplySize> reply{};
    std::int32_t length = 0;
    if (!channel->Send(kFsacCommand, BuildFreeSpaceRequest(volumeLetter), reply, &length)) {
        return std::nullopt;
    }
    auto freeBytes = ParseFreeSpaceReply(reply, length);
    if (!freeBytes) {
        // Half a number is no number: keep the cached value rather than show a made-up one.
        channel->Report(ChannelVariationFor(ChannelCommand::FreeSpace).sendFailure);
        return std::nullopt;
    }
    return freeBytes.Value();
}

void ShowFreeSpace(VolumeState& state, StatusSink& window, char volumeLetter,
                   std::int32_t freeBytes) {
    state.SetCachedFreeSpace(freeBytes);
    state.SetFreeSpaceLetter(static_cast<std::uint8_t>(volumeLetter));
    window.SetStatusText(kFreeSpaceStatusPart, FormatFreeSpace(freeBytes));
}

namespace {

void ShowFlag(const FsacVersion& version, SessionWindow& window, VolumeState& state) {
    const bool flash = version.major < 2;
    state.SetFileSystemFlag(flash ? 1 : 0);
    window.EnableSearchControls(!flash);
}

void ShowVolumes(bool flash, const std::optional<std::vector<std::string>>& names,
                 SessionWindow& window, VolumeState& state) {
    if (flash) {
        state.SetVolumeTable({kFlashVolume});
    } else if (names) {
        state.SetVolumeTable(*names);
        state.SetVolumeCount(static_cast<int>(names->size()));
    } else {
        return;
    }
    window.ResetTree(state.VolumeTable());
}

void ShowVersion(const FsacVersion& version, SessionWindow& window) {
    if (auto root = window.RootText()) window.SetRootText(*root + VersionSuffix(version));
}

}  // namespace

PhoneFacts ReadPhoneFacts(PstLibrary& library, PhoneWindow& window, Prompts& prompts,
                          bool flashBefore) {
    PhoneFacts facts;
    facts.flagVersion = ReadFsacVersion(ChannelCommand::FileSystemFlag, library, window, prompts);
    facts.flash = facts.flagVersion ? facts.flagVersion->major < 2 : flashBefore;
    if (!facts.flash) facts.volumeNames = ReadVolumeNames(library, window, prompts);
    facts.model = ReadPhoneModel(library, window, prompts);
    facts.version = ReadFsacVersion(ChannelCommand::FileSystemVersion, library, window, prompts);
    facts.freeBytes = ReadFreeSpace('a', library, window, prompts);
    return facts;
}

void ShowPhoneFacts(const PhoneFacts& facts, SessionWindow& window, VolumeState& state) {
    if (facts.flagVersion) ShowFlag(*facts.flagVersion, window, state);
    ShowVolumes(facts.flash, facts.volumeNames, window, state);
    if (facts.model) window.SetRootText(*facts.model);
    if (facts.version) ShowVersion(*facts.version, window);
    if (facts.freeBytes) ShowFreeSpace(state, window, 'a', *facts.freeBytes);
}

void VolumeCommands::FileSystemFlagCheck() {
    if (const auto version =
            ReadFsacVersion(ChannelCommand::FileSystemFlag, library, window, prompts)) {
        ShowFlag(*version, window, state);
    }
}

void VolumeCommands::VolumeQuery() {
    const bool flash = state.FileSystemFlag() != 0;
    ShowVolumes(flash, flash ? std::nullopt : ReadVolumeNames(library, window, prompts), window,
                state);
}

void VolumeCommands::VersionDisplay() {
    if (const auto version =
            ReadFsacVersion(ChannelCommand::FileSystemVersion, library, window, prompts)) {
        ShowVersion(*version, window);
    }
}

void VolumeCommands::FreeSpaceQuery(char volumeLetter) {
    if (const auto freeBytes = ReadFreeSpace(volumeLetter, library, window, prompts)) {
        ShowFreeSpace(state, window, volumeLetter, *freeBytes);
    }
}

}  // namespace velmora
