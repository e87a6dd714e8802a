// Which chosen files an upload takes, the phone path each gets, and the texts that say why
// the others stay behind.
#include "transfer/local_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "base/lang_string.h"
#include "support/temp_folder.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class LocalFilesTest : public ::testing::Test {
  protected:
    void SetUp() override { SetLanguageIndex(kLanguageEnglish); }
    std::string Make(const std::string& name, std::uintmax_t size) {
        const fs::path path = folder.path() / name;
        std::ofstream(path, std::ios::binary).put('x');
        fs::resize_file(path, size);  // sparse: large sizes cost nothing
        return path.string();
    }
    test::TempFolder folder;
};

TEST_F(LocalFilesTest, TheSizePassRefusesWhatCannotBeReadAndCountsTheRest) {
    const std::string fifo = (folder.path() / "pipe").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(folder.path() / "dir");
    const std::vector<std::string> chosen = {
        Make("a.txt", 10),
        (folder.path() / "gone.txt").string(),
        (folder.path() / "dir").string(),
        fifo,
        "/dev/null",
        Make("huge.bin", std::uintmax_t{1} << 31),
        Make("max.bin", 0x7FFFFFFF),
        Make("日本.txt", 1),
        Make("tab\there", 1),
        Make("мелодия.mid", 5),
    };
    const SizePass pass = MeasureLocalFiles(chosen);
    struct Row {
        std::size_t index;
        FileRefusal why;
        const char* detail;
    };
    const Row refused[] = {
        {1, FileRefusal::Missing, ""},         {2, FileRefusal::Folder, ""},
        {3, FileRefusal::NotRegular, ""},      {4, FileRefusal::NotRegular, ""},
        {5, FileRefusal::TooLarge, ""},        {7, FileRefusal::BadCharacter, "\"日\" (U+65E5)"},
        {8, FileRefusal::ControlCharacter, ""}};
    ASSERT_EQ(pass.refused.size(), std::size(refused));
    for (std::size_t i = 0; i < std::size(refused); ++i) {
        EXPECT_EQ(pass.refused[i].path, chosen[refused[i].index]) << i;
        EXPECT_EQ(pass.refused[i].why, refused[i].why) << i;
        EXPECT_EQ(pass.refused[i].detail, refused[i].detail) << i;
    }
    ASSERT_EQ(pass.files.size(), 3u);
    EXPECT_EQ(pass.files[1].name, "max.bin");
    EXPECT_EQ(pass.files[2].name, "мелодия.mid");
    // Two files below 2 GiB each: the sum leaves 32 bits instead of wrapping into a pass.
    EXPECT_EQ(pass.total, 10 + std::int64_t{0x7FFFFFFF} + 5);

    const std::string text = RefusalMessage(pass.refused);
    EXPECT_EQ(text.substr(0, text.find('\n')), "These files are not uploaded:");
    EXPECT_NE(text.find(chosen[2] + ": is a folder"), std::string::npos) << text;
    EXPECT_NE(text.find(chosen[7] + ": has a character the phone cannot store: \"日\" (U+65E5)"),
              std::string::npos)
        << text;
}

TEST_F(LocalFilesTest, AFileThatChangedSinceTheSizePassIsNotReadAsItsOldSize) {
    const std::string path = Make("a.bin", 3000);
    EXPECT_EQ(ReadLocalFile(path).bytes.size(), 3000u);
    fs::remove(path);
    EXPECT_EQ(ReadLocalFile(path).why, FileRefusal::Missing);
}

TEST_F(LocalFilesTest, PhonePathsTheCodePageAndItsLengthCanHold) {
    RefusedFile why;
    EXPECT_EQ(BuildPhonePath("/a/mobile/", "мелодия.mid", false, &why), "/a/mobile/мелодия.mid");
    EXPECT_EQ(BuildPhonePath("/a/mobile/", "x.txt", true, &why), "x.txt");
    // 260 characters fit however many bytes UTF-8 needs for them; 261 do not.
    const std::string longFolder = "/a/" + std::string(250, 'f') + "/";
    EXPECT_TRUE(BuildPhonePath(longFolder, "ыы.txt", false, &why));
    EXPECT_FALSE(BuildPhonePath(longFolder, "ыыы.txt", false, &why));
    EXPECT_EQ(why.why, FileRefusal::PathTooLong);
    EXPECT_FALSE(BuildPhonePath("/a/日/", "x.txt", false, &why));
    EXPECT_EQ(why.why, FileRefusal::BadCharacter);
}

TEST_F(LocalFilesTest, TheSpaceMessageNamesTheLack) {
    EXPECT_EQ(InsufficientSpaceMessage(1025, 1024),
              "Insufficient free space, file(s) too big.\nFile(s) size: 1025 bytes\n"
              "Free space: 1024 bytes\nLack: 1 byte");
    EXPECT_NE(InsufficientSpaceMessage(std::int64_t{3} << 30, 5).find("Lack: 3221225467 bytes"),
              std::string::npos);
}

}  // namespace
}  // namespace velmora
