// Upload, dropped files and Fill space: the requests they send, the checks before anything
// is sent, the in-place update of the file list and its rows, and the ends of each job.
#include "ui/upload_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "base/lang_string.h"
#include "sim/sim_test_support.h"
#include "sim/simulated_pst.h"
#include "support/scripted_pst.h"
#include "support/temp_folder.h"
#include "support/upload_rig.h"
#include "transfer/stop_flag.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

FileEntry Entry(const std::string& path, std::int32_t size, std::uint16_t attributes = 0) {
    return MakeFileEntry(path, path, attributes, 0, size);
}

const std::vector<FileEntry> kListing = {Entry("/a/mobile/old.txt", 5, 0x21),
                                         Entry("/a/other/o.txt", 1), Entry("/b/b.txt", 1)};

class UploadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLanguageIndex(kLanguageEnglish);
        StopFlag.store(kStopRequested);
    }
    std::string Local(const std::string& name, std::size_t size, char fill = 'u') {
        const fs::path path = local.path() / name;
        std::ofstream(path, std::ios::binary) << std::string(size, fill);
        return path.string();
    }
    // The FSAC requests sent so far.
    std::vector<Bytes> Sent() const {
        std::vector<Bytes> requests;
        for (const auto& call : pst.Calls("PSTSendCommand")) requests.push_back(call.request);
        return requests;
    }
    std::vector<std::string> Log() const { return rig.window.LogLines(); }

    test::TempFolder local{"local"};
    test::ScriptedPst pst;
    test::UploadRig rig{pst};
};

Bytes WriteHeader(std::uint32_t count) {
    return {0,
            0,
            0,
            2,
            static_cast<std::uint8_t>(count >> 24),
            static_cast<std::uint8_t>(count >> 16),
            static_cast<std::uint8_t>(count >> 8),
            static_cast<std::uint8_t>(count)};
}

TEST_F(UploadTest, EachSizeGetsItsOpenWritesAndClose) {
    struct Row {
        std::size_t size;
        std::vector<std::uint32_t> writes;
    };
    for (const Row& row : {Row{0, {}}, Row{1024, {1024}}, Row{1025, {1024, 1}}}) {
        pst.ClearCalls();
        rig.List(kListing, "/a/mobile/");
        rig.window.prompts.openAnswers.push_back({Local("f.bin", row.size)});
        rig.commands.Upload();
        const auto sent = Sent();
        ASSERT_EQ(sent.size(), row.writes.size() + 2) << row.size;
        ASSERT_EQ(sent.front().size(), 270u);
        EXPECT_EQ(Bytes(sent.front().begin(), sent.front().begin() + 8),
                  (Bytes{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
        EXPECT_EQ(std::string(sent.front().begin() + 8, sent.front().begin() + 23),
                  "/a/mobile/f.bin");
        EXPECT_EQ(sent.front()[23], 0);
        EXPECT_EQ(sent.front()[24], 0);
        for (std::size_t i = 0; i < row.writes.size(); ++i) {
            EXPECT_EQ(sent[i + 1].size(), 8 + row.writes[i]);
            EXPECT_EQ(Bytes(sent[i + 1].begin(), sent[i + 1].begin() + 8),
                      WriteHeader(row.writes[i]));
        }
        EXPECT_EQ(sent.back(), (Bytes{0, 0, 0, 4}));
        const auto entry = rig.files.Entry(rig.files.Find("/a/mobile/f.bin"));
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->size, static_cast<std::int32_t>(row.size));
        EXPECT_EQ(rig.upload.freeSpaceQueries, 1);
        rig.upload.freeSpaceQueries = 0;
        EXPECT_EQ(StopFlag.load(), kStopRequested);
    }
}

TEST_F(UploadTest, TwoFilesShowThePerFileBarAndGetRowsWithIcons) {
    rig.List(kListing, "/a/mobile/");
    rig.window.prompts.openAnswers.push_back({Local("one.jpg", 1500), Local("two.txt", 10)});
    rig.commands.Upload();
    const auto log = Log();
    EXPECT_EQ(log, (std::vector<std::string>{"filebar 1", "enable 0 0", "enable 0 0", "filebar 0",
                                             "enable 1 1"}));
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart),
              "Writing file to phone... 1510 from 1510 bytes wrote.");
    EXPECT_EQ(rig.window.range, 1510);
    ASSERT_EQ(rig.list.RowCount(), 3);
    const ListRow& row = rig.list.Rows()[1];
    EXPECT_EQ(row.cells, (std::array<std::string, 5>{"one.jpg", "0", "1500", "jpg", "3"}));
    EXPECT_EQ(row.itemData, 1);
    EXPECT_EQ(rig.list.Images()[static_cast<std::size_t>(row.image)].largeIcon->name, "large:jpg");
    EXPECT_EQ(rig.files.Count(), 5);
    EXPECT_EQ(rig.tree.EntryCount(), 5);
    EXPECT_EQ(rig.files.Entry(4)->smallIcon->name, "small:txt");

    // One file: no per-file bar.
    rig.window.prompts.openAnswers.push_back({Local("three.txt", 3)});
    rig.commands.Upload();
    const auto after = Log();
    EXPECT_EQ(std::count(after.begin(), after.end(), "filebar 1"), 1);
}

TEST_F(UploadTest, AnExistingEntryChangesSizeAndAddsNoRow) {
    rig.List(kListing, "/a/mobile/");
    rig.window.prompts.openAnswers.push_back({Local("old.txt", 2000)});
    rig.commands.Upload();
    EXPECT_EQ(rig.files.Count(), 3);
    EXPECT_EQ(rig.list.RowCount(), 1);
    EXPECT_EQ(rig.files.Entry(0)->size, 2000);
    // The phone kept the attributes (FF FF FF FF), and so does the row.
    EXPECT_EQ(rig.list.Rows()[0].cells[kColumnAttributes], "33");
    EXPECT_EQ(rig.list.Rows()[0].cells[kColumnSize], "2000");
}

TEST_F(UploadTest, ChecksBeforeAnythingIsSent) {
    // An empty upload path: no dialog.
    rig.commands.Upload();
    EXPECT_EQ(rig.window.prompts.Texts(),
              std::vector<std::string>{"Path not selected, select directory on tree."});
    EXPECT_TRUE(rig.window.prompts.openRequests.empty());

    // Cancelled.
    rig.List(kListing, "/a/mobile/");
    rig.commands.Upload();
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart), "Upload canceled");

    // T equal to F passes; one byte above does not.
    rig.upload.volumes.SetCachedFreeSpace(1000);
    rig.window.prompts.openAnswers.push_back({Local("a.bin", 600), Local("b.bin", 401)});
    rig.commands.Upload();
    EXPECT_EQ(rig.window.prompts.Texts().back(),
              "Insufficient free space, file(s) too big.\nFile(s) size: 1001 bytes\n"
              "Free space: 1000 bytes\nLack: 1 byte");
    EXPECT_EQ(rig.window.prompts.Boxes().back().icon, PromptIcon::Information);
    EXPECT_TRUE(Sent().empty());
    rig.window.prompts.openAnswers.push_back({Local("a.bin", 600), Local("b.bin", 400)});
    rig.commands.Upload();
    EXPECT_EQ(rig.files.Count(), 5);
    EXPECT_EQ(Log().back(), "enable 1 1");
}

TEST_F(UploadTest, NoDeviceWithTwoFilesTellsEachAndSendsNothing) {
    rig.List(kListing, "/a/mobile/");
    rig.window.device.reset();
    rig.window.prompts.openAnswers.push_back({Local("a.bin", 6), Local("b.bin", 4)});
    rig.commands.Upload();
    EXPECT_EQ(rig.window.prompts.Texts(),
              (std::vector<std::string>{"Device not selected.", "Device not selected."}));
    EXPECT_EQ(rig.window.prompts.Boxes()[0].icon, PromptIcon::Stop);
    EXPECT_TRUE(pst.Calls("PSTSendCommand").empty());
    EXPECT_EQ(Log().back(), "enable 1 1");
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart), "Operation failed!!!");
    EXPECT_EQ(rig.upload.freeSpaceQueries, 0);
}

TEST_F(UploadTest, RefusalsOfEachRequestEndTheJobAndLeaveNoFileOpen) {
    struct Row {
        int failingSend;  // 1 open, 2 first write, 3 second write's close, ...
        const char* text;
        std::size_t sends;
        std::int32_t listed;  // -1: not listed
    };
    // A refused write leaves a partial file: deleted, and the box says so.
    const Row rows[] = {{1, "Can't open file", 1, -1},
                        {3,
                         "Can't write to opened file, restart phone.\nf.bin was not uploaded "
                         "whole: 1024 of 1500 bytes had reached the phone, and the partial file "
                         "was deleted.",
                         5, -1},
                        {4, "Can't close opened file, restart phone", 4, 1500}};
    for (const Row& row : rows) {
        pst.ClearCalls();
        rig.window.prompts.Clear();
        rig.List(kListing, "/a/mobile/");
        for (int i = 1; i < row.failingSend; ++i) pst.QueueReply("FSAC", {});
        pst.QueueReply("FSAC", test::ScriptedReply::Failure(1));
        rig.window.prompts.openAnswers.push_back({Local("f.bin", 1500), Local("g.bin", 1)});
        rig.commands.Upload();
        const auto sent = Sent();
        ASSERT_EQ(sent.size(), row.sends) << row.text;
        if (row.failingSend == 3) {
            EXPECT_EQ(sent[3], (Bytes{0, 0, 0, 4})) << "closed anyway";
            EXPECT_EQ(sent.back()[3], 5) << "then deleted";
        }
        EXPECT_EQ(rig.window.prompts.Texts(), std::vector<std::string>{row.text});
        EXPECT_EQ(rig.window.prompts.Boxes()[0].title, "Phone interface");
        const std::int32_t found = rig.files.Find("/a/mobile/f.bin");
        EXPECT_EQ(found >= 0 ? rig.files.Entry(found)->size : -1, row.listed) << row.text;
        EXPECT_LT(rig.files.Find("/a/mobile/g.bin"), 0);
        EXPECT_EQ(Log().back(), "filebar 0");
        EXPECT_EQ(rig.upload.freeSpaceQueries, 0);
    }
}

TEST_F(UploadTest, NamesThePhoneCannotHoldAreSkippedWithAMessage) {
    // A folder the phone wrote in its code page, as the listing takes it in.
    const std::string phoneFolder = "/a/\xCF\xE0\xEF\xEA\xE0/";
    rig.List({EntryFromRecord({phoneFolder + "x.txt", 0, 0, 1}, false)}, "/a/Папка/");
    rig.window.prompts.openAnswers.push_back({Local("日.txt", 1), Local("мелодия.mid", 2)});
    rig.commands.Upload();
    ASSERT_EQ(rig.window.prompts.Texts().size(), 1u);
    EXPECT_NE(rig.window.prompts.Texts()[0].find("\"日\""), std::string::npos);
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(std::string(sent[0].begin() + 8, sent[0].begin() + 8 + 20),
              phoneFolder + "\xEC\xE5\xEB\xEE\xE4\xE8\xFF.mid");
}

TEST_F(UploadTest, OnAPhoneWithoutFoldersThePathIsTheBareName) {
    rig.upload.volumes.SetFileSystemFlag(1);
    rig.tree.SetVolumeTable({"FLASH"});
    rig.List({Entry("FLASH/x.txt", 1)}, "FLASH/");
    rig.window.prompts.openAnswers.push_back({Local("x.txt", 7)});
    rig.commands.Upload();
    const auto sent = Sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(std::string(sent[0].begin() + 8, sent[0].begin() + 14), std::string("x.txt\0", 6));
    EXPECT_EQ(rig.files.Entry(0)->size, 7) << "the listed FLASH/x.txt is that file";
    EXPECT_EQ(rig.files.Count(), 1);
}

TEST_F(UploadTest, InterruptInTheSecondOfThreeFiles) {
    rig.List(kListing, "/a/mobile/");
    rig.window.onPosition = [](std::int32_t position) {
        if (position == 2000 + 1024) StopFlag.store(kStopRequested);
    };
    rig.window.prompts.openAnswers.push_back(
        {Local("1.bin", 2000), Local("2.bin", 3000), Local("3.bin", 10)});
    rig.commands.Upload();
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart), "Uploading was interrupted by user");
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 4u + 4u);  // open, 2 writes, close; open, 1 write, close, delete
    EXPECT_EQ(sent[6], (Bytes{0, 0, 0, 4}));
    EXPECT_EQ(std::string(sent.back().begin() + 4, sent.back().begin() + 19), "/a/mobile/2.bin");
    // The partial file is gone from the phone and the list, and the user is told; the third
    // was never sent.
    EXPECT_EQ(rig.window.prompts.Texts(),
              std::vector<std::string>{"2.bin was not uploaded whole: 1024 of 3000 bytes had "
                                       "reached the phone, and the partial file was deleted."});
    EXPECT_LT(rig.files.Find("/a/mobile/2.bin"), 0);
    EXPECT_GE(rig.files.Find("/a/mobile/1.bin"), 0);
    EXPECT_LT(rig.files.Find("/a/mobile/3.bin"), 0);
    EXPECT_EQ(rig.upload.freeSpaceQueries, 1);
    EXPECT_EQ(Log().back(), "enable 1 1");
}

// A file the list holds, or a name an earlier file of the job took, is replaced only when the
// user says so; Keep both gives the next free "name (n)".
TEST_F(UploadTest, ReplacingAskedFirst) {
    struct Row {
        ConflictAnswer answer;
        std::vector<std::string> opened;  // paths of the open requests
        std::int32_t oldSize;             // old.txt's entry afterwards
        const char* status;
    };
    const Row rows[] = {
        {{ConflictChoice::Replace, false}, {"/a/mobile/old.txt"}, 2000, "bytes wrote."},
        {{ConflictChoice::KeepBoth, false}, {"/a/mobile/old (2).txt"}, 5, "bytes wrote."},
        {{ConflictChoice::Skip, false}, {}, 5, "Writing file to phone..."},
        {{ConflictChoice::Cancel, false}, {}, 5, "Uploading was interrupted by user"},
    };
    for (const Row& row : rows) {
        pst.ClearCalls();
        rig.window.prompts.Clear();
        rig.List(kListing, "/a/mobile/");
        rig.window.prompts.conflictAnswers = {row.answer};
        rig.window.prompts.openAnswers.push_back({Local("old.txt", 2000)});
        rig.commands.Upload();
        std::vector<std::string> opened;
        for (const auto& request : Sent()) {
            if (request[3] == 0) opened.emplace_back(reinterpret_cast<const char*>(&request[8]));
        }
        EXPECT_EQ(opened, row.opened);
        const auto asked = rig.window.prompts.Conflicts();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].text,
                  "The phone folder /a/mobile/ already has a file named \"old.txt\" (5 bytes).\n"
                  "Replace it? If the upload stops before its end, the phone's earlier copy is "
                  "lost.");
        EXPECT_EQ(rig.files.Entry(rig.files.Find("/a/mobile/old.txt"))->size, row.oldSize);
        EXPECT_NE(rig.window.status.Text(kStatusMessagePart).find(row.status), std::string::npos);
        EXPECT_EQ(StopFlag.load(), kStopRequested);
    }
    // A refused first write leaves the replaced file as it was, and says so.
    pst.ClearCalls();
    rig.window.prompts.Clear();
    rig.List(kListing, "/a/mobile/");
    pst.QueueReply("FSAC", {});
    pst.QueueReply("FSAC", test::ScriptedReply::Failure(1));
    rig.window.prompts.openAnswers.push_back({Local("old.txt", 2000)});
    rig.commands.Upload();
    EXPECT_EQ(rig.window.prompts.Texts(),
              std::vector<std::string>{"Can't write to opened file, restart phone."});
    EXPECT_EQ(rig.files.Entry(rig.files.Find("/a/mobile/old.txt"))->size, 5);
    EXPECT_EQ(Sent().back(), (Bytes{0, 0, 0, 4})) << "closed, not deleted";

    // Two dropped files of one name never become one file: the second is asked about without
    // Replace, and "for the rest" answers the third.
    pst.ClearCalls();
    rig.window.prompts.Clear();
    rig.List(kListing, "/a/mobile/");
    fs::create_directories(local.path() / "x");
    fs::create_directories(local.path() / "y");
    rig.window.prompts.conflictAnswers = {{ConflictChoice::KeepBoth, true}};
    rig.commands.Drop({Local("n.txt", 1), Local("x/n.txt", 2), Local("y/n.txt", 3)});
    ASSERT_EQ(rig.window.prompts.Conflicts().size(), 1u);
    EXPECT_FALSE(rig.window.prompts.Conflicts()[0].replaceOffered);
    EXPECT_TRUE(rig.window.prompts.Conflicts()[0].moreToCome);
    EXPECT_EQ(rig.files.Entry(rig.files.Find("/a/mobile/n.txt"))->size, 1);
    EXPECT_EQ(rig.files.Entry(rig.files.Find("/a/mobile/n (2).txt"))->size, 2);
    EXPECT_EQ(rig.files.Entry(rig.files.Find("/a/mobile/n (3).txt"))->size, 3);
}

TEST_F(UploadTest, DroppedFiles) {
    // On the root "Volumes": message 102, nothing sent.
    rig.List(kListing, "");
    rig.commands.Drop({Local("d.txt", 3)});
    EXPECT_EQ(rig.window.prompts.Texts(),
              std::vector<std::string>{"Path not selected, select directory on tree."});

    // During another job: no job and no box, only the reason in the status bar.
    rig.window.prompts.Clear();
    rig.jobBusy = [] { return true; };
    int started = 0;
    rig.startJob = [&](std::function<void()>) { return ++started, false; };
    rig.commands.Drop({Local("d.txt", 3)});
    EXPECT_EQ(started, 0);
    EXPECT_TRUE(rig.window.prompts.Boxes().empty());
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart),
              "Another operation is running; drop the files again later.");
    rig.jobBusy = [] { return false; };
    rig.startJob = [](std::function<void()> worker) { return worker(), true; };

    // A folder is named and left; the tree changing during the job leaves the destination.
    rig.SelectPath("/a/mobile/");
    rig.window.onPosition = [&](std::int32_t position) {
        if (position == 3) rig.SelectPath("/a/other/");
    };
    fs::create_directory(local.path() / "folder");
    rig.commands.Drop({Local("d.txt", 3), (local.path() / "folder").string(), Local("e.txt", 4)});
    ASSERT_EQ(rig.window.prompts.Texts().size(), 1u);
    EXPECT_NE(rig.window.prompts.Texts()[0].find("folder: is a folder"), std::string::npos);
    EXPECT_GE(rig.files.Find("/a/mobile/d.txt"), 0);
    EXPECT_GE(rig.files.Find("/a/mobile/e.txt"), 0);
    // The new rows show although another folder is selected now.
    ASSERT_GE(rig.list.RowCount(), 2);
    EXPECT_EQ(rig.list.Rows().back().cells[kColumnName], "e.txt");
}

class FillTest : public UploadTest {
  protected:
    std::vector<std::uint32_t> WriteCounts() const {
        std::vector<std::uint32_t> counts;
        for (const auto& request : Sent()) {
            if (request[3] == 2) counts.push_back(static_cast<std::uint32_t>(request.size() - 8));
        }
        return counts;
    }
};

TEST_F(FillTest, TheAmountIsTheFreeSpaceLessTheBytesToLeave) {
    struct Row {
        std::int32_t freeSpace;
        const char* leave;
        std::vector<std::uint32_t> writes;  // empty: message 132
    };
    const Row rows[] = {{3000, "", {1024, 1024, 952}}, {3000, "3000", {}},
                        {3000, "2999", {1}},           {2048, "0", {1024, 1024}},
                        {2049, "0", {1024, 1024, 1}},  {10, "99999999999999999999999", {}}};
    for (const Row& row : rows) {
        pst.ClearCalls();
        rig.window.prompts.Clear();
        rig.List(kListing, "/a/");
        rig.upload.volumes.SetCachedFreeSpace(row.freeSpace);
        rig.upload.leaveBytes = row.leave;
        rig.commands.FillSpace();
        EXPECT_EQ(WriteCounts(), row.writes) << row.leave;
        if (row.writes.empty()) {
            EXPECT_EQ(
                rig.window.prompts.Texts(),
                std::vector<std::string>{"Free space is equal or less than you typed to leave."});
            EXPECT_TRUE(Sent().empty());
            continue;
        }
        const Bytes open = Sent().front();
        EXPECT_EQ(Bytes(open.begin(), open.begin() + 8), (Bytes{0, 0, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(rig.window.range, row.freeSpace - std::stoi(row.leave[0] ? row.leave : "0"));
        EXPECT_EQ(rig.list.RowCount(), 0) << "no new row";
    }
    EXPECT_EQ(rig.files.Count(), 3);
}

TEST_F(FillTest, NamesAndVolumes) {
    rig.upload.volumes.SetCachedFreeSpace(10);
    auto openedPath = [&] {
        const Bytes open = Sent().front();
        return std::string(open.begin() + 8, std::find(open.begin() + 8, open.end(), 0));
    };
    // What the generator draws first after the job seeds it with the time.
    test::FakeClock draws;
    draws.Seed(static_cast<unsigned>(rig.clock.now));
    const std::string first = "fillspace_" + std::to_string(draws.Rand()) + ".rnd";
    const std::string second = "fillspace_" + std::to_string(draws.Rand()) + ".rnd";

    // A listed file of the drawn name is never replaced.
    rig.List({Entry("/b/" + first, 1)}, "/b/");
    rig.upload.volumes.SetCurrentVolumeLetter('b');
    rig.commands.FillSpace();
    EXPECT_EQ(openedPath(), "/b/" + second);

    // One volume: /a/ whatever is selected.
    pst.ClearCalls();
    rig.upload.volumes.SetVolumeCount(1);
    rig.commands.FillSpace();
    EXPECT_EQ(openedPath(), "/a/" + first);

    // Several volumes and the root selected: message 131.
    pst.ClearCalls();
    rig.upload.volumes.SetVolumeCount(2);
    rig.SelectPath("");
    rig.commands.FillSpace();
    EXPECT_EQ(rig.window.prompts.Texts().back(), "Volume not selected, select volume on tree");
    EXPECT_TRUE(Sent().empty());
}

TEST_F(FillTest, ARefusedWriteStillClosesAndInterruptReadsTheFreeSpace) {
    rig.List(kListing, "/a/");
    rig.upload.volumes.SetCachedFreeSpace(5000);
    pst.QueueReply("FSAC", {});
    pst.QueueReply("FSAC", test::ScriptedReply::Failure(1));
    rig.commands.FillSpace();
    EXPECT_EQ(Sent().size(), 3u);
    EXPECT_EQ(Sent().back(), (Bytes{0, 0, 0, 4}));
    EXPECT_EQ(rig.window.prompts.Texts().back(), "Can't write to opened file, restart phone.");
    EXPECT_EQ(rig.upload.freeSpaceQueries, 0);

    pst.ClearCalls();
    rig.window.onPosition = [](std::int32_t position) {
        if (position == 2048) StopFlag.store(kStopRequested);
    };
    rig.commands.FillSpace();
    EXPECT_EQ(WriteCounts(), (std::vector<std::uint32_t>{1024, 1024}));
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart), "Writing data was interrupted by user");
    EXPECT_EQ(rig.upload.freeSpaceQueries, 1);
}

// The same jobs on the emulated phone: what lands in its image.
class UploadSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLanguageIndex(kLanguageEnglish);
        StopFlag.store(kStopRequested);
        SimPhoneConfig phone = test::TestPhone(image.path());
        phone.volumes = {{'a', 10000}, {'b', 100000}};
        SimConfig config;
        config.phones = {phone};
        sim = std::make_unique<SimulatedPst>(config);
        ASSERT_EQ(sim->PSTInitializeEx(kInterfaceUsb, &sink), 0);
        rig = std::make_unique<test::UploadRig>(*sim);
        rig->upload.onRefresh = [this] {
            sim->WithPhone(1, [&](SimPhone& p) {
                rig->upload.volumes.SetCachedFreeSpace(static_cast<std::int32_t>(p.FreeSpace('a')));
            });
        };
    }
    test::NoSink sink;
    test::TempFolder image{"image"};
    test::TempFolder local{"local"};
    std::unique_ptr<SimulatedPst> sim;
    std::unique_ptr<test::UploadRig> rig;
};

TEST_F(UploadSimTest, AFullPhoneRefusesAndTheNextUploadStillOpens) {
    const fs::path big = local.path() / "big.bin";
    std::ofstream(big, std::ios::binary) << std::string(12000, 'b');
    rig->List({Entry("/a/x.txt", 0)}, "/a/");
    rig->upload.volumes.SetCachedFreeSpace(20000);  // stale: the phone has 10000
    rig->window.prompts.openAnswers.push_back({big.string()});
    rig->commands.Upload();
    // Nine whole chunks reached the phone; the partial file is deleted, on the phone and in the
    // list.
    EXPECT_EQ(rig->window.prompts.Texts().back(),
              "Can't write to opened file, restart phone.\nbig.bin was not uploaded whole: 9216 "
              "of 12000 bytes had reached the phone, and the partial file was deleted.");
    EXPECT_FALSE(fs::exists(image.path() / "a" / "big.bin"));
    EXPECT_LT(rig->files.Find("/a/big.bin"), 0);

    const fs::path small = local.path() / "small.bin";
    std::ofstream(small, std::ios::binary) << "fits";
    rig->window.prompts.openAnswers.push_back({small.string()});
    rig->commands.Upload();
    EXPECT_EQ(fs::file_size(image.path() / "a" / "small.bin"), 4u);
    EXPECT_EQ(rig->upload.volumes.CachedFreeSpace(), 10000 - 4);

    // Fill leaves exactly what was asked.
    rig->upload.leaveBytes = "100";
    rig->commands.FillSpace();
    EXPECT_EQ(rig->upload.volumes.CachedFreeSpace(), 100);
}

}  // namespace
}  // namespace velmora
