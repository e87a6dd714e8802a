#include "fsac/volume_queries.h"

#include <array>
#include <cstdio>

#include "base/lang_string.h"

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

std::optional<FsacVersion> VolumeCommands::ReadVersion(ChannelCommand command) {
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

void VolumeCommands::FileSystemFlagCheck() {
    const auto version = ReadVersion(ChannelCommand::FileSystemFlag);
    if (!version) return;
    const bool flash = version->major < 2;
    state.SetFileSystemFlag(flash ? 1 : 0);
    window.EnableSearchControls(!flash);
}

void VolumeCommands::VolumeQuery() {
    if (state.FileSystemFlag() != 0) {
        state.SetVolumeTable({kFlashVolume});
    } else {
        auto channel = OpenChannel(ChannelCommand::Volumes, library, window, prompts);
        if (!channel) return;
        std::array<std::uint8_t, kVolumesReplySize> reply{};
        std::int32_t length = 0;
        if (!channel->Send(kFsacCommand, BuildVolumesRequest(), reply, &length)) return;
        const auto names = ParseVolumesReply(reply, length);
        state.SetVolumeTable(names);
        state.SetVolumeCount(static_cast<int>(names.size()));
    }
    window.ResetTree(state.VolumeTable());
}

void VolumeCommands::VersionDisplay() {
    const auto version = ReadVersion(ChannelCommand::FileSystemVersion);
    if (!version) return;
    if (auto root = window.RootText()) window.SetRootText(*root + VersionSuffix(*version));
}

void VolumeCommands::FreeSpaceQuery(char volumeLetter) {
    auto channel = OpenChannel(ChannelCommand::FreeSpace, library, window, prompts);
    if (!channel) return;
    std::array<std::uint8_t, kFreeSpaceReplySize> reply{};
    std::int32_t length = 0;
    if (!channel->Send(kFsacCommand, BuildFreeSpaceRequest(volumeLetter), reply, &length)) return;
    auto freeBytes = ParseFreeSpaceReply(reply, length);
    if (!freeBytes) {
        // Half a number is no number: keep the cached value rather than show a made-up one.
        channel->Report(ChannelVariationFor(ChannelCommand::FreeSpace).sendFailure);
        return;
    }
    state.SetCachedFreeSpace(freeBytes.Value());
    state.SetFreeSpaceLetter(static_cast<std::uint8_t>(volumeLetter));
    window.SetStatusText(kFreeSpaceStatusPart, FormatFreeSpace(freeBytes.Value()));
}

}  // namespace velmora
