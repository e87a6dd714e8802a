#include "jobs/download_job.h"

#include <gtest/gtest.h>

#include "transfer/local_file.h"

namespace velmora {
namespace {

TEST(DownloadFiles, NamesAndPathsComeFromTheEntry) {
    for (const char* bad : {"", ".", "..", "a/b", "a\tb", "\x7f"})
        EXPECT_FALSE(IsSafeLocalName(bad));
    for (const char* good : {"x.jpg", "...", ".hidden", "пример.txt"})
        EXPECT_TRUE(IsSafeLocalName(good));

    struct PathCase {
        const char* entry;
        bool flag;
        const char* phone;
        const char* local;
    };
    const PathCase paths[] = {
        {"/a/mobile/x.jpg", false, "/a/mobile/x.jpg", "x.jpg"},
        {"x.jpg", false, "x.jpg", "x.jpg"},
        {"FLASH/x.jpg", true, "x.jpg", "x.jpg"},
        // Only the single volume goes, and only with the flag.
        {"FLASH/x.jpg", false, "FLASH/x.jpg", "x.jpg"},
        {"/a/FLASH/x.jpg", true, "/a/FLASH/x.jpg", "x.jpg"},
        {"", false, "", ""},
    };
    for (const auto& c : paths) {
        FileEntry entry;
        entry.path = c.entry;
        entry.size = -5;
        const FileToRead got = FileToReadOf(entry, c.flag);
        EXPECT_EQ(got.phonePath, c.phone) << c.entry;
        EXPECT_EQ(got.localName, c.local) << c.entry;
        EXPECT_EQ(got.size, -5);
    }
}

}  // namespace
}  // namespace velmora
