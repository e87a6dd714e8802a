#include "transfer/upload_journal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "support/temp_folder.h"

namespace velmora {
namespace {

TEST(UploadJournal, EntriesSurviveARestartUntilTheUploadEnds) {
    test::TempFolder temp;
    const std::string folder = (temp.path() / "state" / "velmora").string();
    // Windows-1251 bytes and the characters the line format itself uses.
    const std::string odd = "/a/\xCF\xF0\xE8\t\n\\x\r.bin";
    std::uint64_t first = 0;
    {
        UploadJournal journal(folder);
        EXPECT_TRUE(journal.Pending(7).empty());
        first = journal.Begin(7, odd, 5000).value();
        ASSERT_TRUE(journal.Begin(8, "FLASH/y", 10));
    }
    struct stat info {};
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    UploadJournal restarted(folder);
    EXPECT_EQ(restarted.Pending(7), (std::vector<UploadJournalEntry>{{7, odd, 5000, first}}));
    restarted.End(first);
    EXPECT_TRUE(UploadJournal(folder).Pending(7).empty());
    EXPECT_EQ(UploadJournal(folder).Pending(8).size(), 1u);
}

TEST(UploadJournal, DamagedLinesAreSkipped) {
    test::TempFolder temp;
    UploadJournal journal(temp.path().string());
    std::ofstream(journal.FilePath(), std::ios::binary)
        << "4\t7\t100\t/a/good\n"
        << "garbage\n5\t7\t-1\t/a/neg\n6\t70000\t1\t/a/dev\n7\t7\t1\t/a/bad\\q\n8\t7\t1\t\\x4\n"
        << "\n9\t7\t12\t/b/last";
    const auto pending = journal.Pending(7);
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(pending[0].phonePath, "/a/good");
    EXPECT_EQ(pending[1], (UploadJournalEntry{7, "/b/last", 12, 9}));
    // New ids never take one a leftover entry has.
    EXPECT_EQ(journal.Begin(7, "/a/new", 1), 10u);
}

}  // namespace
}  // namespace velmora
