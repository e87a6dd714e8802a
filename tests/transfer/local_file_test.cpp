#include "transfer/local_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "support/fakes.h"
#include "support/temp_folder.h"
#include "transfer/temp_open_file.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(LocalFile, StagedFileReplacesTheFinalNameOnlyWhenCommitted) {
    test::TempFolder folder;
    Put(folder.path() / "x.jpg", "old");
    {
        LocalFile file;
        ASSERT_TRUE(file.CreateStaged(folder.path().string(), "x.jpg"));
        ASSERT_TRUE(file.Write(Bytes("new data")));
        EXPECT_EQ(Contents(folder.path() / "x.jpg"), "old");
        // Dropped without Commit: a stop or a failure.
    }
    EXPECT_EQ(Contents(folder.path() / "x.jpg"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1);

    LocalFile file;
    ASSERT_TRUE(file.CreateStaged(folder.path().string() + "/", "x.jpg"));
    ASSERT_TRUE(file.Write(Bytes("new data")));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(Contents(folder.path() / "x.jpg"), "new data");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1);
}

TEST(LocalFile, CreationFailuresNameTheSystemsReason) {
    test::TempFolder folder;
    fs::create_directory(folder.path() / "taken");
    LocalFile intoFolder;
    EXPECT_FALSE(intoFolder.CreateStaged(folder.path().string(), "taken"));
    EXPECT_EQ(intoFolder.ErrorCode(), EISDIR);
    EXPECT_EQ(intoFolder.Path(), folder.path().string() + "/taken");
    EXPECT_EQ(intoFolder.ErrorReason(), "Is a directory");

    LocalFile missingFolder;
    EXPECT_FALSE(missingFolder.CreateStaged((folder.path() / "absent").string(), "x"));
    EXPECT_EQ(missingFolder.ErrorCode(), ENOENT);

    // Never through a link, never over an existing file.
    fs::create_symlink(folder.path() / "elsewhere", folder.path() / "link");
    LocalFile throughLink;
    EXPECT_FALSE(throughLink.CreateExclusive((folder.path() / "link").string()));
    EXPECT_FALSE(fs::exists(folder.path() / "elsewhere"));
    Put(folder.path() / "there", "keep");
    LocalFile over;
    EXPECT_FALSE(over.CreateExclusive((folder.path() / "there").string()));
    EXPECT_EQ(over.ErrorCode(), EEXIST);
    EXPECT_EQ(Contents(folder.path() / "there"), "keep");
}

TEST(LocalFile, NoReplaceCommitKeepsTheExistingFile) {
    test::TempFolder folder;
    Put(folder.path() / "x.jpg", "old");
    for (const char* name : {"x.jpg", "y.jpg"}) {
        LocalFile file;
        ASSERT_TRUE(file.CreateStaged(folder.path().string(), name));
        ASSERT_TRUE(file.Write(Bytes("new")));
        const bool fresh = name[0] == 'y';
        EXPECT_EQ(file.Commit(CommitMode::NoReplace), fresh) << name;
        EXPECT_EQ(file.ErrorCode(), fresh ? 0 : EEXIST) << name;
    }
    EXPECT_EQ(Contents(folder.path() / "x.jpg"), "old");
    EXPECT_EQ(Contents(folder.path() / "y.jpg"), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2);
}

// Leftovers of earlier runs go; a link, a folder, another name or this run's file stays.
TEST(LocalFile, CleanUpsRemoveOnlyOldLeftoversOfTheirOwn) {
    struct Entry {
        const char* name;
        char kind;  // file, folder, link
        bool old;
        bool removed;
    };
    const Entry parts[] = {
        {".velmora-0123456789.part", 'f', true, true},
        {".velmora-abcdefghij.part", 'f', false, false},
        {".velmora-ABCDEFGHIJ.part", 'f', true, false},
        {".velmora-012345678.part", 'f', true, false},
        {"x.velmora-0123456789.part", 'f', true, false},
        {".velmora-klmnopqrst.part", 'l', true, false},
        {".velmora-uvwxyz0123.part", 'd', true, false},
    };
    const Entry copies[] = {
        {"VELMORA_TMP000001", 'd', true, true},
        {"VELMORA_TMP000002", 'd', false, false},
        {"VELMORA_TMP000003.jpg", 'f', true, true},
        {"VELMORA_TMP000004", 'l', true, false},
        {"song.mp3", 'f', true, false},
    };
    test::TempFolder folder;
    auto make = [&](const fs::path& at, std::span<const Entry> entries) {
        fs::create_directory(at);
        for (const Entry& e : entries) {
            if (e.kind == 'f') Put(at / e.name, "x");
            if (e.kind == 'd') fs::create_directory(at / e.name);
            if (e.kind == 'd') Put(at / e.name / "inside", "x");
            if (e.kind == 'l') fs::create_symlink(folder.path() / "target", at / e.name);
            const timespec times[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 2 * 86400, 0}};
            if (e.old) utimensat(AT_FDCWD, (at / e.name).c_str(), times, AT_SYMLINK_NOFOLLOW);
        }
    };
    make(folder.path() / "parts", parts);
    make(folder.path() / "open", copies);
    RemoveStalePartFiles((folder.path() / "parts").string());
    RemoveOldOpenCopies((folder.path() / "open").string() + "/", std::chrono::hours(24));
    for (const auto& [at, entries] : {std::pair{"parts", std::span<const Entry>(parts)},
                                      std::pair{"open", std::span<const Entry>(copies)}}) {
        for (const Entry& e : entries) {
            EXPECT_EQ(fs::exists(fs::symlink_status(folder.path() / at / e.name)), !e.removed)
                << e.name;
        }
    }
}

// A full disk as the system reports it to a writer: the file-size limit fails the write.
TEST(LocalFile, AFailedWriteLeavesNothingBehind) {
    test::TempFolder folder;
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    LocalFile file;
    ASSERT_TRUE(file.CreateStaged(folder.path().string(), "big"));
    const bool written = file.Write(std::vector<std::uint8_t>(2000, 7));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(file.ErrorCode(), EFBIG);
    file.Discard();
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST(OpenFiles, SuffixComesFromTheFilesOwnName) {
    const std::pair<const char*, const char*> cases[] = {
        {"/a/mobile/song.mp3", ".mp3"},  {"/a/mobile/x", ""},  {"/a/my.dir/x", ""},
        {"/a/b/pack.tar.gz", ".tar.gz"}, {"bare.txt", ".txt"}, {"", ""},
        {"/a/b/.hidden", ".hidden"},
    };
    for (const auto& [path, suffix] : cases) EXPECT_EQ(OpenSuffix(path), suffix) << path;
}

TEST(OpenFiles, FolderUnderRuntimeOrCache) {
    EXPECT_EQ(OpenFilesFolder({.cache = "/c", .runtime = "/run/user/5"}), "/run/user/5/velmora/");
    EXPECT_TRUE(OpenFilesFolderIsCache({.cache = "/c/"}));
    EXPECT_EQ(OpenFilesFolder({.cache = "/c/"}), "/c/velmora/open/");
    EXPECT_EQ(OpenFilesFolder({}).rfind("/tmp/velmora-", 0), 0u);
}

TEST(OpenFiles, PrivateFolderIsMadeOrTightenedAndNeverALink) {
    test::TempFolder folder;
    int error = 0;
    const fs::path made = folder.path() / "cache" / "velmora" / "open";
    ASSERT_TRUE(EnsurePrivateFolder(made.string(), &error)) << error;
    struct stat info {};
    ASSERT_EQ(stat(made.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    fs::permissions(made, fs::perms::all);
    ASSERT_TRUE(EnsurePrivateFolder(made.string() + "/", &error));
    ASSERT_EQ(stat(made.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    fs::create_symlink(made, folder.path() / "link");
    EXPECT_FALSE(EnsurePrivateFolder((folder.path() / "link").string(), &error));
    EXPECT_EQ(error, ENOTDIR);
    Put(folder.path() / "file", "");
    EXPECT_FALSE(EnsurePrivateFolder((folder.path() / "file").string(), &error));
    EXPECT_EQ(error, ENOTDIR);
}

// Two opens of one name within one second draw the same number: the second gets the next one,
// and the first copy, perhaps open in its program, stays as it is.
TEST(OpenFiles, EachCopyKeepsThePhoneNameInAFolderOfItsOwn) {
    test::TempFolder folder;
    test::FakeClock clock;
    clock.Seed(static_cast<unsigned>(clock.NowSeconds()));
    const std::string first = TempBaseName(clock);
    ASSERT_EQ(first.size(), 17u);
    EXPECT_EQ(first.rfind("VELMORA_TMP", 0), 0u);

    LocalFile one;
    ASSERT_TRUE(CreateOpenFile(folder.path().string(), "/a/mobile/song.mp3", clock, one));
    EXPECT_EQ(one.Path(), (folder.path() / first / "song.mp3").string());
    EXPECT_EQ(fs::status(folder.path() / first).permissions(), fs::perms::owner_all);
    ASSERT_TRUE(one.Write(Bytes("first")));
    ASSERT_TRUE(one.Commit());

    LocalFile two;
    ASSERT_TRUE(CreateOpenFile(folder.path().string(), "/a/mobile/song.mp3", clock, two));
    EXPECT_NE(fs::path(two.Path()).parent_path(), fs::path(one.Path()).parent_path());
    EXPECT_EQ(fs::path(two.Path()).filename(), "song.mp3");
    EXPECT_EQ(Contents(one.Path()), "first");
    two.Discard();  // its folder goes with it
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1);

    const std::pair<const char*, const char*> unsafe[] = {
        {"/a/b/", ""}, {"/a/b/..", ""}, {"/a/b/x\ty.txt", ".txt"}};
    for (const auto& [phone, suffix] : unsafe) {
        LocalFile file;
        ASSERT_TRUE(CreateOpenFile(folder.path().string(), phone, clock, file));
        const fs::path path = file.Path();
        EXPECT_EQ(path.filename(), path.parent_path().filename().string() + suffix) << phone;
    }
}

}  // namespace
}  // namespace velmora
