// The two jobs that change files on the phone: delete, and the attribute change that the
// Properties dialog's OK starts. Their files are fixed, by name, when they start: a sort or a
// new folder in the list meanwhile changes neither which files they touch nor which rows they
// update. The window learns of each file's result through its side, which a job reaches on
// the window's thread only, through the job channel.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "phone/pst_library.h"
#include "transfer/job_window.h"

namespace velmora {

inline constexpr int kStrDeletingFiles = 127;
inline constexpr int kStrDeletingInterrupted = 129;
inline constexpr int kStrFilesDeleted = 130;
inline constexpr int kStrSettingAttributes = 167;
inline constexpr int kStrAttributesChanged = 168;
inline constexpr int kStrSettingAttributesInterrupted = 169;
// The attribute job's progress and result: the message part, wide enough for them; the
// free-space part keeps the free space.
inline constexpr int kAttributeStatusPart = kStatusMessagePart;

// The file a row stands for.
struct RowFile {
    std::string fullName;   // the entry's path in FileList
    std::string phonePath;  // what a request names
    friend bool operator==(const RowFile&, const RowFile&) = default;
};

// What the two jobs show of their results, on the window's thread.
class FileJobSide {
  public:
    virtual ~FileJobSide() = default;
    // A file the phone deleted leaves FileList and the tree's count.
    virtual void ForgetFile(const RowFile& file) = 0;
    // The rows of deleted files go.
    virtual void RemoveRowsOf(const std::set<std::string>& deletedNames) = 0;
    // A file's new word reaches its entry and its row.
    virtual void ShowAttributes(const RowFile& file, std::uint32_t attributes) = 0;
    // The free space again, of the volume the job changed.
    virtual void RefreshFreeSpace() = 0;
};

// One delete request per file, each deleted file leaving FileList at once and its row at the
// end, and the free space read again after a normal end.
struct DeleteJob {
    std::shared_ptr<JobWindowProxy> window;
    PstLibrary* library = nullptr;
    FileJobSide* side = nullptr;  // through window->Call only
    std::vector<RowFile> files;
};
void RunDeleteJob(DeleteJob& job);

// One file of an attribute job: its word as the row showed it when the job began.
struct AttributeTarget {
    RowFile file;
    std::uint32_t oldAttributes = 0;
};

// For every file whose word would change, open with the new word and close; the entry and
// its row follow each file.
struct AttributeJob {
    std::shared_ptr<JobWindowProxy> window;
    PstLibrary* library = nullptr;
    FileJobSide* side = nullptr;  // through window->Call only
    std::vector<AttributeTarget> targets;
    std::uint32_t setMask = 0;
    std::uint32_t keepMask = 0;
};
void RunAttributeJob(AttributeJob& job);

}  // namespace velmora
