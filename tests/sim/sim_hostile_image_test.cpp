// The emulated phone on an image a user could have made: names outside the phone's code page,
// links, unreadable and deeply nested folders. It presents what it can and no more.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "sim_test_support.h"

namespace velmora::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::string ReadHost(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// "Фото" in windows-1251.
const std::string kFoto = "\xD4\xEE\xF2\xEE";

TEST(SimPhoneText, Utf8ImageNamesGoOutAsWindows1251) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    Write(tmp.path() / "a" / "Фото" / "Лето.jpg", "summer");

    const std::string leto = "\xCB\xE5\xF2\xEE.jpg";
    EXPECT_THAT(rig.Search("/a/*"), ElementsAre("/a/" + kFoto + "/" + leto));
    EXPECT_EQ(rig.Download("/a/" + kFoto + "/" + leto), "summer");
    // Cyrillic letters match without case, in the folder part too.
    EXPECT_THAT(rig.Search("/a/" + kFoto + "/\xEB\xC5*"), ElementsAre("/a/" + kFoto + "/" + leto));

    ASSERT_EQ(rig.Upload("/a/" + kFoto + "/\xDF.txt", "ya"), 0);
    EXPECT_EQ(ReadHost(tmp.path() / "a" / "Фото" / "Я.txt"), "ya");
}

struct HostileRow {
    const char* what;
    std::function<void(const fs::path& volume, const fs::path& outside)> make;
    const char* line;  // what its line on standard error says
};

std::string Deep() {
    std::string path;
    for (int i = 0; i < 30; ++i) path += "folder" + std::to_string(i % 10) + "xx/";
    return path;
}

const HostileRow kHostile[] = {
    {"name without windows-1251 form",
     [](const fs::path& v, const fs::path&) { Write(v / "\xE4\xB8\xAD.txt", "x"); },
     "no windows-1251 form (\"\xE4\xB8\xAD\" (U+4E2D))"},
    {"name that is not UTF-8",
     [](const fs::path& v, const fs::path&) { Write(v / "bad\xFF.txt", "x"); },
     "no windows-1251 form (\\xFF)"},
    {"link to a file outside",
     [](const fs::path& v, const fs::path& o) {
         fs::create_symlink(o / "secret.txt", v / "s.txt");
     },
     "a link, not followed"},
    {"link to a folder outside",
     [](const fs::path& v, const fs::path& o) { fs::create_directory_symlink(o, v / "out"); },
     "a link, not followed"},
    {"unreadable folder",
     [](const fs::path& v, const fs::path&) {
         Write(v / "locked" / "inner.txt", "x");
         fs::permissions(v / "locked", fs::perms::none);
     },
     "cannot be read"},
    {"unreadable file",
     [](const fs::path& v, const fs::path&) {
         Write(v / "locked.txt", "x");
         fs::permissions(v / "locked.txt", fs::perms::none);
     },
     "cannot be read"},
    {"folders deeper than a phone path",
     [](const fs::path& v, const fs::path&) { Write(v / Deep() / "deep.txt", "x"); },
     "longer than 259 characters"},
    {"pipe", [](const fs::path& v, const fs::path&) { ::mkfifo((v / "pipe").c_str(), 0644); },
     "neither a file nor a folder"},
};

// Each is left out with one line, however often the phone is asked; the rest still works.
TEST(SimHostileImage, WhatCannotBePresentedIsLeftOutWithOneLine) {
    for (const auto& row : kHostile) {
        TempFolder tmp;
        TempFolder outside("outside");
        Write(outside.path() / "secret.txt", "private");
        Rig rig({TestPhone(tmp.path())});
        Write(tmp.path() / "a" / "good.txt", "good");
        row.make(tmp.path() / "a", outside.path());

        ::testing::internal::CaptureStderr();
        EXPECT_THAT(rig.Search("/a/*"), ElementsAre("/a/good.txt")) << row.what;
        EXPECT_EQ(rig.Send(FreeSpaceRequest('a'), 4).rc, 0) << row.what;
        EXPECT_THAT(rig.Search("*"), ElementsAre("/a/good.txt")) << row.what;
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_THAT(said, HasSubstr(row.line)) << row.what;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << row.what << ": " << said;

        // Free space counts only what the phone presents.
        rig.library->WithPhone(
            1, [&](SimPhone& phone) { EXPECT_EQ(phone.FreeSpace('a'), 8388608 - 4) << row.what; });
        std::error_code ec;
        fs::permissions(tmp.path() / "a" / "locked", fs::perms::owner_all, ec);
    }
}

// Nothing of the user's own files is read, written, made or removed through a link.
TEST(SimHostileImage, NoCommandFollowsALinkOutOfTheImage) {
    TempFolder tmp;
    TempFolder outside("outside");
    Write(outside.path() / "secret.txt", "private");
    Rig rig({TestPhone(tmp.path())});
    fs::create_symlink(outside.path() / "secret.txt", tmp.path() / "a" / "s.txt");
    fs::create_directory_symlink(outside.path(), tmp.path() / "a" / "out");
    fs::remove_all(tmp.path() / "b");
    fs::create_directory_symlink(outside.path(), tmp.path() / "b");  // a whole volume

    for (const std::string path : {"/a/s.txt", "/a/out/secret.txt", "/b/secret.txt"}) {
        EXPECT_EQ(rig.Download(path), "<open failed>") << path;
        EXPECT_NE(rig.Upload(path, "overwritten"), 0) << path;
        EXPECT_NE(rig.Send(DeleteRequest(path), 2).rc, 0) << path;
    }
    EXPECT_NE(rig.Upload("/a/out/new.txt", "x"), 0);
    EXPECT_NE(rig.Upload("/b/new.txt", "x"), 0);
    ::testing::internal::CaptureStderr();
    EXPECT_THAT(rig.Search("*"), ::testing::IsEmpty());
    ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(ReadHost(outside.path() / "secret.txt"), "private");
    EXPECT_FALSE(fs::exists(outside.path() / "new.txt"));
    EXPECT_TRUE(fs::is_symlink(tmp.path() / "a" / "s.txt"));
}

TEST(SimHostileImage, AHostFailureIsAFailedCommandNotAnException) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    FaultPlan plan;
    plan.raiseInPhone = true;
    rig.library->SetFaultPlan(plan);
    ::testing::internal::CaptureStderr();
    SendResult result;
    EXPECT_NO_THROW(result = rig.Send(FreeSpaceRequest('a'), 4));
    EXPECT_NE(result.rc, 0);
    EXPECT_EQ(result.length, 0);
    EXPECT_THAT(::testing::internal::GetCapturedStderr(), HasSubstr("FSAC failed"));

    rig.library->SetFaultPlan({});
    EXPECT_EQ(rig.Send(FreeSpaceRequest('a'), 4).rc, 0);
}

}  // namespace
}  // namespace velmora::test
