#include "phone/open_channel.h"

#include <algorithm>
#include <string>

#include "base/lang_string.h"

namespace velmora {

void ReportChannelFailure(const ChannelMessage& message, int statusPart, PhoneWindow& window,
                          Prompts& prompts) {
    if (message.Shown())
        prompts.Message(LoadLangString(message.textId), message.title, PromptIcon::Stop);
    window.SetStatusText(statusPart, LoadLangString(kStrOperationFailed));
}

CommandChannel::CommandChannel(const ChannelVariation& variation, PstLibrary& library,
                               PhoneWindow& window, Prompts& prompts, std::uint16_t deviceId,
                               std::uint32_t handle)
    : m_variation(&variation),
      m_library(&library),
      m_window(&window),
      m_prompts(&prompts),
      m_deviceId(deviceId),
      m_handle(handle) {}

bool CommandChannel::SendQuietly(const char* command, std::span<const std::uint8_t> request,
                                 std::span<std::uint8_t> reply, std::int32_t* replyLength) {
    std::int32_t length = 0;
    std::int32_t result = m_library->PSTSendCommand(m_deviceId, m_handle, command, request, reply,
                                                    length, m_deviceId);
    // The library promises to write no more than the buffer; a length beyond it (or below
    // zero) is clamped so that no caller reads past what it allotted.
    const auto capacity = static_cast<std::int64_t>(reply.size());
    length = static_cast<std::int32_t>(std::clamp<std::int64_t>(length, 0, capacity));
    if (replyLength) *replyLength = result == 0 ? length : 0;
    return result == 0;
}

bool CommandChannel::Send(const char* command, std::span<const std::uint8_t> request,
                          std::span<std::uint8_t> reply, std::int32_t* replyLength) {
    if (SendQuietly(command, request, reply, replyLength)) return true;
    Report(m_variation->sendFailure);
    return false;
}

void CommandChannel::Report(const ChannelMessage& message) {
    ReportChannelFailure(message, m_variation->statusPart, *m_window, *m_prompts);
}

std::optional<CommandChannel> OpenChannel(const ChannelVariation& variation, PstLibrary& library,
                                          PhoneWindow& window, Prompts& prompts,
                                          ChannelFailure* failure) {
    auto fail = [&](ChannelFailure why, const ChannelMessage& message, bool report) {
        if (report) ReportChannelFailure(message, variation.statusPart, window, prompts);
        if (failure) *failure = why;
        return std::optional<CommandChannel>();
    };

    if (variation.notReady.Shown() && !window.LibraryReady())
        return fail(ChannelFailure::NotReady, variation.notReady, true);

    if (variation.showsWaitCursor) window.ShowWaitCursor();

    const std::optional<std::uint16_t> device = window.SelectedDevice();
    if (!device) {
        return fail(ChannelFailure::NoDevice,
                    variation.checksDevice ? ChannelMessage{kStrDeviceNotSelected, kTitleVelmora}
                                           : variation.sendFailure,
                    true);
    }

    // Fetched for every command and never kept: the library may have renumbered them.
    std::uint32_t handle = 0;
    std::int32_t handleResult =
        library.PSTGetInterfaceHandle(*device, kTestCommandInterface, handle);
    if (handleResult != 0 && variation.handleFailureTitle) {
        return fail(ChannelFailure::NoHandle,
                    ChannelMessage{kStrCantGetPhoneInterface, variation.handleFailureTitle}, true);
    }

    if (variation.init != InitTreatment::NotCalled) {
        std::int32_t initResult = library.PSTTestCmdInit(*device, window.Rs232Flag());
        if (initResult != 0) {
            if (variation.init == InitTreatment::ReportAndEnd)
                return fail(ChannelFailure::InitFailed, variation.initFailure, true);
            if (variation.init == InitTreatment::EndSilently)
                return fail(ChannelFailure::InitFailed, {}, false);
        }
    }

    return CommandChannel(variation, library, window, prompts, *device, handle);
}

}  // namespace velmora
