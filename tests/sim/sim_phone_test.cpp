// The emulated phone's file system as the FSAC records reach it.
#include "sim/sim_phone.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include "sim_test_support.h"

namespace velmora::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::uint16_t Attributes(Rig& rig, const std::string& path) {
    std::uint16_t attributes = 0xFFFF;
    rig.library->WithPhone(1, [&](SimPhone& phone) {
        if (auto info = phone.Info(path)) attributes = info->attributes;
    });
    return attributes;
}

// While it lives, the host refuses to grow any file beyond `bytes`: a full disk, for one
// process. The refusal shows only when a stream's buffer is flushed.
class HostFileLimit {
  public:
    explicit HostFileLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~HostFileLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

  private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST(SimMask, WildcardsAndCase) {
    EXPECT_TRUE(MatchMask("*", "x.jpg"));
    EXPECT_TRUE(MatchMask("*.jpg", "photo.JPG"));
    EXPECT_FALSE(MatchMask("*.jpg", "photo.jpeg"));
    EXPECT_TRUE(MatchMask("a?c", "abc"));
    EXPECT_FALSE(MatchMask("a?c", "ac"));
    EXPECT_TRUE(MatchMask("*a*b*", "xxaYYbzz"));
    EXPECT_FALSE(MatchMask("*a*b", "xxaYYbzz"));
    EXPECT_FALSE(MatchMask("", "x"));
}

TEST(SimFiles, CreateWriteReadAndOverwrite) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    const std::string big(2500, 'q');
    ASSERT_EQ(rig.Upload("/a/mobile/new.txt", big), 0);
    EXPECT_EQ(rig.Download("/a/mobile/new.txt"), big);
    EXPECT_TRUE(std::filesystem::exists(tmp.path() / "a" / "mobile" / "new.txt"));

    // Reads hand out the next bytes; the length is what was delivered.
    ASSERT_EQ(rig.Send(OpenRequest("/a/mobile/new.txt"), 2).rc, 0);
    EXPECT_EQ(rig.Send(ReadRequest(1024), 1024).length, 1024);
    EXPECT_EQ(rig.Send(ReadRequest(1024), 1024).length, 1024);
    EXPECT_EQ(rig.Send(ReadRequest(1024), 1024).length, 452);
    EXPECT_NE(rig.Send(ReadRequest(1024), 1024).rc, 0) << "read past the end";
    ASSERT_EQ(rig.Send(CloseRequest(), 2).rc, 0);

    // The first write after an open replaces, the following ones append.
    ASSERT_EQ(rig.Upload("/a/mobile/new.txt", "short"), 0);
    EXPECT_EQ(rig.Download("/a/mobile/new.txt"), "short");

    // An open with no write leaves the contents; an empty upload creates an empty file.
    ASSERT_EQ(rig.Upload("/a/mobile/new.txt", ""), 0);
    EXPECT_EQ(rig.Download("/a/mobile/new.txt"), "short");
    ASSERT_EQ(rig.Upload("/b/empty.bin", ""), 0);
    EXPECT_EQ(std::filesystem::file_size(tmp.path() / "b" / "empty.bin"), 0u);
}

TEST(SimFiles, AttributesKeptOrSet) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    ASSERT_EQ(rig.Upload("/a/x.dat", "1234", 0x00000021), 0);
    EXPECT_EQ(Attributes(rig, "/a/x.dat"), 0x21);
    ASSERT_EQ(rig.Upload("/a/x.dat", "5678"), 0);
    EXPECT_EQ(Attributes(rig, "/a/x.dat"), 0x21) << "FF FF FF FF keeps the attributes";

    // The attribute change: open with the new word and a request of path length + 10.
    const Bytes change = Record({OpCode(0), Be32(0x03), TextBytes("/a/x.dat"), {0, 0}});
    ASSERT_EQ(change.size(), 8u + 10u);
    ASSERT_EQ(rig.Send(change, 2).rc, 0);
    ASSERT_EQ(rig.Send(CloseRequest(), 2).rc, 0);
    EXPECT_EQ(Attributes(rig, "/a/x.dat"), 0x03);
    EXPECT_EQ(rig.Download("/a/x.dat"), "5678");
    ASSERT_EQ(rig.Upload("/a/x.dat", "fill", 0), 0);
    EXPECT_EQ(Attributes(rig, "/a/x.dat"), 0) << "an open with 0 clears them";
    ASSERT_EQ(rig.Send(change, 2).rc, 0);
    ASSERT_EQ(rig.Send(CloseRequest(), 2).rc, 0);

    ASSERT_EQ(rig.Send(SearchStartRequest("/a/x.dat"), 2).rc, 0);
    SendResult entry = rig.Send(SearchNextRequest(true));
    ASSERT_EQ(entry.reply.size(), 272u);
    EXPECT_EQ(TextAt(entry.reply, 4, 260), "/a/x.dat");
    EXPECT_EQ(Be16At(entry.reply, 264), 0x03);
    EXPECT_EQ(Be32At(entry.reply, 268), 4u);
}

TEST(SimFiles, OneFileOpenAtATimeAndAFullPhoneTakesNothingOfARefusedWrite) {
    TempFolder tmp;
    SimPhoneConfig phone = TestPhone(tmp.path());
    phone.volumes = {{'a', 1500}};
    Rig rig({phone});
    ASSERT_EQ(rig.Send(OpenRequest("/a/first.bin"), 2).rc, 0);
    EXPECT_NE(rig.Send(OpenRequest("/a/second.bin"), 2).rc, 0) << "first.bin is still open";
    ASSERT_EQ(rig.Send(WriteRequest(std::string(1024, 'a')), 2).rc, 0);
    EXPECT_NE(rig.Send(WriteRequest(std::string(1024, 'b')), 2).rc, 0) << "476 bytes left";
    EXPECT_EQ(std::filesystem::file_size(tmp.path() / "a" / "first.bin"), 1024u);
    ASSERT_EQ(rig.Send(CloseRequest(), 2).rc, 0);
    EXPECT_EQ(Be32At(rig.Send(FreeSpaceRequest('a'), 4).reply, 0), 476u);
    EXPECT_EQ(rig.Upload("/a/second.bin", std::string(476, 'c')), 0) << "closed: opens again";
    EXPECT_EQ(Be32At(rig.Send(FreeSpaceRequest('a'), 4).reply, 0), 0u);
}

TEST(SimFiles, DeleteRemovesFileAndEndsItsOpen) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    ASSERT_EQ(rig.Upload("/a/gone.txt", "abc", 0x20), 0);
    ASSERT_EQ(rig.Send(OpenRequest("/a/gone.txt"), 2).rc, 0);
    ASSERT_EQ(rig.Send(DeleteRequest("/a/gone.txt"), 2).rc, 0);
    EXPECT_FALSE(std::filesystem::exists(tmp.path() / "a" / "gone.txt"));
    EXPECT_NE(rig.Send(WriteRequest("x"), 2).rc, 0) << "the deleted file is no longer open";
    EXPECT_NE(rig.Send(DeleteRequest("/a/gone.txt"), 2).rc, 0);
    // A new file of that name does not inherit the old attributes.
    ASSERT_EQ(rig.Upload("/a/gone.txt", "new"), 0);
    EXPECT_EQ(Attributes(rig, "/a/gone.txt"), 0);
}

TEST(SimFiles, MalformedAndUnsafeRequestsFail) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    EXPECT_NE(rig.Send(WriteRequest("x"), 2).rc, 0) << "write without an open file";
    EXPECT_NE(rig.Send(CloseRequest(), 2).rc, 0);
    EXPECT_NE(rig.Send(ReadRequest(10), 10).rc, 0);
    EXPECT_NE(rig.Send(OpCode(3), 2).rc, 0) << "unknown op";
    EXPECT_NE(rig.Send({0, 0, 0}, 2).rc, 0) << "truncated op code";
    EXPECT_NE(rig.Send({0, 0, 0, 9}, 2).rc, 0) << "truncated version request";
    EXPECT_NE(rig.Send({0, 0, 0, 11, 0, 7, 'a'}, 4).rc, 0) << "truncated free-space request";
    EXPECT_NE(rig.Send({0, 0, 0, 11, 0, 7, 'z', '/', 0, 0}, 4).rc, 0) << "unknown volume";

    for (const char* path : {"/a/../../escape.txt", "/a/./x", "/tmp/x", "/a/", "a/x", "/z/x",
                             "/a//x", "/a/dir/", ""}) {
        EXPECT_NE(rig.Send(OpenRequest(path), 2).rc, 0) << path;
    }
    EXPECT_FALSE(std::filesystem::exists(tmp.path().parent_path() / "escape.txt"));

    EXPECT_NE(rig.Send(Record({OpCode(0), Be32(~0u), TextBytes("/a/unterminated")}), 2).rc, 0);
    EXPECT_NE(rig.Send(Record({OpCode(0), Be32(~0u), TextBytes("/a/one"), {0}}), 2).rc, 0)
        << "the second NUL is part of the record";

    ASSERT_EQ(rig.Send(OpenRequest("/a/w.bin"), 2).rc, 0);
    Bytes shortWrite = WriteRequest("abcdef");
    shortWrite.resize(10);
    EXPECT_NE(rig.Send(shortWrite, 2).rc, 0) << "fewer data bytes than announced";

    Bytes unterminated = SearchStartRequest("/a/*");
    unterminated.resize(unterminated.size() - 2);
    EXPECT_NE(rig.Send(unterminated, 2).rc, 0);
    EXPECT_NE(rig.Send(SearchNextRequest(true)).rc, 0) << "no search started";
    EXPECT_NE(rig.Send({0, 0, 0, 10, 0}, 513).rc, 0);
}

TEST(SimSearch, MasksFolderPartAndRecursion) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    for (const char* path : {"/a/top.jpg", "/a/mobile/picture/x.jpg", "/a/mobile/picture/y.gif",
                             "/a/mobile/picture/deep/z.JPG", "/a/mobile/audio/r1.mid",
                             "/a/mobile/audio/r22.mid", "/b/photo.jpg"}) {
        ASSERT_EQ(rig.Upload(path, "data"), 0) << path;
    }
    EXPECT_THAT(rig.Search("/a/*"),
                ElementsAre("/a/mobile/audio/r1.mid", "/a/mobile/audio/r22.mid",
                            "/a/mobile/picture/deep/z.JPG", "/a/mobile/picture/x.jpg",
                            "/a/mobile/picture/y.gif", "/a/top.jpg"))
        << "files only, recursively, folders not reported";
    EXPECT_THAT(rig.Search("/a/mobile/*.jpg"),
                ElementsAre("/a/mobile/picture/deep/z.JPG", "/a/mobile/picture/x.jpg"));
    EXPECT_THAT(rig.Search("/a/mobile/audio/r?.mid"), ElementsAre("/a/mobile/audio/r1.mid"));
    EXPECT_THAT(rig.Search("*.jpg"),
                ElementsAre("/a/mobile/picture/deep/z.JPG", "/a/mobile/picture/x.jpg", "/a/top.jpg",
                            "/b/photo.jpg"))
        << "no folder part: every volume";
    EXPECT_THAT(rig.Search("/b/*"), ElementsAre("/b/photo.jpg"));
    EXPECT_THAT(rig.Search("/a/mobile/*.mp3"), IsEmpty());
    EXPECT_THAT(rig.Search("/a/nothere/*"), IsEmpty());
    // Without the separator the mask is what follows the last "/".
    EXPECT_THAT(rig.Search("/a/mobile/picture/*.gif", false),
                ElementsAre("/a/mobile/picture/y.gif"));

    // The whole-volume listing, byte for byte.
    SendResult count = rig.Send({0, 0, 0, 7, 0, '/', 0, 'a', 0, '/', 0xFF, 0xFE, 0, '*', 0, 0}, 2);
    ASSERT_EQ(count.rc, 0);
    EXPECT_EQ(count.reply, (Bytes{0, 6}));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(rig.Send(SearchNextRequest(true)).rc, 0);
    EXPECT_NE(rig.Send(SearchNextRequest(true)).rc, 0) << "all entries read";
}

TEST(SimSearch, RecordNeverExceedsTheBuffer) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    ASSERT_EQ(rig.Upload("/a/one.txt", "1"), 0);
    ASSERT_EQ(rig.Send(SearchStartRequest("/a/*"), 2).rc, 0);
    SendResult tooSmall = rig.Send(SearchNextRequest(true), 100);
    EXPECT_NE(tooSmall.rc, 0);
    EXPECT_TRUE(tooSmall.reply.empty());
    EXPECT_EQ(rig.Send(SearchNextRequest(true), 272).rc, 0) << "the entry was not lost";
}

TEST(SimVolumes, VersionVolumesAndFreeSpace) {
    TempFolder tmp;
    SimPhoneConfig phone = TestPhone(tmp.path());
    phone.volumes = {{'a', 10000}, {'b', 3000000000}};
    Rig rig({phone});
    EXPECT_EQ(rig.Send(VersionRequest(), 2).reply, (Bytes{2, 1}));
    SendResult volumes = rig.Send(VolumesRequest(), 513);
    EXPECT_EQ(volumes.reply, (Bytes{0, '/', 0, 'a', 0, 0, 0, '/', 0, 'b', 0, 0}));
    EXPECT_EQ(volumes.length, 12);

    EXPECT_EQ(Be32At(rig.Send(FreeSpaceRequest('a'), 4).reply, 0), 10000u);
    ASSERT_EQ(rig.Upload("/a/f.bin", std::string(3000, 'x')), 0);
    EXPECT_EQ(Be32At(rig.Send(FreeSpaceRequest('a'), 4).reply, 0), 7000u);
    // Replacing contents counts only the new ones.
    ASSERT_EQ(rig.Upload("/a/f.bin", std::string(1000, 'x')), 0);
    EXPECT_EQ(Be32At(rig.Send(FreeSpaceRequest('a'), 4).reply, 0), 9000u);
    ASSERT_EQ(rig.Send(DeleteRequest("/a/f.bin"), 2).rc, 0);
    EXPECT_EQ(Be32At(rig.Send(FreeSpaceRequest('a'), 4).reply, 0), 10000u);

    // A write that does not fit fails; exactly filling the volume works.
    EXPECT_NE(rig.Upload("/a/big.bin", std::string(10001, 'x')), 0);
    ASSERT_EQ(rig.Upload("/a/big.bin", std::string(10000, 'x')), 0);
    EXPECT_EQ(Be32At(rig.Send(FreeSpaceRequest('a'), 4).reply, 0), 0u);
    // More than 2 GiB free is reported as the largest positive count, never negative.
    EXPECT_EQ(Be32At(rig.Send(FreeSpaceRequest('b'), 4).reply, 0), 0x7FFFFFFFu);
}

TEST(SimFlash, MultiRecordSearchNext) {
    TempFolder tmp;
    Rig rig({FlashPhone(tmp.path())});
    EXPECT_EQ(rig.Send(VersionRequest(), 2).reply, (Bytes{1, 5}));
    EXPECT_NE(rig.Send(VolumesRequest(), 513).rc, 0);
    SendResult model = rig.Send(kRdelemRequest, 20, "RDELEM");
    EXPECT_EQ(TextAt(model.reply, 8, 1), "0");
    EXPECT_EQ(model.reply[10], 0) << "a four-character model ends early";
    for (int i = 0; i < 25; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "file%02d.txt", i);
        ASSERT_EQ(rig.Upload(name, std::string(static_cast<std::size_t>(i + 1), 'f'), 0x20), 0);
    }
    EXPECT_TRUE(std::filesystem::exists(tmp.path() / "file07.txt")) << "files sit in the image";
    EXPECT_NE(rig.Send(OpenRequest("/a/file07.txt"), 2).rc, 0) << "no folders on FLASH";

    // The listing request always has the separator; searches without it work as well.
    ASSERT_EQ(Be16At(rig.Send(SearchStartRequest("/a/*"), 2).reply, 0), 25);
    SendResult first = rig.Send(SearchNextRequest(false));
    ASSERT_EQ(first.rc, 0);
    ASSERT_EQ(Be16At(first.reply, 0), 20);
    EXPECT_EQ(first.reply.size(), 4u + 20u * 44u);
    EXPECT_EQ(TextAt(first.reply, 4, 36), "file00.txt");
    EXPECT_EQ(Be16At(first.reply, 4 + 36), 0x20);
    EXPECT_EQ(Be32At(first.reply, 4 + 40), 1u);
    EXPECT_EQ(TextAt(first.reply, 4 + 19 * 44, 36), "file19.txt");
    SendResult second = rig.Send(SearchNextRequest(false));
    ASSERT_EQ(Be16At(second.reply, 0), 5);
    EXPECT_EQ(TextAt(second.reply, 4 + 4 * 44, 36), "file24.txt");
    EXPECT_EQ(Be32At(second.reply, 4 + 4 * 44 + 40), 25u);
    EXPECT_NE(rig.Send(SearchNextRequest(false)).rc, 0);

    ASSERT_EQ(Be16At(rig.Send(SearchStartRequest("/a/file1?.txt", false), 2).reply, 0), 10);
    ASSERT_EQ(Be16At(rig.Send(SearchStartRequest("*2*", false), 2).reply, 0), 7);

    // Free space for whatever letter the client uses, index file not counted.
    std::int64_t used = 0;
    for (int i = 0; i < 25; ++i) used += i + 1;
    EXPECT_EQ(Be32At(rig.Send(FreeSpaceRequest('a'), 4).reply, 0), 100000u - used);
    EXPECT_EQ(Be32At(rig.Send(FreeSpaceRequest('L'), 4).reply, 0), 100000u - used);
}

TEST(SimFlash, NamesMustFitTheRecord) {
    TempFolder tmp;
    Rig rig({FlashPhone(tmp.path())});
    EXPECT_NE(rig.Send(OpenRequest(std::string(36, 'n')), 2).rc, 0);
    EXPECT_EQ(rig.Upload(std::string(35, 'n'), "x"), 0);
    EXPECT_NE(rig.Send(OpenRequest(kSimIndexFileName), 2).rc, 0) << "the index is not a file";
    // A file the user put into the image with a long name is not listed.
    std::ofstream(tmp.path() / std::string(40, 'l')) << "x";
    EXPECT_EQ(Be16At(rig.Send(SearchStartRequest("*", false), 2).reply, 0), 1);
}

TEST(SimPersistence, FilesAndAttributesSurviveARestartOfTheLibrary) {
    TempFolder tmp;
    {
        Rig rig({TestPhone(tmp.path())});
        ASSERT_EQ(rig.Upload("/a/keep/me.txt", "persisted", 0x25), 0);
        ASSERT_EQ(rig.Upload("/b/plain.txt", "p"), 0);
        rig.library->WithPhone(1, [](SimPhone& phone) {
            ASSERT_TRUE(phone.PutFile("/a/second.txt", Bytes{'s'}, {0x01, 0x1234}));
        });
    }
    Rig again({TestPhone(tmp.path())});
    EXPECT_EQ(again.Download("/a/keep/me.txt"), "persisted");
    EXPECT_EQ(Attributes(again, "/a/keep/me.txt"), 0x25);
    EXPECT_EQ(Attributes(again, "/b/plain.txt"), 0);
    ASSERT_EQ(again.Send(SearchStartRequest("/a/second.txt"), 2).rc, 0);
    SendResult entry = again.Send(SearchNextRequest(true));
    EXPECT_EQ(Be16At(entry.reply, 264), 0x01);
    EXPECT_EQ(Be16At(entry.reply, 266), 0x1234);
}

TEST(SimFiles, AWriteTheHostRefusesFails) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    ASSERT_EQ(rig.Send(OpenRequest("/a/big.bin"), 2).rc, 0);
    std::int32_t rc = 0;
    {
        HostFileLimit limit(100);
        rc = rig.Send(WriteRequest(std::string(1000, 'w')), 2).rc;
    }
    EXPECT_NE(rc, 0);
}

TEST(SimPersistence, AnIndexTheHostCannotWriteKeepsTheOldOne) {
    TempFolder tmp;
    {
        Rig rig({TestPhone(tmp.path())});
        for (int i = 0; i < 10; ++i) {
            ASSERT_EQ(rig.Upload("/a/file" + std::to_string(i) + ".dat", "x", 0x21), 0);
        }
        HostFileLimit limit(100);  // the index needs about 200 bytes
        rig.Send(OpenRequest("/a/file0.dat", 0x04), 2);
    }
    Rig again({TestPhone(tmp.path())});
    EXPECT_EQ(Attributes(again, "/a/file9.dat"), 0x21);
}

TEST(SimPersistence, MissingOrDamagedIndexIsSurvived) {
    TempFolder tmp;
    {
        Rig rig({TestPhone(tmp.path())});
        ASSERT_EQ(rig.Upload("/a/one.txt", "1", 0x21), 0);
        ASSERT_EQ(rig.Upload("/a/two.txt", "2", 0x04), 0);
    }
    const auto index = tmp.path() / kSimIndexFileName;
    std::string text;
    {
        std::ifstream in(index);
        std::getline(in, text, '\0');
    }
    {
        std::ofstream out(index, std::ios::trunc);
        out << "garbage line\n\x01\x02\nZZZZ 0000 a/one.txt\n"
            << text.substr(text.find("0004"))  // the second line intact
            << "0001 0000 ../outside.txt\n0001 0000 /etc/passwd\n0021 0000";
    }
    {
        Rig rig({TestPhone(tmp.path())});
        EXPECT_EQ(Attributes(rig, "/a/one.txt"), 0) << "damaged line: default attributes";
        EXPECT_EQ(Attributes(rig, "/a/two.txt"), 0x04);
        EXPECT_EQ(rig.Download("/a/one.txt"), "1");
    }
    std::filesystem::remove(index);
    Rig rig({TestPhone(tmp.path())});
    EXPECT_EQ(Attributes(rig, "/a/two.txt"), 0);
    EXPECT_EQ(rig.Download("/a/two.txt"), "2");
}

}  // namespace
}  // namespace velmora::test
