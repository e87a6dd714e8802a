// Get File List (1003) and Search (1007): the checks and the clearing on the window's thread,
// then search start and the entry reader as a job, and what the window shows when search
// start answers, when the reader reports entries ("WM_GET_FILE_INFO") and when it ends (the
// tree's first volume, or the flat list of a search).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/icon_image.h"
#include "base/prompts.h"
#include "base/settings_store.h"
#include "fsac/file_list.h"
#include "jobs/listing_job.h"
#include "phone/phone_queries.h"
#include "phone/phone_window.h"
#include "phone/pst_library.h"
#include "transfer/job.h"
#include "transfer/job_window.h"
#include "transfer/upload_journal.h"
#include "ui/file_rows.h"
#include "ui/settings.h"
#include "ui/volume_tree.h"

namespace velmora {

// What the two commands need of the main window beyond its phone state. Window's thread only.
class ListingWindow : public PhoneWindow {
  public:
    // The phone session's volume state.
    virtual int VolumeCount() const = 0;
    virtual std::uint8_t CurrentVolumeLetter() const = 0;
    virtual void SetCurrentVolumeLetter(std::uint8_t letter) = 0;
    // Set for phones with a single volume and no folders.
    virtual bool FileSystemFlag() const = 0;
    // The phone model query and the version display, which name the tree's root: the
    // listing's job asks them before search start and shows what they return.
    virtual PhoneQuery ModelAndVersionQuery() = 0;
    // The mask box 1006: its text, and its choices refilled with the first one selected.
    virtual std::string MaskText() const = 0;
    virtual void SetMaskChoices(const std::vector<std::string>& masks) = 0;
    // The overall bar 1002.
    virtual void SetOverallRange(std::int32_t total) = 0;
    virtual void SetOverallPosition(std::int32_t position) = 0;
    // The list's rows were replaced by the flat list.
    virtual void RowsFilled() {}
};

struct ListingPorts {
    PstLibrary& library;
    ListingWindow& window;
    Prompts& prompts;
    FileList& files;
    VolumeTree& tree;
    FileRows& list;
    IconSource& icons;
    SearchHistory& history;
    SettingsStore& user;
    // The workers' way to the window; it must outlive nothing, being detached with the window.
    std::shared_ptr<JobWindowProxy> jobWindow;
    JobStarter startJob;
    // Whether a job still runs: a new search must not mix its requests with the old ones.
    std::function<bool()> jobBusy;
    // The uploads in flight, which a listing of a volume checks for files a crash cut short;
    // none: nothing is checked.
    UploadJournal* journal = nullptr;
};

class ListingCommands final : public ListingSide {
  public:
    explicit ListingCommands(ListingPorts ports);
    ListingCommands(const ListingCommands&) = delete;
    ListingCommands& operator=(const ListingCommands&) = delete;

    // Button 1003: every file of the selected volume; before they are shown, the files an
    // upload left short (the journal's leftovers on that volume) are offered for deletion.
    void GetFileList();
    // Button 1007: the files matching the mask box's text.
    void Search();
    // ListingSide, on the window's thread for the job.
    bool SearchStarted(std::int32_t count, const std::optional<std::string>& mask) override;
    // "WM_GET_FILE_INFO" for entry index n: bar, status part 4, row n if there is one.
    void OnGetFileInfo(std::int32_t n);
    // The reader's posted progress, the messages of every entry up to filled at once: bar and
    // status part 4 at filled of count, and the new entries' icons, rows and tree count.
    void OnEntriesRead(std::int32_t filled, std::int32_t count) override;
    // The reader's end, the first entriesRead entries read: their icons and tree count, then,
    // unless it failed (show false), the tree and the list show them.
    void ReadingEnded(std::int32_t entriesRead, bool show) override;

  private:
    // The steps both commands share before search start: the clear and the root's text.
    void ClearForReading();
    // The job: search start with request, then the reader. A search brings its mask along.
    void StartListing(std::vector<std::uint8_t> request, std::optional<std::string> mask);
    void ShowReadingProgress(std::int32_t done, std::int32_t count);
    // The entries read up to filled get their icons and rows, and the tree may use them.
    void CatchUp(std::int32_t filled);
    // The reader's end on the window's thread: the tree and the list show what was read.
    void ShowReadEntries();

    ListingPorts m_ports;
    std::uint8_t m_listedLetter = 0;  // the volume the last Get File List read
    std::int32_t m_iconsGiven = 0;    // the leading entries of this reading that have icons
};

}  // namespace velmora
