#include "ui/listing_commands.h"

#include <utility>

#include "base/lang_string.h"
#include "base/phone_text.h"
#include "fsac/file_search.h"
#include "fsac/volume_queries.h"
#include "phone/open_channel.h"

namespace velmora {

ListingCommands::ListingCommands(ListingPorts ports) : m_ports(std::move(ports)) {}

void ListingCommands::ClearForReading() {
    m_ports.window.ShowWaitCursor();
    m_ports.files.Clear();
    m_ports.list.DeleteAllRows();
    m_ports.tree.ResetTree(true);
}

bool ListingCommands::SearchStarted(std::int32_t count, const std::optional<std::string>& mask) {
    m_ports.window.SetStatusText(kStatusMessagePart, LoadLangString(kStrReadingFileList));
    if (mask && count == 0) {
        m_ports.files.SetCount(0);
        m_ports.window.SetStatusText(kStatusMessagePart, LoadLangString(kStrNoFilesFound));
        return false;
    }
    m_ports.window.SetOverallRange(count);
    m_ports.window.SetOverallPosition(0);
    m_ports.files.Allocate(count);
    if (mask) {
        m_ports.history.Remember(*mask);
        m_ports.window.SetMaskChoices(m_ports.history.Masks());
        // Only into an existing key; a failed write goes unnoticed, as every settings write.
        m_ports.history.Store(m_ports.user);
    }
    m_ports.list.SetDisplayMode(mask ? kDisplayFlat : kDisplayFolder);
    m_iconsGiven = 0;
    return true;
}

void ListingCommands::GetFileList() {
    if (m_ports.jobBusy && m_ports.jobBusy()) return;
    if (!m_ports.window.LibraryReady()) {
        ReportChannelFailure({kStrCantInitPhoneInterface, kTitlePhoneInterfaceLower},
                             kStatusMessagePart, m_ports.window, m_ports.prompts);
        return;
    }
    const int volumes = m_ports.window.VolumeCount();
    if (m_ports.window.CurrentVolumeLetter() == 0 && volumes > 1) {
        m_ports.prompts.Message(LoadLangString(kStrVolumeNotSelected), kTitleVelmora,
                                PromptIcon::Information);
        return;
    }
    const std::uint8_t letter = volumes > 1 ? m_ports.window.CurrentVolumeLetter() : 'a';
    m_ports.window.SetCurrentVolumeLetter(letter);
    m_listedLetter = letter;

    ClearForReading();
    // The whole-volume pattern keeps its separator whatever the file-system flag says.
    StartListing(BuildVolumeSearchRequest(static_cast<char>(letter)), std::nullopt);
}

void ListingCommands::Search() {
    if (m_ports.jobBusy && m_ports.jobBusy()) return;
    if (!m_ports.window.LibraryReady()) {
        ReportChannelFailure({kStrCantInitPhoneInterface, kTitlePhoneInterfaceLower},
                             kStatusMessagePart, m_ports.window, m_ports.prompts);
        return;
    }
    std::string text(LeadingCharacters(m_ports.window.MaskText(), kMaxSearchMaskChars));
    // Refused before anything is sent or cleared: the pattern buffer cannot hold it.
    auto request = BuildSearchStartRequest(text, m_ports.window.FileSystemFlag());
    if (!request) {
        m_ports.prompts.Message(request.ErrorText(), kTitleVelmora, PromptIcon::Information);
        return;
    }

    ClearForReading();
    StartListing(request.Value(), std::move(text));
}

void ListingCommands::StartListing(std::vector<std::uint8_t> request,
                                   std::optional<std::string> mask) {
    auto job = std::make_shared<ListingJob>();
    job->window = m_ports.jobWindow;
    job->library = &m_ports.library;
    job->files = &m_ports.files;
    job->side = this;
    job->rootQuery = m_ports.window.ModelAndVersionQuery();
    job->request = std::move(request);
    job->fileSystemFlag = m_ports.window.FileSystemFlag();
    if (!mask) {
        // A whole volume is read, so files the journal names can be looked up.
        job->journal = m_ports.journal;
        // The single-volume file system holds every file the phone has.
        if (!job->fileSystemFlag) job->volumePrefix = {'/', static_cast<char>(m_listedLetter), '/'};
    }
    job->mask = std::move(mask);
    if (!m_ports.startJob([job] { RunListing(*job); })) {
        // No reader: nothing will arrive, so nothing is announced.
        m_ports.files.SetCount(0);
        m_ports.window.SetStatusText(kStatusMessagePart, LoadLangString(kStrOperationFailed));
    }
}

void ListingCommands::ShowReadingProgress(std::int32_t done, std::int32_t count) {
    m_ports.window.SetOverallPosition(done);
    m_ports.window.SetStatusText(kStatusMessagePart, ReadingProgressText(done, count));
}

void ListingCommands::OnGetFileInfo(std::int32_t n) {
    ShowReadingProgress(n + 1, m_ports.files.Count());
    if (n < m_ports.list.RowCount()) {
        if (auto entry = m_ports.files.Entry(n)) m_ports.list.UpdateRow(n, *entry);
    }
}

void ListingCommands::CatchUp(std::int32_t filled) {
    const std::int32_t first = m_iconsGiven;
    if (filled > first) {
        // The icon source belongs to the window: asked on its thread, never the reader's.
        GiveIcons(m_ports.files, m_ports.icons, first, filled);
        m_iconsGiven = filled;
        for (std::int32_t n = first; n < std::min(filled, m_ports.list.RowCount()); ++n) {
            if (auto entry = m_ports.files.Entry(n)) m_ports.list.UpdateRow(n, *entry);
        }
    }
    m_ports.tree.SetEntryCount(filled);
}

void ListingCommands::OnEntriesRead(std::int32_t filled, std::int32_t count) {
    ShowReadingProgress(filled, count);
    CatchUp(filled);
}

void ListingCommands::ReadingEnded(std::int32_t entriesRead, bool show) {
    CatchUp(entriesRead);
    if (show) ShowReadEntries();
}

void ListingCommands::ShowReadEntries() {
    const std::int32_t count = m_ports.files.Count();
    m_ports.tree.SetEntryCount(count);
    if (m_ports.list.DisplayMode() == kDisplayFlat) {
        // A single find shows too: as a flat row, then in its folder once the tree finds it.
        if (count > 0) {
            m_ports.list.FillFlat(m_ports.files);
            m_ports.window.RowsFilled();
        }
        m_ports.tree.ExpandLastBranch();
    } else {
        // The volume the user listed stays selected, and with it its free space.
        m_ports.tree.ShowVolume(m_listedLetter);
    }
}

}  // namespace velmora
