#include "ui/file_list_ctrl.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/lang_string.h"
#include "ui/text_compare.h"

namespace velmora {
namespace {

FileEntry Entry(std::string path, std::uint16_t attributes, std::int32_t size) {
    auto entry = MakeFileEntry(path, path, attributes, 0, size);
    auto small = std::make_shared<IconImage>();
    small->name = "small:" + entry.type;
    entry.smallIcon = small;
    auto large = std::make_shared<IconImage>();
    large->name = "large:" + entry.type;
    entry.largeIcon = large;
    return entry;
}

std::vector<std::string> Column(const FileListCtrl& list, int column) {
    std::vector<std::string> cells;
    for (const auto& row : list.Rows()) cells.push_back(row.cells[column]);
    return cells;
}

using Cells = std::vector<std::string>;

TEST(FileListColumnsTest, HeadingsWidthsAndAlignment) {
    const auto columns = FileListColumns();
    ASSERT_EQ(columns.size(), 5u);
    EXPECT_EQ(columns[0].heading, "File");
    EXPECT_EQ(columns[1].heading, "Attributes");
    EXPECT_EQ(columns[2].heading, "Size");
    EXPECT_EQ(columns[3].heading, "Type");
    EXPECT_EQ(columns[4].heading, "");
    EXPECT_EQ(columns[0].initialWidth, 200);
    EXPECT_EQ(columns[1].initialWidth, 80);
    EXPECT_EQ(columns[2].layoutWidth, 70);
    EXPECT_EQ(columns[4].initialWidth, 0);
    EXPECT_EQ(columns[3].align, ColumnAlign::Centre);
    EXPECT_EQ(columns[2].align, ColumnAlign::Left);

    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(FileListColumns()[2].heading, "Размер");
    SetLanguageIndex(kLanguageEnglish);
}

TEST(ViewModeTest, BothMenusMapToTheSameViewAndCheckTogether) {
    const std::pair<int, int> pairs[] = {
        {32801, 32802}, {32799, 32788}, {32798, 32790}, {32797, 59410}};
    for (int view = 0; view < 4; ++view) {
        const auto [mainId, contextId] = pairs[view];
        EXPECT_EQ(ViewForCommand(mainId), view);
        EXPECT_EQ(ViewForCommand(contextId), view);
        const auto checks = CheckedViewItems(view);
        ASSERT_TRUE(checks);
        EXPECT_EQ(checks->mainMenuId, mainId);
        EXPECT_EQ(checks->contextMenuId, contextId);
    }
    EXPECT_FALSE(ViewForCommand(32781));
    EXPECT_FALSE(CheckedViewItems(4));
    EXPECT_FALSE(CheckedViewItems(-1));
}

TEST(ViewModeTest, SetViewIgnoresUnknownValuesAndRepeats) {
    FileListCtrl list;
    EXPECT_EQ(list.View(), kViewReport);
    EXPECT_FALSE(list.SetView(kViewReport));
    EXPECT_TRUE(list.SetView(kViewList));
    EXPECT_FALSE(list.SetView(7));
    EXPECT_EQ(list.View(), kViewList);
}

TEST(FileListFillTest, FlatFillShowsEveryEntryByItsPath) {
    FileListCtrl list;
    const std::vector<FileEntry> entries = {Entry("/a/x.jpg", 0x21, 512),
                                            Entry("/b/readme", 65535, -1)};
    list.FillFlat(entries);
    EXPECT_EQ(list.DisplayMode(), kDisplayFlat);
    ASSERT_EQ(list.RowCount(), 2);
    const auto& row = list.Rows()[1];
    EXPECT_EQ(row.cells[0], "/b/readme");
    EXPECT_EQ(row.cells[1], "65535");  // the attribute word unsigned
    EXPECT_EQ(row.cells[2], "-1");
    EXPECT_EQ(row.cells[3], "");
    EXPECT_EQ(row.cells[4], "");
    EXPECT_EQ(row.itemData, 1);
    EXPECT_EQ(row.image, 1);
    ASSERT_EQ(list.Images().size(), 2u);
    EXPECT_EQ(list.Images()[0].largeIcon, entries[0].largeIcon);
    EXPECT_EQ(list.Rows()[0].cells[3], "jpg");
}

TEST(FileListFillTest, FlatFillFromTheListStopsAtItsStorage) {
    FileList files;
    files.Allocate(2);
    files.SetEntry(0, Entry("/a/1", 0, 1));
    files.SetCount(9);  // more than was ever stored
    FileListCtrl list;
    list.FillFlat(files);
    EXPECT_EQ(list.RowCount(), 2);
}

TEST(FileListFillTest, FolderMatchTakesTheFilesDirectlyInside) {
    const std::vector<FileEntry> entries = {
        Entry("/a/mobile/f.txt", 0, 1),          Entry("/a/mobile/sub/g.txt", 0, 2),
        Entry("/a/other/h.txt", 0, 3),           Entry("/b/a/mobile/deep.mp3", 0, 4),
        Entry("/a/mobile/sub/a/mobile/x", 0, 5),
    };
    const auto matches = MatchFolder(entries, "/a/mobile/");
    ASSERT_EQ(matches.size(), 2u);
    EXPECT_EQ(matches[0].entryIndex, 0);
    EXPECT_EQ(matches[0].name, "f.txt");
    EXPECT_EQ(matches[1].entryIndex, 3);  // the first occurrence counts, wherever it is
    EXPECT_EQ(matches[1].name, "deep.mp3");
    EXPECT_TRUE(MatchFolder(entries, "").empty());

    FileListCtrl list;
    list.SetDisplayMode(kDisplayFlat);
    list.FillFolder(matches);
    EXPECT_EQ(Column(list, 0), (Cells{"f.txt", "deep.mp3"}));
    EXPECT_EQ(Column(list, 2), (Cells{"1", "4"}));
    EXPECT_EQ(Column(list, 3), (Cells{"txt", "mp3"}));
    EXPECT_EQ(Column(list, 4), (Cells{"0", "3"}));
    EXPECT_EQ(list.Rows()[1].itemData, 1);
    EXPECT_EQ(list.Images()[1].smallIcon, entries[3].smallIcon);
    EXPECT_EQ(list.DisplayMode(), kDisplayFlat);  // the tree selection sets it
}

TEST(FileListFillTest, TrimKeepsOneOfTwoTrailingSlashes) {
    EXPECT_EQ(TrimFolderPath("/a/mobile//"), "/a/mobile/");
    EXPECT_EQ(TrimFolderPath("/a/mobile/"), "/a/mobile/");
    EXPECT_EQ(TrimFolderPath("FLASH/"), "FLASH/");
    EXPECT_EQ(TrimFolderPath("/"), "/");
}

TEST(FileListFillTest, RowUpdateTouchesOnlyAnExistingRow) {
    FileListCtrl list;
    EXPECT_FALSE(list.UpdateRow(0, Entry("/a/x", 1, 2)));
    list.FillFolder(MatchFolder(std::vector{Entry("/a/old", 0, 0)}, "/a/"));
    ASSERT_TRUE(list.UpdateRow(0, Entry("/a/new.txt", 33, 4096)));
    EXPECT_EQ(list.Rows()[0].cells[0], "/a/new.txt");
    EXPECT_EQ(list.Rows()[0].cells[1], "33");
    EXPECT_EQ(list.Rows()[0].cells[2], "4096");
    EXPECT_EQ(list.Rows()[0].cells[4], "0");
    EXPECT_FALSE(list.UpdateRow(1, Entry("/a/y", 0, 0)));
    EXPECT_FALSE(list.UpdateRow(-1, Entry("/a/y", 0, 0)));
}

class FileListSortTest : public ::testing::Test {
  protected:
    void Fill(const std::vector<FileEntry>& entries) { list.FillFlat(entries); }
    FileListCtrl list;
};

TEST_F(FileListSortTest, SizesSortAsNumbersAttributesAsText) {
    Fill({Entry("/a/ten", 10, 10), Entry("/a/nine", 9, 9), Entry("/a/hundred", 100, 100)});
    list.OnSortCommand(kCmdSortBySize);
    EXPECT_EQ(Column(list, 2), (Cells{"9", "10", "100"}));
    EXPECT_EQ(list.SortColumn(), kColumnSize);

    list.OnHeadingClick(kColumnAttributes);
    EXPECT_EQ(Column(list, 1), (Cells{"10", "100", "9"}));
    EXPECT_EQ(list.SortColumn(), kColumnAttributes);

    list.OnHeadingClick(kColumnSize);  // the same as Sort by Size
    EXPECT_EQ(Column(list, 2), (Cells{"9", "10", "100"}));
}

TEST_F(FileListSortTest, HugeSizesAreNegativeAndSortBelowZero) {
    const auto huge = static_cast<std::int32_t>(std::uint32_t{2147483648u});
    Fill({Entry("/a/zero", 0, 0), Entry("/a/huge", 0, huge), Entry("/a/one", 0, 1)});
    EXPECT_EQ(list.Rows()[1].cells[2], "-2147483648");
    list.OnSortCommand(kCmdSortBySize);
    EXPECT_EQ(Column(list, 0), (Cells{"/a/huge", "/a/zero", "/a/one"}));
}

TEST_F(FileListSortTest, NamesIgnoreCaseAndEqualNamesKeepTheirOrder) {
    list.FillFolder(MatchFolder(
        std::vector{Entry("/a/b.txt", 0, 0), Entry("/a/A.txt", 0, 0), Entry("/a/a.txt", 0, 0)},
        "/a/"));
    list.SetRowSelected(0, true);  // b.txt
    list.OnSortCommand(kCmdSortByName);
    EXPECT_EQ(Column(list, 0), (Cells{"A.txt", "a.txt", "b.txt"}));
    // Rows move whole: item data, entry index, image and selection go with them.
    const auto& last = list.Rows()[2];
    EXPECT_EQ(last.itemData, 0);
    EXPECT_EQ(last.cells[4], "0");
    EXPECT_EQ(last.image, 0);
    EXPECT_EQ(list.SelectedRows(), std::vector<int>{2});
    EXPECT_EQ(list.FindItemData(0), 2);
}

TEST_F(FileListSortTest, TypeSortAndUnknownCommands) {
    Fill({Entry("/a/x.mp3", 0, 0), Entry("/a/y.JPG", 0, 0), Entry("/a/z.amr", 0, 0)});
    EXPECT_TRUE(list.OnSortCommand(kCmdSortByType));
    EXPECT_EQ(Column(list, 3), (Cells{"amr", "JPG", "mp3"}));
    EXPECT_FALSE(list.OnSortCommand(32784));
    list.OnHeadingClick(9);  // no such column: nothing moves
    EXPECT_EQ(list.SortColumn(), kColumnType);
}

TEST(TextCompareTest, LowerCaseCoversRussianLettersInUtf8) {
    EXPECT_EQ(LowerText("ЁЖИК Ясно"), "ёжик ясно");
    EXPECT_EQ(CompareText("Яблоко", "яблоко"), 0);
    // By raw bytes "В" comes before "б"; lower-cased, б precedes в.
    EXPECT_LT(CompareText("б", "В"), 0);
    // An 8-bit name that is not UTF-8 keeps its bytes, apart from ASCII letters.
    EXPECT_EQ(LowerText("\xC0\xDFX"), "\xC0\xDFx");
    EXPECT_LT(CompareText("a", "\xE0"), 0);  // unsigned bytes: 0xE0 sorts after ASCII
}

TEST(TextCompareTest, NumbersReadLikeTheCLibrary) {
    EXPECT_EQ(CellNumber("  -12abc"), -12);
    EXPECT_EQ(CellNumber("+7"), 7);
    EXPECT_EQ(CellNumber("abc"), 0);
    EXPECT_EQ(CellNumber(""), 0);
    EXPECT_EQ(CellNumber("99999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(CompareNumber("-5", "3"), -1);
    EXPECT_EQ(CompareNumber("10", "9"), 1);
    EXPECT_EQ(CompareNumber("x", "0"), 0);
}

}  // namespace
}  // namespace velmora
