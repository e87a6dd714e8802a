// The job of Get File List and Search: the model and version for the tree's root, search
// start, then the entry reader, which fills FileList on its worker while the window hears of
// the entries read through the job channel's coalesced progress.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fsac/file_list.h"
#include "phone/phone_queries.h"
#include "phone/pst_library.h"
#include "transfer/job_window.h"
#include "transfer/upload_journal.h"

namespace velmora {

// What the window shows of a listing, on its thread.
class ListingSide {
  public:
    virtual ~ListingSide() = default;
    // Search start announced count entries (mask: a search's text): the status, the bar, the
    // list's storage and a search's history; false when there is nothing to read.
    virtual bool SearchStarted(std::int32_t count, const std::optional<std::string>& mask) = 0;
    // The first filled entries of count are read (posted and coalesced).
    virtual void OnEntriesRead(std::int32_t filled, std::int32_t count) = 0;
    // The reader's end, the first entriesRead entries read; unless it failed (show false),
    // the tree and the list show them.
    virtual void ReadingEnded(std::int32_t entriesRead, bool show) = 0;
};

struct ListingJob {
    std::shared_ptr<JobWindowProxy> window;
    PstLibrary* library = nullptr;
    FileList* files = nullptr;    // shared with the window; FileList locks every operation
    ListingSide* side = nullptr;  // through window->Call and the posted progress only
    PhoneQuery rootQuery;         // the model and the version on the tree's root; may be empty
    std::vector<std::uint8_t> request;  // search start
    std::optional<std::string> mask;    // a search's mask text; none for Get File List
    bool fileSystemFlag = false;
    std::int32_t count = 0;  // what search start announced
    // Set when a whole volume is read: the journal's entries under volumePrefix are checked.
    UploadJournal* journal = nullptr;
    std::string volumePrefix;
};
void RunListing(ListingJob& job);

}  // namespace velmora
