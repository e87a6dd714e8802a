// Upload (the open-files dialog, or files dropped on the list) and Fill space: the jobs that
// write files to the phone. What they read of the window is fixed when they start; each file
// that reached the phone goes to the window at once (the entry, its icons and its row) through
// its side, without reading the phone's listing again.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/clock.h"
#include "phone/pst_library.h"
#include "transfer/job_window.h"
#include "transfer/upload_journal.h"

namespace velmora {

// One file as it reached the phone, for the in-place update.
struct UploadedFile {
    std::string phonePath;
    std::string name;  // phone bytes, as the row shows it
    std::int32_t size = 0;
    // Nothing reached the phone's copy: a file that was there keeps what it had.
    bool contentsReplaced = true;
};

// What the jobs ask of the window and show in it, on the window's thread.
class UploadSide {
  public:
    virtual ~UploadSide() = default;
    // The upload path field 1028 as it reads now: the next file's destination.
    virtual std::string UploadPathText() const = 0;
    // The field still names the folder selected when the job started: its rows show the
    // uploaded files.
    virtual bool ShowsStartFolder() const = 0;
    // Room in FileList for count more entries.
    virtual void GrowList(std::int32_t count) = 0;
    // The entry (added or resized) and, when showRow, its row.
    virtual void ListUploaded(const UploadedFile& file, bool showRow) = 0;
    // The entry of a partial file the job deleted, and its row when shown.
    virtual void ForgetUploaded(const std::string& listedPath, bool showRow) = 0;
    // A fill file's name, never taken again this session.
    virtual void RememberFillName(const std::string& listedPath) = 0;
    // The free-space query after a job: the current volume with several, else "a".
    virtual void RefreshFreeSpace() = 0;
};

// The window's state as a job starts.
struct UploadStart {
    bool rootOrNone = true;  // no tree selection, or the root
    std::string startPath;   // NodePath of the selection, "/" as tail
    std::string field;       // the upload path field
    std::string leaveBytes;  // the "leave bytes free" field
    bool fileSystemFlag = false;
    int volumeCount = 0;
    char commandLetter = 'a';
    std::int32_t freeSpace = 0;
    // The listed files' sizes by FileList path (the first entry of a path), and the fill
    // names this session wrote: what a new file would replace.
    std::map<std::string, std::int32_t> listedSizes;
    std::set<std::string> fillNames;
};

struct WriteJob {
    std::shared_ptr<JobWindowProxy> window;
    PstLibrary* library = nullptr;
    Clock* clock = nullptr;
    UploadSide* side = nullptr;  // through window->Call only
    // Uploads in flight, so that a crash cannot hide a truncated phone file; may be null.
    UploadJournal* journal = nullptr;
    UploadStart start;
    std::vector<std::string> dropped;
    bool fromDrop = false;
};

// The files chosen in the open-files dialog (or dropped), each into the folder the upload
// path names when its turn comes (a drop keeps the selected folder).
void RunUpload(WriteJob& job);
// One file of filler data on the current volume, leaving the bytes the field asks for.
void RunFill(WriteJob& job);

}  // namespace velmora
