// The attribute job: for every file whose word would change, open with the new word and
// close; the entry and its row follow each file. Progress and failures go to the message part.
#include <array>
#include <string>

#include "base/lang_string.h"
#include "fsac/fsac_records.h"
#include "jobs/file_jobs.h"
#include "phone/open_channel.h"
#include "transfer/job.h"

namespace velmora {

void RunAttributeJob(AttributeJob& job) {
    JobRun run(*job.window);
    JobWindowProxy& window = *job.window;
    auto channel = OpenChannel(ChannelCommand::AttributeChange, *job.library, window.WindowPhone(),
                               window.WindowPrompts());
    if (!channel) return;  // reported

    const auto total = static_cast<std::int32_t>(job.targets.size());
    window.SetOverallRange(total);
    window.SetOverallPosition(0);
    auto status = [&](int stringId) {
        window.SetStatusText(kAttributeStatusPart, LoadLangString(stringId));
    };

    for (std::int32_t k = 1; k <= total; ++k) {
        const AttributeTarget& target = job.targets[static_cast<std::size_t>(k - 1)];
        const std::uint32_t word = (target.oldAttributes & job.keepMask) | job.setMask;
        if (word != target.oldAttributes) {
            status(kStrSettingAttributes);
            auto open = BuildAttributeChangeRequest(target.file.phonePath, word);
            run.Lock();
            if (!open) {
                window.WindowPrompts().Message(open.ErrorText(), kTitlePhoneInterfaceLower,
                                               PromptIcon::Stop);
                status(kStrOperationFailed);
                return;
            }
            std::array<std::uint8_t, 2> scratch{};
            if (!channel->Send(kFsacCommand, open.Value(), scratch)) return;
            window.Call([&] { job.side->ShowAttributes(target.file, word); });
            if (!channel->SendQuietly(kFsacCommand, BuildCloseRequest(), scratch)) {
                channel->Report({kStrCantCloseFile, kTitlePhoneInterfaceLower});
                return;
            }
            status(kStrAttributesChanged);
        }
        window.SetOverallPosition(k);
        if (run.StopRequested()) {
            window.SetStatusText(kStatusMessagePart,
                                 LoadLangString(kStrSettingAttributesInterrupted));
            break;
        }
    }
}

}  // namespace velmora
