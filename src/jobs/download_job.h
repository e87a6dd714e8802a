// Download and open: the jobs that read phone files into local ones, through the save dialog
// for a download and through the desktop's programs for an open. What they read is fixed when
// they start, from FileList's entries; they never go back to the window for a row.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/shell.h"
#include "fsac/file_list.h"
#include "phone/pst_library.h"
#include "transfer/job_window.h"

namespace velmora {

// A phone file as a job reads it.
struct FileToRead {
    std::string phonePath;  // what a request names
    std::string localName;  // the name it gets here, unless the user gives another
    std::int32_t size = 0;
};

// An entry's file: its full path, or on a phone without folders the bare name (the entry
// carries the single volume "FLASH/" in front); the local name is what follows the last "/".
FileToRead FileToReadOf(const FileEntry& entry, bool fileSystemFlag);

// The save dialog names the first file; every file goes into the folder chosen there, a name
// that exists or that this job gave already asked about first.
struct DownloadJob {
    std::shared_ptr<JobWindowProxy> window;
    PstLibrary* library = nullptr;
    Clock* clock = nullptr;
    std::vector<FileToRead> files;  // at least one; sizes fit 32 bits together
};
void RunDownload(DownloadJob& job);

// One file into the private open folder, then the default program on it, or the chooser when
// that did not start.
struct OpenJob {
    std::shared_ptr<JobWindowProxy> window;
    PstLibrary* library = nullptr;
    Clock* clock = nullptr;
    Shell* shell = nullptr;  // the desktop's, used on the window's thread: through window->Call
    std::string openFolder;  // ends with "/"
    FileToRead file;
};
void RunOpen(OpenJob& job);

}  // namespace velmora
