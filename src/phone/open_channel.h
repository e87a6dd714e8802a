// The sequence every phone request goes through: library check, device, interface handle,
// test-command initialisation, then the sends, each failure reported to the user. Commands
// differ only in their messages and in how strictly they treat each step: that is the table
// below, one row per command.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "base/prompts.h"
#include "base/status_sink.h"
#include "phone/phone_window.h"
#include "phone/pst_library.h"

namespace velmora {

// The message boxes keep the titles they have always had, spelling included.
inline constexpr const char* kTitleVelmora = "Velmora";
inline constexpr const char* kTitlePhoneInterface = "Phone Interface";
inline constexpr const char* kTitlePhoneInterfaceLower = "Phone interface";
inline constexpr const char* kTitleInterfaceError = "Interface error";

inline constexpr int kStrCantGetPhoneInterface = 109;
inline constexpr int kStrCantOpenFile = 110;
inline constexpr int kStrCantWriteFile = 112;
inline constexpr int kStrCantCloseFile = 116;
inline constexpr int kStrOperationFailed = 111;
inline constexpr int kStrCantDeleteFile = 128;
inline constexpr int kStrDeviceNotSelected = 117;
inline constexpr int kStrCantGetFileInformation = 118;
inline constexpr int kStrCantInitPhoneInterface = 140;
inline constexpr int kStrFileSearchRequestError = 145;
inline constexpr int kStrCantGetFileSystemVersion = 147;
inline constexpr int kStrCantGetPhoneModel = 148;
inline constexpr int kStrCantGetVolumes = 149;
inline constexpr int kStrCantGetFreeSpace = 155;
inline constexpr int kStrCantRestart = 163;
inline constexpr int kStrCantSuspend = 165;

// A stop-icon box: string textId under title. textId 0 means no box.
struct ChannelMessage {
    int textId = 0;
    const char* title = "";
    constexpr bool Shown() const { return textId != 0; }
};

// What a failed PSTTestCmdInit does to the command.
enum class InitTreatment {
    ReportAndEnd,  // the row's init message, status failed, nothing sent
    EndSilently,   // nothing sent, nothing shown
    IgnoreResult,  // called, and the request goes out whatever it returned
    NotCalled,
};

enum class ChannelCommand {
    FileSystemVersion,
    FileSystemFlag,
    Volumes,
    FreeSpace,
    PhoneModel,
    Restart,
    Suspend,
    FileSearch,  // Get File List and Search: search start
    EntryReader,
    Transfer,         // one file of a transfer job
    AttributeChange,  // the attribute job, once for all its files
};

struct ChannelVariation {
    ChannelCommand command;
    ChannelMessage notReady;  // not Shown(): library ready is not checked
    bool showsWaitCursor;
    // Without the check, a missing selection is reported as the row's send failure: there is
    // no device to send to, and the library must not get a made-up id.
    bool checksDevice;
    // Title of the "Can't get phone interface" box; nullptr: the handle's result is not
    // examined and the sends go out with whatever handle the library left.
    const char* handleFailureTitle;
    InitTreatment init;
    ChannelMessage initFailure;  // used with ReportAndEnd
    ChannelMessage sendFailure;
    int statusPart = kStatusMessagePart;  // where "Operation failed!!!" goes
};

// clang-format off
inline constexpr ChannelVariation kChannelVariations[] = {
    {ChannelCommand::FileSystemVersion,
     {kStrCantGetPhoneInterface, kTitlePhoneInterface}, true, true, kTitlePhoneInterface,
     InitTreatment::EndSilently, {}, {kStrCantGetFileSystemVersion, kTitlePhoneInterface}},
    {ChannelCommand::FileSystemFlag,
     {kStrCantInitPhoneInterface, kTitlePhoneInterface}, true, true, kTitlePhoneInterface,
     InitTreatment::ReportAndEnd, {kStrCantInitPhoneInterface, kTitlePhoneInterface},
     {kStrCantGetFileSystemVersion, kTitlePhoneInterface}},
    {ChannelCommand::Volumes,
     {}, true, true, kTitlePhoneInterface,
     InitTreatment::ReportAndEnd, {kStrCantInitPhoneInterface, kTitlePhoneInterface},
     {kStrCantGetVolumes, kTitlePhoneInterface}},
    {ChannelCommand::FreeSpace,
     {kStrCantInitPhoneInterface, kTitlePhoneInterface}, true, true, kTitlePhoneInterface,
     InitTreatment::ReportAndEnd, {kStrCantInitPhoneInterface, kTitlePhoneInterface},
     {kStrCantGetFreeSpace, kTitlePhoneInterface}},
    {ChannelCommand::PhoneModel,
     {kStrCantInitPhoneInterface, kTitlePhoneInterface}, true, true, kTitlePhoneInterface,
     InitTreatment::ReportAndEnd, {kStrCantInitPhoneInterface, kTitlePhoneInterface},
     {kStrCantGetPhoneModel, kTitlePhoneInterface}},
    // When the phone refuses the test-command set-up nothing is sent, and the user hears it
    // the way the model query reports it.
    {ChannelCommand::Restart,
     {kStrCantInitPhoneInterface, kTitlePhoneInterface}, true, true, kTitlePhoneInterface,
     InitTreatment::ReportAndEnd, {kStrCantInitPhoneInterface, kTitlePhoneInterface},
     {kStrCantRestart, kTitlePhoneInterface}},
    {ChannelCommand::Suspend,
     {kStrCantInitPhoneInterface, kTitlePhoneInterface}, true, true, kTitlePhoneInterface,
     InitTreatment::ReportAndEnd, {kStrCantInitPhoneInterface, kTitlePhoneInterface},
     {kStrCantSuspend, kTitlePhoneInterface}},
    {ChannelCommand::FileSearch,
     {kStrCantInitPhoneInterface, kTitlePhoneInterfaceLower}, true, true, kTitleInterfaceError,
     InitTreatment::IgnoreResult, {}, {kStrFileSearchRequestError, kTitlePhoneInterface}},
    // A worker: no wait cursor of its own, and it runs after search start already reached
    // the phone.
    {ChannelCommand::EntryReader,
     {}, false, false, nullptr,
     InitTreatment::NotCalled, {}, {kStrCantGetFileInformation, kTitlePhoneInterfaceLower}},
    // Each file of a job: no ready check and no wait cursor; every request names its own
    // failure.
    {ChannelCommand::Transfer,
     {}, false, true, kTitlePhoneInterfaceLower,
     InitTreatment::IgnoreResult, {}, {}},
    // This job alone checks the test-command set-up. It reports in the message part, which
    // its texts fit, rather than over the free space.
    {ChannelCommand::AttributeChange,
     {}, false, true, kTitlePhoneInterfaceLower,
     InitTreatment::ReportAndEnd, {kStrCantInitPhoneInterface, kTitlePhoneInterfaceLower},
     {kStrCantOpenFile, kTitlePhoneInterfaceLower}, kStatusMessagePart},
};
// clang-format on

constexpr const ChannelVariation& ChannelVariationFor(ChannelCommand command) {
    for (const auto& row : kChannelVariations) {
        if (row.command == command) return row;
    }
    return kChannelVariations[0];  // unreachable while every command has a row
}

// Shows the stop box and writes "Operation failed!!!" to statusPart.
void ReportChannelFailure(const ChannelMessage& message, int statusPart, PhoneWindow& window,
                          Prompts& prompts);

// An opened channel to one device: the handle fetched for this command. Short-lived: it
// refers to the library, the window and the prompts, and lives no longer than its command.
// Usable from any thread the window and prompts accept calls from.
class CommandChannel {
  public:
    CommandChannel(const ChannelVariation& variation, PstLibrary& library, PhoneWindow& window,
                   Prompts& prompts, std::uint16_t deviceId, std::uint32_t handle);

    std::uint16_t DeviceId() const { return m_deviceId; }
    std::uint32_t Handle() const { return m_handle; }

    // Sends one request. On failure shows the row's send-failure message, writes "Operation
    // failed!!!" and returns false. On success *replyLength (when given) holds the bytes the
    // library wrote, never more than reply.size().
    bool Send(const char* command, std::span<const std::uint8_t> request,
              std::span<std::uint8_t> reply, std::int32_t* replyLength = nullptr);
    // The same without any report: for requests whose failure the caller names itself
    // (through Report) or ignores.
    bool SendQuietly(const char* command, std::span<const std::uint8_t> request,
                     std::span<std::uint8_t> reply, std::int32_t* replyLength = nullptr);
    // A failure in this channel's row's way: the box, then status failed.
    void Report(const ChannelMessage& message);

  private:
    const ChannelVariation* m_variation;
    PstLibrary* m_library;
    PhoneWindow* m_window;
    Prompts* m_prompts;
    std::uint16_t m_deviceId;
    std::uint32_t m_handle;
};

// Why OpenChannel gave no channel; the message has been shown already. Jobs tell a missing
// device (skip this file) from the rest (end the job).
enum class ChannelFailure { NotReady, NoDevice, NoHandle, InitFailed };

// Runs the steps up to the first send. Nothing, after reporting, when a step fails.
std::optional<CommandChannel> OpenChannel(const ChannelVariation& variation, PstLibrary& library,
                                          PhoneWindow& window, Prompts& prompts,
                                          ChannelFailure* failure = nullptr);
inline std::optional<CommandChannel> OpenChannel(ChannelCommand command, PstLibrary& library,
                                                 PhoneWindow& window, Prompts& prompts,
                                                 ChannelFailure* failure = nullptr) {
    return OpenChannel(ChannelVariationFor(command), library, window, prompts, failure);
}

}  // namespace velmora
