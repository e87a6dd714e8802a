#include "fsac/file_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace velmora {
namespace {

IconHandle Icon(const char* name) {
    auto icon = std::make_shared<IconImage>();
    icon->name = name;
    return icon;
}

FileEntry Entry(std::string path) {
    return MakeFileEntry(path, path, 0x20, 7, 100);
}

TEST(TypeTextTest, TakesWhatFollowsTheLastDotAnywhere) {
    EXPECT_EQ(TypeText("/a/mobile/picture/x.jpg"), "jpg");
    EXPECT_EQ(TypeText("/a/my.dir/readme"), "dir/readme");
    EXPECT_EQ(TypeText("/a/photo.JPG"), "JPG");
    EXPECT_EQ(TypeText("/a/readme"), "");
    EXPECT_EQ(TypeText("/a/trailing."), "");
    EXPECT_EQ(TypeText("FLASH/a.b.c"), "c");
}

TEST(FileEntryTest, PathNeverExceedsItsField) {
    const std::string longPath = "/a/" + std::string(400, 'x') + ".txt";
    const auto entry = MakeFileEntry(longPath, longPath, 0, 0, 0);
    EXPECT_EQ(entry.path.size(), kMaxPhonePathChars);
    EXPECT_EQ(entry.type, "txt");  // taken from the whole reported name

    FileList list;
    list.Allocate(1);
    FileEntry raw;
    raw.path = longPath;
    ASSERT_TRUE(list.SetEntry(0, raw));
    EXPECT_EQ(list.Entry(0)->path.size(), kMaxPhonePathChars);
    ASSERT_TRUE(list.Update(0, [&](FileEntry& e) { e.path = longPath; }));
    EXPECT_EQ(list.Entry(0)->path.size(), kMaxPhonePathChars);
}

TEST(FileListTest, AllocateIsZeroFilledAndSetsTheCount) {
    FileList list;
    EXPECT_FALSE(list.HasStorage());
    EXPECT_EQ(list.Count(), 0);
    list.Allocate(3);
    EXPECT_TRUE(list.HasStorage());
    EXPECT_EQ(list.Count(), 3);
    const auto entry = list.Entry(2);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->path, "");
    EXPECT_EQ(entry->size, 0);
    EXPECT_FALSE(entry->smallIcon);

    list.Allocate(0);  // an empty search still has storage
    EXPECT_TRUE(list.HasStorage());
    EXPECT_EQ(list.StorageSize(), 0);
}

TEST(FileListTest, ClearDropsIconsAndStorageButKeepsTheCount) {
    FileList list;
    list.Allocate(2);
    auto entry = Entry("/a/x.jpg");
    entry.smallIcon = Icon("small");
    std::weak_ptr<const IconImage> watch = entry.smallIcon;
    ASSERT_TRUE(list.SetEntry(0, std::move(entry)));
    entry = {};
    ASSERT_FALSE(watch.expired());

    list.Clear();
    EXPECT_TRUE(watch.expired());
    EXPECT_FALSE(list.HasStorage());
    EXPECT_EQ(list.Count(), 2);
    EXPECT_FALSE(list.Entry(0));
}

TEST(FileListTest, AccessBeyondTheStorageIsSafeWhateverTheCountSays) {
    FileList list;
    EXPECT_FALSE(list.Entry(0));  // no storage at all
    list.Allocate(2);
    list.SetCount(40);  // announced by the search, never read
    EXPECT_FALSE(list.Entry(2));
    EXPECT_FALSE(list.Entry(-1));
    EXPECT_FALSE(list.SetEntry(39, Entry("/a/x")));
    EXPECT_FALSE(list.Update(5, [](FileEntry&) { FAIL(); }));
    EXPECT_EQ(list.Snapshot(list.Count()).size(), 2u);
    EXPECT_TRUE(list.Snapshot(-3).empty());
}

TEST(FileListTest, GrowKeepsEntriesAtTheirIndexes) {
    FileList list;
    list.Allocate(2);
    auto first = Entry("/a/1.txt");
    first.largeIcon = Icon("large");
    list.SetEntry(0, first);
    list.SetEntry(1, Entry("/a/2.txt"));

    list.Grow(3);
    EXPECT_EQ(list.StorageSize(), 5);
    EXPECT_EQ(list.Count(), 2);  // raised by the caller as it appends
    EXPECT_EQ(list.Entry(0)->path, "/a/1.txt");
    EXPECT_EQ(list.Entry(0)->largeIcon, first.largeIcon);
    EXPECT_EQ(list.Entry(1)->attributes, 0x20);
    EXPECT_EQ(list.Entry(1)->secondValue, 7);
    EXPECT_EQ(list.Entry(4)->path, "");

    FileList empty;  // an upload before any listing
    empty.Grow(1);
    EXPECT_TRUE(empty.HasStorage());
    EXPECT_EQ(empty.StorageSize(), 1);
}

TEST(FileListTest, FindIsExactAndFirst) {
    FileList list;
    list.Allocate(4);
    list.SetEntry(0, Entry("/a/A.txt"));
    list.SetEntry(1, Entry("/a/a.txt"));
    list.SetEntry(2, Entry("/a/a.txt"));
    list.SetEntry(3, Entry("/a/a.txt2"));
    EXPECT_EQ(list.Find("/a/a.txt"), 1);
    EXPECT_EQ(list.Find("/a/A.txt"), 0);
    EXPECT_EQ(list.Find("/a/a.tx"), -1);
    EXPECT_EQ(list.Find("/a/b.txt"), -1);
}

TEST(FileListTest, RemoveDropsEveryEqualEntryAndKeepsTheOrder) {
    FileList list;
    list.Allocate(4);
    list.SetEntry(0, Entry("/a/1"));
    auto doomed = Entry("/a/x");
    doomed.smallIcon = Icon("x");
    std::weak_ptr<const IconImage> watch = doomed.smallIcon;
    list.SetEntry(1, doomed);
    list.SetEntry(2, Entry("/a/2"));
    list.SetEntry(3, doomed);
    doomed = {};

    EXPECT_EQ(list.Remove("/a/x"), 2);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(list.StorageSize(), 2);
    EXPECT_EQ(list.Count(), 4);  // the caller lowers it
    EXPECT_EQ(list.Entry(0)->path, "/a/1");
    EXPECT_EQ(list.Entry(1)->path, "/a/2");

    EXPECT_EQ(list.Remove("/a/missing"), 0);
    EXPECT_EQ(list.StorageSize(), 2);
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
            // Entries inside the count are always complete.
            EXPECT_EQ(entries[i].path, "/a/f" + std::to_string(i));
        }
        seen = std::max(seen, entries.size());
        list.Find("/a/f3");
    }
    reader.join();
}

}  // namespace
}  // namespace velmora
