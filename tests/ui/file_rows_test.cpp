#include "ui/file_rows.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>

#include "base/lang_string.h"
#include "ui/text_compare.h"

namespace velmora {
namespace {

using Cells = std::vector<std::string>;

FileEntry Entry(std::string path, std::uint16_t attributes = 0, std::int32_t size = 0) {
    auto entry = MakeFileEntry(path, path, attributes, 0, size);
    entry.smallIcon = std::make_shared<IconImage>();
    entry.largeIcon = std::make_shared<IconImage>();
    return entry;
}

Cells Column(const FileRows& list, int column) {
    Cells cells;
    for (const auto& row : list.Rows()) cells.push_back(row.cells[column]);
    return cells;
}

TEST(FileListViewTest, BothMenusMapToTheSameViewAndCheckTogether) {
    const std::pair<int, int> ids[] = {
        {32801, 32802}, {32799, 32788}, {32798, 32790}, {32797, 59410}};
    for (int view = 0; view < 4; ++view) {
        EXPECT_EQ(ViewForCommand(ids[view].first), view);
        EXPECT_EQ(ViewForCommand(ids[view].second), view);
        const auto checks = CheckedViewItems(view);
        ASSERT_TRUE(checks);
        EXPECT_EQ(checks->mainMenuId, ids[view].first);
        EXPECT_EQ(checks->contextMenuId, ids[view].second);
    }
    EXPECT_FALSE(ViewForCommand(32781));
    EXPECT_FALSE(CheckedViewItems(4));

    FileRows list;
    EXPECT_EQ(list.View(), kViewReport);
    EXPECT_FALSE(list.SetView(kViewReport));
    EXPECT_TRUE(list.SetView(kViewList));
    EXPECT_FALSE(list.SetView(7));  // a stored value out of range is ignored
    EXPECT_EQ(list.View(), kViewList);
}

TEST(FileListFillTest, FlatFillShowsEveryEntryByItsPath) {
    const std::vector<FileEntry> entries = {Entry("/a/x.jpg", 0x21, 512),
                                            Entry("/b/readme", 65535, -1)};
    FileRows list;
    list.FillFlat(entries);
    EXPECT_EQ(list.DisplayMode(), kDisplayFlat);
    EXPECT_EQ(Column(list, 0), (Cells{"/a/x.jpg", "/b/readme"}));
    EXPECT_EQ(Column(list, 1), (Cells{"33", "65535"}));
    EXPECT_EQ(Column(list, 2), (Cells{"512", "-1"}));
    EXPECT_EQ(Column(list, 3), (Cells{"jpg", ""}));
    EXPECT_EQ(Column(list, 4), (Cells{"", ""}));
    EXPECT_EQ(list.Rows()[1].itemData, 1);
    EXPECT_EQ(list.Images()[list.Rows()[1].image].largeIcon, entries[1].largeIcon);

    FileList files;
    files.Allocate(2);
    files.SetCount(9);  // more than was ever stored
    list.FillFlat(files);
    EXPECT_EQ(list.RowCount(), 2);
}

TEST(FileListFillTest, FolderFillTakesTheFilesDirectlyInside) {
    const std::vector<FileEntry> entries = {
        Entry("/a/mobile/f.txt", 0, 1), Entry("/a/mobile/sub/g.txt", 0, 2),
        Entry("/a/other/h.txt", 0, 3), Entry("/b/a/mobile/deep.mp3", 0, 4)};
    FileRows list;
    list.SetDisplayMode(kDisplayFlat);
    list.FillFolder(MatchFolder(entries, "/a/mobile/"));
    // The first occurrence of the folder's path counts, wherever it is.
    EXPECT_EQ(Column(list, 0), (Cells{"f.txt", "deep.mp3"}));
    EXPECT_EQ(Column(list, 2), (Cells{"1", "4"}));
    EXPECT_EQ(Column(list, 4), (Cells{"0", "3"}));
    EXPECT_EQ(list.Rows()[1].itemData, 1);
    EXPECT_EQ(list.Images()[1].smallIcon, entries[3].smallIcon);
    EXPECT_EQ(list.DisplayMode(), kDisplayFlat);  // the tree selection sets it
    EXPECT_TRUE(MatchFolder(entries, "").empty());

    EXPECT_EQ(TrimFolderPath("/a/mobile//"), "/a/mobile/");
    EXPECT_EQ(TrimFolderPath("FLASH/"), "FLASH/");
}

TEST(FileListFillTest, RowUpdateTouchesOnlyAnExistingRow) {
    FileRows list;
    EXPECT_FALSE(list.UpdateRow(0, Entry("/a/x")));
    list.FillFolder(MatchFolder(std::vector{Entry("/a/old")}, "/a/"));
    ASSERT_TRUE(list.UpdateRow(0, Entry("/a/new.txt", 33, 4096)));
    EXPECT_EQ(list.Rows()[0].cells,
              (std::array<std::string, 5>{"/a/new.txt", "33", "4096", "", "0"}));
    EXPECT_FALSE(list.UpdateRow(1, Entry("/a/y")));
}

TEST(FileListSortTest, SizesSortAsNumbersAttributesAsText) {
    FileRows list;
    list.FillFlat(std::vector{Entry("/a/ten", 10, 10), Entry("/a/nine", 9, 9),
                              Entry("/a/hundred", 100, 100)});
    list.OnSortCommand(kCmdSortSize);
    EXPECT_EQ(Column(list, 2), (Cells{"9", "10", "100"}));
    list.OnHeadingClick(kColumnAttributes);
    EXPECT_EQ(Column(list, 1), (Cells{"10", "100", "9"}));
    EXPECT_EQ(list.SortColumn(), kColumnAttributes);
    list.OnHeadingClick(kColumnSize);  // the same as Sort by Size
    EXPECT_EQ(Column(list, 2), (Cells{"9", "10", "100"}));
    list.OnHeadingClick(kColumnSize);  // again: the other way, still as numbers
    EXPECT_EQ(Column(list, 2), (Cells{"100", "10", "9"}));
}

TEST(FileListSortTest, HugeSizesAreNegativeAndSortBelowZero) {
    const auto huge = static_cast<std::int32_t>(std::uint32_t{2147483648u});
    FileRows list;
    list.FillFlat(std::vector{Entry("/a/zero", 0, 0), Entry("/a/huge", 0, huge)});
    EXPECT_EQ(list.Rows()[1].cells[2], "-2147483648");
    list.OnSortCommand(kCmdSortSize);
    EXPECT_EQ(Column(list, 0), (Cells{"/a/huge", "/a/zero"}));
}

TEST(FileListSortTest, NamesIgnoreCaseAndRowsMoveWhole) {
    FileRows list;
    list.FillFolder(
        MatchFolder(std::vector{Entry("/a/b.txt"), Entry("/a/A.txt"), Entry("/a/a.txt")}, "/a/"));
    list.SetRowSelected(0, true);  // b.txt
    list.OnSortCommand(kCmdSortName);
    EXPECT_EQ(Column(list, 0), (Cells{"A.txt", "a.txt", "b.txt"}));
    const auto& last = list.Rows()[2];
    EXPECT_EQ(last.itemData, 0);
    EXPECT_EQ(last.cells[4], "0");
    EXPECT_EQ(last.image, 0);
    EXPECT_EQ(list.SelectedRows(), std::vector<int>{2});
    EXPECT_FALSE(list.OnSortCommand(32784));
}

TEST(TextCompareTest, LowerCaseCoversRussianLettersInUtf8) {
    EXPECT_EQ(LowerText("ЁЖИК Ясно"), "ёжик ясно");
    // By raw bytes "В" comes before "б"; lower-cased, б precedes в.
    EXPECT_LT(CompareText("б", "В"), 0);
    // An 8-bit name that is not UTF-8 keeps its bytes, apart from ASCII letters, and compares
    // unsigned.
    EXPECT_EQ(LowerText("\xC0\xDFX"), "\xC0\xDFx");
    EXPECT_LT(CompareText("a", "\xE0"), 0);
}

TEST(TextCompareTest, NumbersReadLikeTheCLibrary) {
    EXPECT_EQ(CellNumber("  -12abc"), -12);
    EXPECT_EQ(CellNumber("+7"), 7);
    EXPECT_EQ(CellNumber("abc"), 0);
    EXPECT_EQ(CellNumber("99999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(CompareNumber("-5", "3"), -1);
    EXPECT_EQ(CompareNumber("x", "0"), 0);
}

TEST(FileListColumnsTest, HeadingsFollowTheLanguage) {
    EXPECT_EQ(FileListColumns()[0].heading, "File");
    EXPECT_EQ(FileListColumns()[4].heading, "");
    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(FileListColumns()[2].heading, "Размер");
    SetLanguageIndex(kLanguageEnglish);
}

// The window's models are the window's thread's: a worker that reaches one directly, rather
// than through the job channel, stops a debug build at once.
TEST(WindowModelsDeathTest, AWorkerTouchingTheRowsStopsADebugBuild) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    FileRows list;
    list.FillFlat(std::vector<FileEntry>{Entry("/a/x")});
    EXPECT_DEBUG_DEATH(std::thread([&] { list.SetRowSelected(0, true); }).join(), "off its thread");
}

}  // namespace
}  // namespace velmora
