// The main window's commands on the phone's files: Get File List, Search, Download and open,
// Upload, dropped files and Fill space, Delete and Properties, with the tree's selection and
// the list's sorting that show what was read. One object holds them, takes the window's state
// as each of them needs it, and receives the command map's rows for them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/shell.h"
#include "transfer/job.h"
#include "transfer/upload_journal.h"
#include "ui/download_commands.h"
#include "ui/file_commands.h"
#include "ui/listing_commands.h"
#include "ui/main_window.h"
#include "ui/upload_commands.h"

namespace velmora {

struct MainWindowJobsParts {
    MainWindow& window;
    PstLibrary& library;
    SettingsStore& user;
    FileList& files;
    VolumeTree& tree;
    FileRows& list;
    IconSource& icons;
    Shell& shell;
    PropertiesDialogRunner showProperties;
    Clock* clock = nullptr;    // the system clock when null
    std::string openFolder{};  // OpenFilesFolder of the process environment when empty
    JobStarter startJob = [](std::function<void()> worker) { return StartJob(std::move(worker)); };
    std::function<bool()> jobBusy = [] { return JobBusy(); };
    // The journal the uploads keep; none: the process-wide one (TheUploadJournal).
    UploadJournal* journal = nullptr;
};

class MainWindowJobs final : public WindowJobCommands,
                             public ListingWindow,
                             public FilesWindow,
                             public UploadWindow,
                             public TreeSelectionHandler {
  public:
    // Takes the window's job rows and the tree's selections. Lives no longer than the window,
    // the tree and the list; a job still running then reaches none of them.
    explicit MainWindowJobs(MainWindowJobsParts parts);
    ~MainWindowJobs() override;
    MainWindowJobs(const MainWindowJobs&) = delete;
    MainWindowJobs& operator=(const MainWindowJobs&) = delete;

    // WindowJobCommands.
    void GetFileList() override { m_listing->GetFileList(); }
    void Search() override { m_listing->Search(); }
    void Download() override { m_download->Download(); }
    void Open(std::int32_t row) override { m_download->Open(row); }
    void Upload() override { m_upload->Upload(); }
    void Drop(const std::vector<std::string>& paths) override { m_upload->Drop(paths); }
    void FillSpace() override { m_upload->FillSpace(); }
    void Delete() override { m_files->Delete(); }
    void Properties() override { m_files->Properties(); }
    void HeadingClick(int column) override { m_list.OnHeadingClick(column); }
    void SortBy(int commandId) override { m_list.OnSortCommand(commandId); }

    // TreeSelectionHandler: the volume letter, the free space, the status bar, the upload
    // path and the rows follow the selected node.
    void OnTreeSelection(const TreeSelectionChange& change) override;

    // The window's state as the commands take it.
    bool LibraryReady() const override { return m_window.LibraryReady(); }
    std::int32_t Rs232Flag() const override { return m_window.Rs232Flag(); }
    std::optional<std::uint16_t> SelectedDevice() const override {
        return m_window.SelectedDevice();
    }
    void SetStatusText(int part, const std::string& text) override {
        m_window.SetStatusText(part, text);
    }
    void ShowWaitCursor() override { m_window.ShowWaitCursor(); }
    int VolumeCount() const override { return Volumes().VolumeCount(); }
    std::uint8_t CurrentVolumeLetter() const override { return Volumes().CurrentVolumeLetter(); }
    void SetCurrentVolumeLetter(std::uint8_t letter) override {
        m_window.Phone().State().SetCurrentVolumeLetter(letter);
    }
    bool FileSystemFlag() const override { return Volumes().FileSystemFlag() != 0; }
    PhoneQuery ModelAndVersionQuery() override { return m_window.Phone().RootQuery(); }
    std::string MaskText() const override;
    void SetMaskChoices(const std::vector<std::string>& masks) override {
        m_window.SetMaskItems(masks);
    }
    void SetOverallRange(std::int32_t total) override { m_window.SetOverallRange(total); }
    void SetOverallPosition(std::int32_t position) override {
        m_window.SetOverallPosition(position);
    }
    std::string UploadPathText() const override;
    std::string LeaveBytesText() const override;
    const VolumeState& Volumes() const override { return m_window.Phone().State(); }
    void RefreshFreeSpace() override { m_window.Phone().RefreshFreeSpace(); }
    // The rows were replaced or changed: the name column's width follows their count.
    void RowsFilled() override { RowsChanged(); }
    void RowsChanged() override;

  private:
    MainWindow& m_window;
    VolumeTree& m_tree;
    FileRows& m_list;
    std::unique_ptr<ListingCommands> m_listing;
    std::unique_ptr<FileCommands> m_files;
    std::unique_ptr<DownloadCommands> m_download;
    std::unique_ptr<UploadCommands> m_upload;
};

}  // namespace velmora
