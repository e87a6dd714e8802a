// Get File List, Search and the reader's "WM_GET_FILE_INFO" on the main window: the window's
// state as the listing commands take it, and the two command-map rows they take over; with
// them the tree's selection and the list's sorting, which show what was read.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "transfer/job.h"
#include "ui/listing_commands.h"
#include "ui/main_window.h"
#include "ui/main_window_browsing.h"

namespace velmora {

struct MainWindowListingParts {
    MainWindow& window;
    PstLibrary& library;
    SettingsStore& user;
    FileList& files;
    VolumeTree& tree;
    FileListCtrl& list;
    IconSource& icons;
    JobStarter startJob = [](std::function<void()> worker) { return StartJob(std::move(worker)); };
    std::function<bool()> jobBusy = [] { return JobBusy(); };
    // The journal the uploads keep; none: the process-wide one (TheUploadJournal).
    UploadJournal* journal = nullptr;
};

class MainWindowListing final : public ListingWindow {
  public:
    // Replaces the rows of buttons 1003 and 1007. Lives no longer than the window.
    explicit MainWindowListing(MainWindowListingParts parts);
    ~MainWindowListing() override;
    MainWindowListing(const MainWindowListing&) = delete;
    MainWindowListing& operator=(const MainWindowListing&) = delete;

    ListingCommands& Commands() { return *m_commands; }

    bool LibraryReady() const override { return m_window.LibraryReady(); }
    std::int32_t Rs232Flag() const override { return m_window.Rs232Flag(); }
    std::optional<std::uint16_t> SelectedDevice() const override {
        return m_window.SelectedDevice();
    }
    void SetStatusText(int part, const std::string& text) override {
        m_window.SetStatusText(part, text);
    }
    void ShowWaitCursor() override { m_window.ShowWaitCursor(); }
    int VolumeCount() const override { return m_window.Phone().State().VolumeCount(); }
    std::uint8_t CurrentVolumeLetter() const override {
        return m_window.Phone().State().CurrentVolumeLetter();
    }
    void SetCurrentVolumeLetter(std::uint8_t letter) override {
        m_window.Phone().State().SetCurrentVolumeLetter(letter);
    }
    bool FileSystemFlag() const override { return m_window.Phone().State().FileSystemFlag() != 0; }
    PhoneQuery ModelAndVersionQuery() override { return m_window.Phone().RootQuery(); }
    std::string MaskText() const override;
    void SetMaskChoices(const std::vector<std::string>& masks) override {
        m_window.SetMaskItems(masks);
    }
    void SetOverallRange(std::int32_t total) override { m_window.SetOverallRange(total); }
    void SetOverallPosition(std::int32_t position) override {
        m_window.SetOverallPosition(position);
    }
    void RowsFilled() override { m_browsing.RowsChanged(); }

  private:
    MainWindow& m_window;
    MainWindowBrowsing m_browsing;
    std::shared_ptr<JobWindowProxy> m_proxy;
    std::unique_ptr<ListingCommands> m_commands;
};

}  // namespace velmora
