#include "fsac/file_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace velmora {
namespace {

FileEntry Entry(std::string path) {
    return MakeFileEntry(path, path, 0x20, 7, 100);
}

IconHandle Icon() {
    return std::make_shared<IconImage>();
}

TEST(FileEntryTest, TypeTextAndPathLength) {
    EXPECT_EQ(TypeText("/a/mobile/picture/x.jpg"), "jpg");
    EXPECT_EQ(TypeText("/a/my.dir/readme"), "dir/readme");
    EXPECT_EQ(TypeText("/a/readme"), "");
    EXPECT_EQ(TypeText("/a/trailing."), "");

    const std::string longPath = "/a/" + std::string(400, 'x') + ".txt";
    EXPECT_EQ(MakeFileEntry(longPath, longPath, 0, 0, 0).path.size(), kMaxPhonePathChars);
    FileList list;
    list.Allocate(1);
    FileEntry raw;
    raw.path = longPath;
    ASSERT_TRUE(list.SetEntry(0, raw));
    EXPECT_EQ(list.Entry(0)->path.size(), kMaxPhonePathChars);
}

TEST(FileEntryTest, FromASearchRecord) {
    const FsacEntryRecord record{"ring.mid", 0x21, 9, 0x80000000u};
    const auto flash = EntryFromRecord(record, true);
    EXPECT_EQ(flash.path, "FLASH/ring.mid");
    EXPECT_EQ(flash.type, "mid");
    EXPECT_EQ(flash.secondValue, 9);
    EXPECT_LT(flash.size, 0);
    EXPECT_EQ(EntryFromRecord({"/a/my.dir/readme", 0, 0, 5}, false).type, "dir/readme");
}

// Records carry windows-1251; entries hold what it says, cut by characters.
TEST(FileEntryTest, PhoneTextIsDecodedAndCutByCharacters) {
    const auto entry =
        EntryFromRecord({"/a/\xD4\xEE\xF2\xEE/\xCB\xE5\xF2\xEE.\xE6\xEF\xE3", 0, 0, 1}, false);
    EXPECT_EQ(entry.path, "/a/Фото/Лето.жпг");
    EXPECT_EQ(entry.type, "жпг");
    EXPECT_EQ(EntryFromRecord({"\xB9\x98.txt", 0, 0, 1}, true).path, "FLASH/№\xC2\x98.txt");

    std::string cyrillic = "/a/";
    while (cyrillic.size() < 3 + 2 * 300) cyrillic += "ж";
    const std::string kept = MakeFileEntry(cyrillic, cyrillic, 0, 0, 0).path;
    EXPECT_EQ(kept.size(), 3 + 2 * (kMaxPhonePathChars - 3)) << "259 characters, none cut apart";
    EXPECT_EQ(FitPhonePath("/a/€" + std::string(300, 'x')).substr(0, 6), "/a/€");
}

TEST(FileListTest, ClearDropsIconsAndStorageButKeepsTheCount) {
    FileList list;
    list.Allocate(2);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Entry(1)->path, "");  // zero-filled until read
    auto entry = Entry("/a/x.jpg");
    entry.smallIcon = Icon();
    std::weak_ptr<const IconImage> watch = entry.smallIcon;
    list.SetEntry(0, std::move(entry));
    entry = {};

    list.Clear();
    EXPECT_TRUE(watch.expired());
    EXPECT_FALSE(list.HasStorage());
    EXPECT_EQ(list.Count(), 2);
    EXPECT_FALSE(list.Entry(0));
}

TEST(FileListTest, AccessBeyondTheStorageIsSafeWhateverTheCountSays) {
    FileList list;
    EXPECT_FALSE(list.Entry(0));
    list.Allocate(2);
    list.SetCount(40);  // announced by the search, never read
    EXPECT_FALSE(list.Entry(2));
    EXPECT_FALSE(list.Entry(-1));
    EXPECT_FALSE(list.SetEntry(39, Entry("/a/x")));
    EXPECT_FALSE(list.Update(5, [](FileEntry&) { FAIL(); }));
    EXPECT_EQ(list.Snapshot(list.Count()).size(), 2u);
}

TEST(FileListTest, GrowKeepsEntriesAtTheirIndexes) {
    FileList list;
    list.Allocate(2);
    auto first = Entry("/a/1.txt");
    first.largeIcon = Icon();
    list.SetEntry(0, first);
    list.SetEntry(1, Entry("/a/2.txt"));
    list.Grow(3);
    EXPECT_EQ(list.StorageSize(), 5);
    EXPECT_EQ(list.Count(), 2);  // raised by the caller as it appends
    EXPECT_EQ(list.Entry(0)->largeIcon, first.largeIcon);
    EXPECT_EQ(list.Entry(1)->secondValue, 7);
    EXPECT_EQ(list.Entry(4)->path, "");

    FileList empty;  // an upload before any listing
    empty.Grow(1);
    EXPECT_TRUE(empty.HasStorage());
    EXPECT_EQ(empty.StorageSize(), 1);
}

TEST(FileListTest, FindAndRemoveMatchWholePathsExactly) {
    FileList list;
    list.Allocate(5);
    auto doomed = Entry("/a/a.txt");
    doomed.smallIcon = Icon();
    std::weak_ptr<const IconImage> watch = doomed.smallIcon;
    list.SetEntry(0, Entry("/a/A.txt"));
    list.SetEntry(1, doomed);
    list.SetEntry(2, Entry("/a/a.txt2"));
    list.SetEntry(3, doomed);
    list.SetEntry(4, Entry("/a/b"));
    doomed = {};
    EXPECT_EQ(list.Find("/a/a.txt"), 1);
    EXPECT_EQ(list.Find("/a/a.tx"), -1);

    EXPECT_EQ(list.Remove("/a/a.txt"), 2);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(list.Count(), 5);  // the caller lowers it
    ASSERT_EQ(list.StorageSize(), 3);
    EXPECT_EQ(list.Entry(1)->path, "/a/a.txt2");
    EXPECT_EQ(list.Entry(2)->path, "/a/b");
    EXPECT_EQ(list.Remove("/a/missing"), 0);
    EXPECT_EQ(list.StorageSize(), 3);
}

TEST(FileListTest, AReaderAndTheWindowMayUseItAtOnce) {
    FileList list;
    list.Allocate(500);
    list.SetCount(0);  // raised as the entries arrive
    std::thread reader([&] {
        for (std::int32_t i = 0; i < 500; ++i) {
            list.SetEntry(i, Entry("/a/f" + std::to_string(i)));
            list.SetCount(i + 1);
        }
    });
    std::size_t seen = 0;
    while (seen < 500) {
        const auto entries = list.Snapshot(list.Count());
        for (std::size_t i = seen; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].path, "/a/f" + std::to_string(i));  // complete within the count
        }
        seen = std::max(seen, entries.size());
    }
    reader.join();
}

}  // namespace
}  // namespace velmora
