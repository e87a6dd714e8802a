#include "phone/phone_control.h"

#include <array>
#include <cstdint>
#include <vector>

#include "base/lang_string.h"
#include "phone/control_records.h"
#include "phone/open_channel.h"

namespace velmora {

namespace {

void SendControl(ChannelCommand command, const char* name, const std::vector<std::uint8_t>& request,
                 int doneText, PstLibrary& library, PhoneWindow& window, Prompts& prompts) {
    auto channel = OpenChannel(command, library, window, prompts);
    if (!channel) return;
    std::array<std::uint8_t, kRestartReplySize> reply{};
    if (!channel->Send(name, request, reply)) return;
    window.SetStatusText(kStatusMessagePart, LoadLangString(doneText));
}

}  // namespace

void RestartPhone(PstLibrary& library, PhoneWindow& window, Prompts& prompts) {
    SendControl(ChannelCommand::Restart, kRestartCommand, BuildRestartRequest(), kStrPhoneRestarted,
                library, window, prompts);
}

void SuspendPhone(PstLibrary& library, PhoneWindow& window, Prompts& prompts) {
    static_assert(kSuspendReplySize == kRestartReplySize);
    SendControl(ChannelCommand::Suspend, kSuspendCommand, BuildSuspendRequest(), kStrPhoneSuspended,
                library, window, prompts);
}

std::optional<std::string> ReadPhoneModel(PstLibrary& library, PhoneWindow& window,
                                          Prompts& prompts) {
    auto channel = OpenChannel(ChannelCommand::PhoneModel, library, window, prompts);
    if (!channel) return std::nullopt;
    std::array<std::uint8_t, kModelReplySize> reply{};
    std::int32_t length = 0;
    if (!channel->Send(kModelCommand, BuildModelRequest(), reply, &length)) return std::nullopt;
    return ParseModelReply(reply, length);
}

void QueryPhoneModel(PstLibrary& library, SessionWindow& window, Prompts& prompts) {
    if (auto model = ReadPhoneModel(library, window, prompts)) window.SetRootText(*model);
}

}  // namespace velmora
