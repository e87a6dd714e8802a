// The attribute job: for every file whose word would change, open with the new word and
// close; the entry and its row follow each file. Progress and failures go to status part 3.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "base/lang_string.h"
#include "fsac/fsac_records.h"
#include "phone/open_channel.h"
#include "transfer/job.h"
#include "ui/file_commands.h"
#include "ui/text_compare.h"

namespace velmora {

namespace {

struct AttributeJob {
    std::shared_ptr<JobWindowProxy> window;
    PstLibrary* library = nullptr;
    FileCommands* commands = nullptr;  // through the proxy's Call only
    std::vector<AttributeTarget> targets;
    std::uint32_t setMask = 0;
    std::uint32_t keepMask = 0;
};

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
            window.Call([&] { job.commands->ShowAttributes(target.file, word); });
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

}  // namespace

bool FileCommands::StartAttributeJob(const AttributeRequest& request) {
    if (request.rows.empty()) return false;
    if (m_ports.jobBusy && m_ports.jobBusy()) return false;
    auto job = std::make_shared<AttributeJob>();
    job->window = m_ports.jobWindow;
    job->library = &m_ports.library;
    job->commands = this;
    job->setMask = request.setMask;
    job->keepMask = request.keepMask;
    const bool flat = m_ports.list.DisplayMode() == kDisplayFlat;
    const bool fileSystemFlag = m_ports.window.FileSystemFlag();
    for (int row : request.rows) {
        if (row < 0 || row >= m_ports.list.RowCount()) continue;
        const ListRow& r = m_ports.list.Rows()[static_cast<std::size_t>(row)];
        job->targets.push_back(
            {RowFileFor(r.cells[kColumnName], flat, request.location, fileSystemFlag),
             static_cast<std::uint32_t>(CellNumber(r.cells[kColumnAttributes]))});
    }
    return m_ports.startJob([job] { RunAttributeJob(*job); });
}

}  // namespace velmora
