#include "fsac/phone_session.h"

#include <utility>

#include "phone/phone_control.h"

namespace velmora {

namespace {

// Takes the boxes of commands nobody clicked for: none is shown, and the first text is kept
// for the status bar.
class StatusBarPrompts final : public Prompts {
  public:
    PromptAnswer MessageBox(const MessageBoxRequest& request) override {
        if (m_first.empty()) m_first = request.text;
        return request.buttons == PromptButtons::YesNo      ? PromptAnswer::No
               : request.buttons == PromptButtons::OkCancel ? PromptAnswer::Cancel
                                                            : PromptAnswer::Ok;
    }
    std::optional<std::string> SaveFile(const SaveFileRequest&) override { return std::nullopt; }
    std::vector<std::string> OpenFiles(const OpenFilesRequest&) override { return {}; }
    ConflictAnswer AskConflict(const ConflictRequest&) override { return {}; }
    const std::string& First() const { return m_first; }

  private:
    std::string m_first;
};

}  // namespace

PhoneSession::PhoneSession(PstLibrary& library, SessionWindow& window, Prompts& prompts,
                           PhoneQueries* queries)
    : m_library(library),
      m_window(window),
      m_prompts(prompts),
      m_queries(queries ? *queries : m_inPlace),
      m_poll(library, window, [this] { ReadPhoneQuietly(); }) {}

void PhoneSession::OnPollTimer() {
    if (!m_poll.BeginPoll()) return;
    m_queries.Run([&library = m_library, devices = m_poll.LastDevices(), this](
                      PhoneWindow&, Prompts&) mutable -> QueryResult {
        const bool connected = library.PSTGetDeviceList(devices) == 0;
        return [this, connected, devices = std::move(devices)]() mutable {
            m_poll.EndPoll(connected, std::move(devices));
        };
    });
}

void PhoneSession::Restart() {
    m_queries.Run([&library = m_library](PhoneWindow& window, Prompts& prompts) {
        RestartPhone(library, window, prompts);
        return QueryResult();
    });
}

void PhoneSession::Suspend() {
    m_queries.Run([&library = m_library](PhoneWindow& window, Prompts& prompts) {
        SuspendPhone(library, window, prompts);
        return QueryResult();
    });
}

void PhoneSession::RefreshFreeSpace(char volumeLetter) {
    m_queries.Run([&library = m_library, volumeLetter, this](PhoneWindow& window,
                                                             Prompts& prompts) -> QueryResult {
        const auto freeBytes = ReadFreeSpace(volumeLetter, library, window, prompts);
        if (!freeBytes) return {};
        return [this, volumeLetter, bytes = *freeBytes] {
            ShowFreeSpace(m_state, m_window, volumeLetter, bytes);
        };
    });
}

PhoneQuery PhoneSession::RootQuery() {
    return [&library = m_library, this](PhoneWindow& window, Prompts& prompts) -> QueryResult {
        auto model = ReadPhoneModel(library, window, prompts);
        auto version = ReadFsacVersion(ChannelCommand::FileSystemVersion, library, window, prompts);
        return [this, model = std::move(model), version] {
            if (model) m_window.SetRootText(*model);
            if (!version) return;
            if (auto root = m_window.RootText()) {
                m_window.SetRootText(*root + VersionSuffix(*version));
            }
        };
    };
}

void PhoneSession::ReadPhone(bool quietly) {
    if (!m_window.SelectedDevice()) {
        StatusBarPrompts quiet;
        ReportChannelFailure({kStrDeviceNotSelected, kTitleVelmora}, kStatusMessagePart, m_window,
                             quietly ? quiet : m_prompts);
        if (!quiet.First().empty()) m_window.SetStatusText(kStatusMessagePart, quiet.First());
        return;
    }
    const bool flashBefore = m_state.FileSystemFlag() != 0;
    m_queries.Run([&library = m_library, flashBefore, quietly, this](
                      PhoneWindow& window, Prompts& prompts) -> QueryResult {
        StatusBarPrompts quiet;
        PhoneFacts facts = ReadPhoneFacts(library, window, quietly ? quiet : prompts, flashBefore);
        return [this, facts = std::move(facts), first = quiet.First()] {
            ShowPhoneFacts(facts, m_window, m_state);
            // Over the "Operation failed!!!" that follows each report: the reason itself.
            if (!first.empty()) m_window.SetStatusText(kStatusMessagePart, first);
        };
    });
}

void PhoneSession::ReadPhoneQuietly() {
    // No phone at all: nothing to read, and nothing to pick either.
    if (m_poll.DeviceCount() == 0) return;
    ReadPhone(true);
}

}  // namespace velmora
