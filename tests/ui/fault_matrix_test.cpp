// Every job under every fault the emulated phone can inject, and under an Interrupt at its
// first, a middle and its last chunk or file: what the user sees (boxes, status), the window
// it leaves (lock released, per-file bar hidden, StopFlag 1, a next job that runs), and
// whether the file list, the rows and the phone still agree. The whole window runs headless
// on the emulated phone, each job on a worker thread of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/lang_string.h"
#include "fsac/file_list.h"
#include "fsac/file_search.h"
#include "fsac/fsac_records.h"
#include "fsac/search_replies.h"
#include "phone/open_channel.h"
#include "sim/simulated_pst.h"
#include "support/fakes.h"
#include "support/pumped_ui_thread.h"
#include "support/recording_shell.h"
#include "support/temp_folder.h"
#include "support/watched_pst.h"
#include "transfer/job.h"
#include "transfer/phone_file_reader.h"
#include "transfer/stop_flag.h"
#include "transfer/upload_journal.h"
#include "ui/file_commands.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"
#include "ui/main_window_jobs.h"
#include "ui/properties_model.h"
#include "ui/session_tree.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t kDevice = 1;
constexpr auto kJobLimit = std::chrono::seconds(30);

// What the phone holds at the start of every case: a few files of a few chunks each, on two
// volumes, so that a job has a first, a middle and a last chunk, entry and file.
const std::map<std::string, std::size_t>& PhoneFiles() {
    static const std::map<std::string, std::size_t> files{
        {"/a/mobile/audio/ring.mid", 2500},
        {"/a/mobile/picture/logo.bin", 3000},
        {"/a/mobile/picture/tiny.bin", 10},
        {"/a/mobile/picture/wall.bin", 1500},
        {"/a/notes.txt", 1024},
        {"/b/music/song.bin", 2100},
    };
    return files;
}

enum class Fault {
    None,
    LibraryStart,     // the library fails its start: nothing is ready
    InterfaceHandle,  // the interface handle is refused
    TestCmdInit,      // the test-command initialisation is refused
    OpenRefused,      // the job's first request (open, search start) is refused
    DataFirst,        // read, write or search next refused at the first chunk
    DataMiddle,       // ... at a middle chunk
    CloseRefused,
    ZeroByteReplies,  // reads (or search next) answered with no bytes
    OverlongReplies,  // reads (or search next) report more than the buffer holds
    DetachMidFile,    // the phone goes in the middle of the job's data
    InterruptFirst,   // the user presses Interrupt after the first chunk or file
    InterruptMiddle,
    InterruptLast,
};

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::None:
            return "no fault";
        case Fault::LibraryStart:
            return "library start fails";
        case Fault::InterfaceHandle:
            return "interface handle refused";
        case Fault::TestCmdInit:
            return "test-command initialisation refused";
        case Fault::OpenRefused:
            return "open refused";
        case Fault::DataFirst:
            return "data refused at the first chunk";
        case Fault::DataMiddle:
            return "data refused at a middle chunk";
        case Fault::CloseRefused:
            return "close refused";
        case Fault::ZeroByteReplies:
            return "zero-byte replies";
        case Fault::OverlongReplies:
            return "over-long replies";
        case Fault::DetachMidFile:
            return "phone detached mid-job";
        case Fault::InterruptFirst:
            return "interrupt at the first chunk";
        case Fault::InterruptMiddle:
            return "interrupt at a middle chunk";
        case Fault::InterruptLast:
            return "interrupt at the last chunk";
    }
    return "?";
}

struct Box {
    std::string text;
    std::string title;
    PromptIcon icon = PromptIcon::Stop;
};

Box StringBox(int id, const char* title, PromptIcon icon = PromptIcon::Stop) {
    return {LoadLangString(id), title, icon};
}

class World;

// One case: a job started the way the user starts it, under one fault.
struct Case {
    std::string job;
    Fault fault = Fault::None;
    // Set right before the job starts; counting starts there.
    FaultPlan plan;
    // Interrupt pressed right after the nth request of op.
    std::uint32_t interruptOp = 0;
    int interruptAfter = 0;
    // What the user does before the job (a listing to pick from, a selection, answers).
    std::function<void(World&)> prepare;
    // The click that starts the job.
    std::function<void(World&)> start;
    // What the user must see.
    std::vector<Box> boxes;
    std::string status;
    int statusPart = kStatusMessagePart;
    // The job's own after-state (local files, the list's contents).
    std::function<void(World&)> check;
    // What the next listing asks: a partial file the job could not delete.
    std::vector<std::string> nextBoxes;
};

// The whole window on one emulated phone: the window's thread is the test's, jobs run on
// threads of their own.
class World {
  public:
    World(const fs::path& folder, bool libraryFails) : m_folder(folder) {
        SimPhoneConfig phone;
        phone.deviceId = kDevice;
        phone.image = folder / "phone";
        phone.volumes = {{'a', 1 << 20}, {'b', 1 << 20}};
        SimConfig config;
        config.phones = {phone};
        pst = std::make_unique<SimulatedPst>(std::move(config));
        for (const auto& [path, size] : PhoneFiles()) {
            std::vector<std::uint8_t> contents(size);
            for (std::size_t i = 0; i < size; ++i) contents[i] = static_cast<std::uint8_t>(i * 7);
            pst->WithPhone(kDevice, [&](SimPhone& p) { p.PutFile(path, contents); });
        }
        library = std::make_unique<test::WatchedPst>(*pst);
        if (libraryFails) {
            FaultPlan plan;
            plan.failInitialize = true;
            pst->SetFaultPlan(plan);
        }
        window = std::make_unique<MainWindow>(
            MainWindowPorts{*library, user, prompts, *ui, shell, "/opt/velmora/"}, view);
        window->AttachSessionTree(&sessionTree);
        journal = std::make_unique<UploadJournal>((folder / "state").string() + "/");
        MainWindowJobsParts parts{*window,
                                  *library,
                                  user,
                                  TheFileList(),
                                  tree,
                                  rows,
                                  icons,
                                  shell,
                                  [this](PropertiesModel& model) {
                                      if (!properties) return false;
                                      properties(model);
                                      return true;
                                  },
                                  &clock,
                                  (folder / "open").string() + "/"};
        parts.journal = journal.get();
        jobs = std::make_unique<MainWindowJobs>(std::move(parts));
        window->Start();
        pst->SetFaultPlan({});
        Poll();
    }
    ~World() {
        // A worker still running reaches nothing of this world.
        StopFlag.store(kStopRequested);
        Jobs().WaitUntilIdle(kJobLimit);
        jobs.reset();
        window.reset();
        TheFileList().Release();
    }

    // What the notification and the poll timer bring: the device list and the volumes.
    void Poll() {
        window->OnEvent(WindowEvent::DeviceListChanged);
        window->OnEvent(WindowEvent::Timer, kPollTimer);
        PumpUntilIdle();
    }

    // Runs the window's thread until no job or query runs.
    void PumpUntilIdle() { ASSERT_TRUE(ui->PumpUntilIdle(kJobLimit)); }

    void Click(int id) {
        window->Click(id);
        PumpUntilIdle();
    }

    // The user presses Interrupt: only an enabled button can be pressed.
    void PressInterrupt() {
        ui->Invoke([this] {
            interruptEnabled = window->Control(kIdInterrupt).enabled;
            window->Click(kIdInterrupt);
        });
    }

    NodeId Node(const std::string& path) const {
        NodeId node = tree.FindChild(tree.Root(), path.substr(0, 2));
        std::size_t at = 3;
        while (node != kNoNode && at < path.size()) {
            const auto slash = path.find('/', at);
            const std::string name = path.substr(at, slash - at);
            const_cast<VolumeTree&>(tree).Expand(node);
            node = tree.FindChild(node, name);
            at = slash == std::string::npos ? path.size() : slash + 1;
        }
        return node;
    }

    // The phone's files as its image holds them: path and size.
    std::map<std::string, std::uintmax_t> ImageFiles() const {
        std::map<std::string, std::uintmax_t> files;
        const fs::path image = m_folder / "phone";
        for (const auto& item : fs::recursive_directory_iterator(image)) {
            if (!item.is_regular_file() || item.path().filename() == kSimIndexFileName) continue;
            files["/" + item.path().lexically_relative(image).generic_string()] = item.file_size();
        }
        return files;
    }

    // The attribute word the phone keeps for a file; nothing for a file it does not hold.
    std::optional<std::uint16_t> ImageAttributes(const std::string& path) const {
        std::optional<std::uint16_t> attributes;
        pst->WithPhone(kDevice, [&](SimPhone& phone) {
            if (const auto info = phone.Info(path)) attributes = info->attributes;
        });
        return attributes;
    }

    const fs::path& folder() const { return m_folder; }

    std::unique_ptr<SimulatedPst> pst;
    std::unique_ptr<test::WatchedPst> library;
    test::MemorySettingsStore user;
    test::FakePrompts prompts;
    std::shared_ptr<test::PumpedUiThread> ui = std::make_shared<test::PumpedUiThread>();
    test::RecordingShell shell;
    test::FakeClock clock;
    test::FakeMainWindowView view;
    VolumeTree tree{prompts, TheFileList()};
    FileRows rows;
    BrowsingSessionTree sessionTree{tree, rows};
    test::NamingIconSource icons;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<UploadJournal> journal;
    std::unique_ptr<MainWindowJobs> jobs;
    // What the user does in the Properties dialog before OK; none: Cancel.
    std::function<void(PropertiesModel&)> properties;
    std::optional<bool> interruptEnabled;

  private:
    fs::path m_folder;
};

// ---- what must hold after every case ----

// Every entry counted is a file the phone holds, with its size; every row shows an entry
// counted; a folder view shows every counted entry of its folder.
void ExpectListAgreesWithPhone(const World& world) {
    const auto image = world.ImageFiles();
    // Without storage the count is the last search's, and nothing reads it.
    if (TheFileList().HasStorage()) {
        ASSERT_LE(TheFileList().Count(), TheFileList().StorageSize())
            << "the count announces entries the list does not hold";
    }
    const auto entries = TheFileList().Snapshot(TheFileList().Count());
    for (const auto& entry : entries) {
        const auto held = image.find(entry.path);
        ASSERT_NE(held, image.end())
            << "an entry for a file the phone does not hold: " << entry.path;
        EXPECT_EQ(static_cast<std::uintmax_t>(entry.size), held->second) << entry.path;
        EXPECT_EQ(world.ImageAttributes(entry.path), entry.attributes) << entry.path;
    }
    const auto& rows = world.rows.Rows();
    if (world.rows.DisplayMode() == kDisplayFlat) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            ASSERT_LT(i, entries.size()) << "a row beyond the entries";
            EXPECT_EQ(rows[i].cells[kColumnName], entries[i].path);
        }
        return;
    }
    const std::string folder = world.window->Control(kIdUploadPath).text;
    if (folder.empty()) {
        EXPECT_TRUE(rows.empty());
        return;
    }
    const auto matches = MatchFolder(entries, folder);
    ASSERT_EQ(rows.size(), matches.size()) << "rows lost or invented in " << folder;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].cells[kColumnName], matches[i].name);
        EXPECT_EQ(rows[i].cells[kColumnEntryIndex], std::to_string(matches[i].entryIndex));
    }
}

void ExpectWindowReleased(const World& world, bool libraryReady) {
    const MainWindow& w = *world.window;
    for (int id : {kIdGetFileList, kIdSearch, kIdDownload, kIdUpload, kIdDelete, kIdFillSpace,
                   kIdDeviceList}) {
        EXPECT_EQ(w.Control(id).enabled, libraryReady) << "control " << id;
    }
    // Without the library the window starts locked, Interrupt on.
    EXPECT_EQ(w.Control(kIdInterrupt).enabled, !libraryReady);
    EXPECT_FALSE(w.Control(kIdFileProgress).visible);
    EXPECT_TRUE(w.MenuEnabled(kCmdUsb));
    EXPECT_EQ(StopFlag.load(), kStopRequested);
}

// A plain listing of /a after the case: it must run as on a fresh window.
void ExpectNextJobRuns(World& world, const std::vector<std::string>& boxes) {
    world.pst->SetFaultPlan({});
    world.library->ClearHook();
    if (world.pst->AttachPhone(kDevice)) world.Poll();
    world.prompts.Clear();
    world.window->Phone().State().SetCurrentVolumeLetter('a');
    world.Click(kIdGetFileList);
    EXPECT_EQ(world.prompts.Texts(), boxes);
    std::vector<std::string> read;
    for (const auto& entry : TheFileList().Snapshot(TheFileList().Count())) {
        read.push_back(entry.path);
    }
    std::vector<std::string> onA;
    for (const auto& [path, size] : world.ImageFiles()) {
        if (path.starts_with("/a/")) onA.push_back(path);
    }
    EXPECT_EQ(read, onA);
    ExpectWindowReleased(world, true);
}

void RunCase(const Case& c, const fs::path& folder) {
    SCOPED_TRACE(c.job + " / " + FaultName(c.fault));
    StopFlag.store(kStopRequested);
    TheFileList().Release();
    TheFileList().SetCount(0);  // as the program starts
    const bool libraryFails = c.fault == Fault::LibraryStart;
    World world(folder, libraryFails);
    ASSERT_EQ(world.window->LibraryReady(), !libraryFails);
    if (!libraryFails) {
        ASSERT_TRUE(world.window->SelectedDevice().has_value());
    }
    if (c.prepare) c.prepare(world);
    world.prompts.Clear();
    world.library->Clear();

    world.pst->SetFaultPlan(c.plan);
    if (c.interruptAfter > 0) {
        world.library->AfterRequest(c.interruptOp, c.interruptAfter,
                                    [&world] { world.PressInterrupt(); });
    }
    c.start(world);
    world.pst->SetFaultPlan({});
    world.library->ClearHook();

    if (c.interruptAfter > 0) {
        EXPECT_EQ(world.interruptEnabled, true) << "Interrupt was not there to press";
        // The request in flight is the last one.
        EXPECT_EQ(world.library->Count(c.interruptOp), c.interruptAfter);
    }
    const auto boxes = world.prompts.Boxes();
    ASSERT_EQ(boxes.size(), c.boxes.size()) << [&] {
        std::string seen;
        for (const auto& box : boxes) seen += "\n  \"" + box.text + "\" / " + box.title;
        return "boxes seen:" + seen;
    }();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].text, c.boxes[i].text) << "box " << i;
        EXPECT_EQ(boxes[i].title, c.boxes[i].title) << "box " << i;
        EXPECT_EQ(boxes[i].icon, c.boxes[i].icon) << "box " << i;
    }
    EXPECT_EQ(world.window->StatusPart(c.statusPart).text, c.status);
    ExpectWindowReleased(world, !libraryFails);
    ExpectListAgreesWithPhone(world);
    if (c.check) c.check(world);
    if (!libraryFails) ExpectNextJobRuns(world, c.nextBoxes);
}

// ---- the rows: one producer per job ----

FaultPlan FailOp(FsacOp op, int nth) {
    FaultPlan plan;
    plan.failSendCommand = kFsacCommand;
    plan.failSendOp = static_cast<std::uint32_t>(op);
    plan.failSendNumber = nth;
    return plan;
}

std::string ReadingInterrupted() {
    return LoadLangString(kStrReadingInterrupted);
}

std::string Progress(std::int32_t done, std::int32_t count) {
    return ReadingProgressText(done, count);
}

// Get File List (/a, 4 entries) and Search ("*.bin", 3 entries over both volumes): the
// reader's requests are search start, then one search next per entry.
// endBoxes: what the commands the reader's end runs show with the test-command
// initialisation refused.
std::vector<Case> ReadingRows(const std::string& job, int entries,
                              const std::function<void(World&)>& prepare, int startButton,
                              const std::function<void(World&, int read, bool shown)>& shown,
                              const std::vector<Box>& endBoxes, const std::string& endStatus) {
    const auto start = [startButton](World& w) { w.Click(startButton); };
    const Box modelRefused = StringBox(kStrCantGetPhoneInterface, "Phone Interface");
    const Box searchHandle = StringBox(kStrCantGetPhoneInterface, "Interface error");
    const Box entryRefused = StringBox(kStrCantGetFileInformation, "Phone interface");
    const std::string failed = LoadLangString(kStrOperationFailed);
    const int middle = (entries + 1) / 2;
    const auto searchNext = static_cast<std::uint32_t>(FsacOp::SearchNext);

    std::vector<Case> rows;
    // read: the entries that stay; a reader that did not fail shows them.
    auto add = [&](Fault fault, FaultPlan plan, std::vector<Box> boxes, std::string status,
                   int read) {
        const bool ended = status != failed || fault == Fault::TestCmdInit;
        Case c;
        c.job = job;
        c.fault = fault;
        c.plan = std::move(plan);
        c.prepare = prepare;
        c.start = start;
        c.boxes = std::move(boxes);
        c.status = std::move(status);
        c.check = [shown, read, ended](World& w) { shown(w, read, ended); };
        rows.push_back(std::move(c));
    };

    add(Fault::None, {}, {}, Progress(entries, entries), entries);
    add(Fault::LibraryStart, {}, {StringBox(kStrCantInitPhoneInterface, "Phone interface")}, failed,
        0);
    {
        FaultPlan plan;
        plan.failGetInterfaceHandle = true;
        // The model query and the version display go first, each on its own channel.
        add(Fault::InterfaceHandle, plan, {modelRefused, modelRefused, searchHandle}, failed, 0);
    }
    {
        FaultPlan plan;
        plan.failTestCmdInit = true;
        // The reader ignores the refusal; the model query before it does not.
        std::vector<Box> boxes{StringBox(kStrCantInitPhoneInterface, "Phone Interface")};
        boxes.insert(boxes.end(), endBoxes.begin(), endBoxes.end());
        add(Fault::TestCmdInit, plan, boxes, endStatus, entries);
    }
    add(Fault::OpenRefused, FailOp(FsacOp::SearchStart, 1),
        {StringBox(kStrFileSearchRequestError, "Phone Interface")}, failed, 0);
    add(Fault::DataFirst, FailOp(FsacOp::SearchNext, 1), {entryRefused}, failed, 0);
    add(Fault::DataMiddle, FailOp(FsacOp::SearchNext, middle), {entryRefused}, failed, middle - 1);
    {
        FaultPlan plan;
        plan.searchNext = SearchNextFault::Empty;
        add(Fault::ZeroByteReplies, plan, {entryRefused}, failed, 0);
    }
    {
        FaultPlan plan;
        plan.oversizeBy = 100;
        plan.oversizeOp = searchNext;
        // Only a read's reported length is read: the entries are whole in the buffer.
        add(Fault::OverlongReplies, plan, {}, Progress(entries, entries), entries);
    }
    {
        FaultPlan plan;
        plan.detachAfterSends = middle;
        plan.detachOp = searchNext;
        plan.detachDevice = kDevice;
        add(Fault::DetachMidFile, plan, {entryRefused}, failed, middle);
    }
    for (const auto& [fault, after] :
         {std::pair{Fault::InterruptFirst, 1}, std::pair{Fault::InterruptMiddle, middle},
          std::pair{Fault::InterruptLast, entries}}) {
        add(fault, {}, {}, ReadingInterrupted(), after);
        rows.back().interruptOp = searchNext;
        rows.back().interruptAfter = after;
    }
    return rows;
}

std::vector<Case> ListingRows() {
    auto prepare = [](World& w) { w.window->Phone().State().SetCurrentVolumeLetter('a'); };
    // The listing ends on /a, selected, its folders in the tree; an unfinished one shows
    // nothing of what it read.
    auto shown = [](World& w, int read, bool ended) {
        EXPECT_EQ(TheFileList().Count(), read);
        EXPECT_EQ(w.tree.EntryCount(), read);
        if (ended) {
            EXPECT_EQ(w.tree.Selection(), w.Node("/a"));
            if (read > 0) {
                EXPECT_NE(w.Node("/a/mobile"), kNoNode);
            }
        }
    };
    // Selecting /a at the end asks for its free space, which the refusal stops.
    return ReadingRows("listing", 5, prepare, kIdGetFileList, shown,
                       {StringBox(kStrCantInitPhoneInterface, "Phone Interface")},
                       LoadLangString(kStrOperationFailed));
}

std::vector<Case> SearchRows() {
    auto prepare = [](World& w) { w.window->ControlEdited(kIdSearchMask, "*.bin"); };
    auto shown = [](World& w, int read, bool ended) {
        EXPECT_EQ(TheFileList().Count(), read);
        EXPECT_EQ(w.tree.EntryCount(), read);
        // The flat list of more than one find; a single one selects a node of the tree.
        if (ended && read > 1) {
            EXPECT_EQ(w.rows.DisplayMode(), kDisplayFlat);
            EXPECT_EQ(w.rows.RowCount(), read);
        } else if (!ended) {
            EXPECT_EQ(w.rows.RowCount(), 0);
        }
    };
    return ReadingRows("search", 4, prepare, kIdSearch, shown, {}, Progress(4, 4));
}

// ---- the jobs that move or change files ----

const fs::path kDestination = "dest";  // the download folder, under the case's folder
const std::vector<std::string> kPictures{"logo.bin", "tiny.bin", "wall.bin"};
const char kPictureFolder[] = "/a/mobile/picture";
const char kLogoPath[] = "/a/mobile/picture/logo.bin";  // the first picture read

std::string PhoneBytes(const std::string& path) {
    std::string bytes(PhoneFiles().at(path), '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    return bytes;
}

std::string FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Only what the window offers can be clicked: a job's button is greyed while a job runs, and
// while the library is not ready.
void ClickEnabled(World& w, int id) {
    ASSERT_EQ(w.window->Control(id).enabled, w.window->LibraryReady()) << "control " << id;
    if (w.window->Control(id).enabled) w.Click(id);
}

// /a listed, its picture folder shown and rows selected, as the user leaves them before a
// download, a delete or Properties. Without the library there is nothing to list.
void ShowPictures(World& w, const std::vector<std::string>& selected) {
    if (!w.window->LibraryReady()) return;
    w.window->Phone().State().SetCurrentVolumeLetter('a');
    w.Click(kIdGetFileList);
    w.tree.Select(w.Node(kPictureFolder));
    ASSERT_EQ(w.rows.RowCount(), static_cast<int>(kPictures.size()));
    for (int i = 0; i < w.rows.RowCount(); ++i) {
        const auto& name = w.rows.Rows()[static_cast<std::size_t>(i)].cells[kColumnName];
        ASSERT_EQ(name, kPictures[static_cast<std::size_t>(i)]) << "rows in name order";
        w.rows.SetRowSelected(i, std::ranges::find(selected, name) != selected.end());
    }
}

// The texts a transfer's failures show, and its ends.
struct TransferTexts {
    Box handle = StringBox(kStrCantGetPhoneInterface, "Phone interface");
    Box open = StringBox(kStrCantOpenFile, "Phone interface");
    Box data;
    Box close = StringBox(kStrCantCloseFile, "Phone interface");
    std::string interrupted;
    std::string done;  // the last progress message of a whole job
};

// A job over units (chunks or files) and the request that moves each one: for every fault,
// what the user sees and which of the job's files were finished (in the job's own terms).
struct JobShape {
    std::string job;
    std::function<void(World&)> prepare;
    std::function<void(World&)> start;
    FsacOp open = FsacOp::Open;
    std::optional<FsacOp> data;  // the per-chunk request; none for jobs of whole files
    int dataMiddle = 0;          // the request refused "at a middle chunk"
    FsacOp unit = FsacOp::Read;  // what an interrupt counts
    std::array<int, 3> interruptAfter{};
    TransferTexts texts;
    int statusPart = kStatusMessagePart;
    // Finished units by fault; a fault not listed finishes nothing.
    std::map<Fault, std::vector<std::string>> finished;
    std::vector<std::string> all;
    // Shown before the job starts (a confirmation).
    std::vector<Box> leadBoxes;
    // Without the library: what the job's way in shows; a greyed button shows nothing.
    std::vector<Box> libraryStartBoxes;
    std::string libraryStartStatus;
    // A refused test-command initialisation: what the free-space query at the end adds, or
    // the job's own refusal when it checks the result.
    std::vector<Box> testCmdBoxes;
    bool testCmdChecked = false;
    // The boxes of these faults instead of the usual ones, and what the next listing asks.
    std::map<Fault, std::vector<Box>> boxesFor;
    std::map<Fault, std::vector<std::string>> nextBoxesFor;
    // A phone gone after the first unit: the next request, or the next file's handle.
    std::optional<Box> detachBox;
    std::function<void(World&, const std::vector<std::string>&)> check;
};

std::vector<Case> JobRows(const JobShape& shape) {
    const std::string failed = LoadLangString(kStrOperationFailed);
    std::vector<Case> rows;
    auto add = [&](Fault fault, FaultPlan plan, std::vector<Box> boxes, std::string status) {
        if (const auto own = shape.boxesFor.find(fault); own != shape.boxesFor.end()) {
            boxes = own->second;
        }
        if (fault != Fault::LibraryStart) {
            boxes.insert(boxes.begin(), shape.leadBoxes.begin(), shape.leadBoxes.end());
        }
        Case c;
        c.job = shape.job;
        c.fault = fault;
        c.plan = std::move(plan);
        c.prepare = shape.prepare;
        c.start = shape.start;
        c.boxes = std::move(boxes);
        c.status = std::move(status);
        // An interruption is told in the message part, whatever part the job's progress uses.
        const bool interrupted = fault == Fault::InterruptFirst ||
                                 fault == Fault::InterruptMiddle || fault == Fault::InterruptLast;
        c.statusPart = interrupted ? kStatusMessagePart : shape.statusPart;
        const auto done = shape.finished.find(fault);
        std::vector<std::string> finished;
        const bool throughTestCmd = fault == Fault::TestCmdInit && !shape.testCmdChecked;
        if (fault == Fault::None || throughTestCmd || fault == Fault::OverlongReplies) {
            finished = shape.all;
        } else if (done != shape.finished.end()) {
            finished = done->second;
        }
        c.check = [check = shape.check, finished](World& w) { check(w, finished); };
        if (const auto next = shape.nextBoxesFor.find(fault); next != shape.nextBoxesFor.end()) {
            c.nextBoxes = next->second;
        }
        rows.push_back(std::move(c));
    };
    const auto op = [](FsacOp o) { return static_cast<std::uint32_t>(o); };
    const TransferTexts& t = shape.texts;

    add(Fault::None, {}, {}, t.done);
    add(Fault::LibraryStart, {}, shape.libraryStartBoxes, shape.libraryStartStatus);
    {
        FaultPlan plan;
        plan.failGetInterfaceHandle = true;
        add(Fault::InterfaceHandle, plan, {t.handle}, failed);
    }
    {
        FaultPlan plan;
        plan.failTestCmdInit = true;
        // Whatever refuses it says so in the message part.
        add(Fault::TestCmdInit, plan, shape.testCmdBoxes,
            shape.testCmdBoxes.empty() ? t.done : failed);
    }
    add(Fault::OpenRefused, FailOp(shape.open, 1), {t.open}, failed);
    if (shape.data) {
        add(Fault::DataFirst, FailOp(*shape.data, 1), {t.data}, failed);
        add(Fault::DataMiddle, FailOp(*shape.data, shape.dataMiddle), {t.data}, failed);
    } else {
        add(Fault::DataMiddle, FailOp(shape.open, 2), {t.open}, failed);
    }
    if (shape.open == FsacOp::Open) {
        add(Fault::CloseRefused, FailOp(FsacOp::Close, 1), {t.close}, failed);
    }
    if (shape.data == FsacOp::Read) {
        FaultPlan plan;
        plan.readLimit = 0;
        add(Fault::ZeroByteReplies, plan, {t.data}, failed);
    }
    {
        FaultPlan plan;
        plan.oversizeBy = 100;
        plan.oversizeOp = op(shape.data.value_or(shape.open));
        add(Fault::OverlongReplies, plan, {}, t.done);
    }
    {
        // Gone after the first unit's request: the next one finds no phone.
        FaultPlan plan;
        plan.detachAfterSends = 1;
        plan.detachOp = op(shape.unit);
        plan.detachDevice = kDevice;
        add(Fault::DetachMidFile, plan, {shape.detachBox.value_or(shape.data ? t.data : t.open)},
            failed);
    }
    const std::array<Fault, 3> interrupts{Fault::InterruptFirst, Fault::InterruptMiddle,
                                          Fault::InterruptLast};
    for (std::size_t i = 0; i < interrupts.size(); ++i) {
        add(interrupts[i], {}, {}, t.interrupted);
        rows.back().interruptOp = op(shape.unit);
        rows.back().interruptAfter = shape.interruptAfter[i];
    }
    return rows;
}

// Download of the three pictures into dest, where an older tiny.bin waits: reads 1-3 are
// logo's, 4 tiny's, 5-6 wall's.
std::vector<Case> DownloadRows() {
    JobShape shape;
    shape.job = "download";
    shape.prepare = [](World& w) {
        fs::create_directories(w.folder() / kDestination);
        std::ofstream(w.folder() / kDestination / "tiny.bin") << "older";
        ShowPictures(w, kPictures);
        w.prompts.saveAnswers = {(w.folder() / kDestination / "logo.bin").string()};
    };
    // The context menu's entry is not greyed with the buttons.
    shape.start = [](World& w) {
        w.window->Command(kCmdContextDownload);
        w.PumpUntilIdle();
    };
    shape.libraryStartBoxes = {StringBox(kStrCantInitPhoneInterface, "Phone interface")};
    shape.libraryStartStatus = LoadLangString(kStrOperationFailed);
    shape.data = FsacOp::Read;
    shape.dataMiddle = 4;
    shape.interruptAfter = {1, 5, 6};
    shape.texts.data = StringBox(kStrCantReadFile, "Phone interface");
    shape.boxesFor = {
        {Fault::ZeroByteReplies,
         {{FormatLangString(kStrFileShorterThanListed, {kLogoPath}), "Phone interface"}}}};
    shape.texts.interrupted = "Downloading was interrupted by user";
    shape.texts.done = "Reading file from phone... 4510 from 4510 bytes read";
    shape.all = kPictures;
    shape.finished = {{Fault::DataMiddle, {"logo.bin"}},
                      {Fault::CloseRefused, {"logo.bin"}},
                      {Fault::InterruptMiddle, {"logo.bin", "tiny.bin"}},
                      {Fault::InterruptLast, {"logo.bin", "tiny.bin"}}};
    // A file is there whole or not at all, the older one until a whole copy replaces it;
    // nothing else is left in the folder.
    shape.check = [](World& w, const std::vector<std::string>& finished) {
        const fs::path dest = w.folder() / kDestination;
        std::set<std::string> present;
        for (const auto& item : fs::directory_iterator(dest)) {
            present.insert(item.path().filename().string());
        }
        std::set<std::string> expected(finished.begin(), finished.end());
        expected.insert("tiny.bin");
        EXPECT_EQ(present, expected);
        for (const auto& name : finished) {
            EXPECT_EQ(FileBytes(dest / name), PhoneBytes(std::string(kPictureFolder) + "/" + name))
                << name;
        }
        if (std::ranges::find(finished, "tiny.bin") == finished.end()) {
            EXPECT_EQ(FileBytes(dest / "tiny.bin"), "older");
        }
    };
    return JobRows(shape);
}

// A double-click on logo.bin: three reads, then the file goes to the desktop's program.
std::vector<Case> OpenRows() {
    JobShape shape;
    shape.job = "open";
    shape.prepare = [](World& w) { ShowPictures(w, {}); };
    shape.start = [](World& w) {
        w.window->OnEvent(WindowEvent::ListDoubleClick, kIdFileList, {.param = 0});
        w.PumpUntilIdle();
    };
    shape.data = FsacOp::Read;
    shape.dataMiddle = 2;
    shape.interruptAfter = {1, 2, 3};
    shape.texts.data = StringBox(kStrCantReadFile, "Phone interface");
    shape.boxesFor = {
        {Fault::ZeroByteReplies,
         {{FormatLangString(kStrFileShorterThanListed, {kLogoPath}), "Phone interface"}}}};
    shape.texts.interrupted = "Downloading was interrupted by user";
    shape.texts.done = "Reading file from phone... 3000 from 3000 bytes read";
    shape.all = {"logo.bin"};
    shape.finished = {{Fault::CloseRefused, {"logo.bin"}}};
    // The program gets the whole file or nothing; no part of one stays behind.
    shape.check = [](World& w, const std::vector<std::string>& finished) {
        const auto opened = w.shell.Requests();
        ASSERT_EQ(opened.size(), finished.size());
        std::set<std::string> left;
        if (fs::exists(w.folder() / "open")) {
            for (const auto& item : fs::recursive_directory_iterator(w.folder() / "open")) {
                if (item.is_regular_file()) left.insert(item.path().string());
            }
        }
        if (finished.empty()) {
            EXPECT_TRUE(left.empty());
            return;
        }
        EXPECT_EQ(opened[0].contents, PhoneBytes("/a/mobile/picture/logo.bin"));
        EXPECT_EQ(left, std::set<std::string>{opened[0].path});
    };
    return JobRows(shape);
}

// Delete and attribute change go file by file over the three pictures, all selected; an
// interrupt finishes the file in hand.
JobShape FileByFileShape(std::string job, FsacOp unit) {
    JobShape shape;
    shape.job = std::move(job);
    shape.unit = unit;
    shape.interruptAfter = {1, 2, 3};
    shape.all = kPictures;
    shape.finished = {{Fault::DataMiddle, {"logo.bin"}},
                      {Fault::DetachMidFile, {"logo.bin"}},
                      {Fault::InterruptFirst, {"logo.bin"}},
                      {Fault::InterruptMiddle, {"logo.bin", "tiny.bin"}},
                      {Fault::InterruptLast, kPictures}};
    return shape;
}

// Delete after Yes: one delete request a file.
std::vector<Case> DeleteRows() {
    JobShape shape = FileByFileShape("delete", FsacOp::Delete);
    shape.prepare = [](World& w) {
        ShowPictures(w, kPictures);
        w.prompts.answers = {PromptAnswer::Yes};
    };
    shape.start = [](World& w) { ClickEnabled(w, kIdDelete); };
    shape.leadBoxes = {StringBox(kStrConfirmDelete, "Velmora", PromptIcon::Question)};
    shape.testCmdBoxes = {StringBox(kStrCantInitPhoneInterface, "Phone Interface")};
    // Each file asks for its own handle.
    shape.detachBox = shape.texts.handle;
    shape.open = FsacOp::Delete;
    shape.texts.open = StringBox(kStrCantDeleteFile, "Phone interface");
    shape.texts.interrupted = "Deleting was interrupted by user";
    shape.texts.done = "File(s) deleted";
    shape.check = [](World& w, const std::vector<std::string>& deleted) {
        const auto image = w.ImageFiles();
        for (const auto& name : kPictures) {
            const bool gone = std::ranges::find(deleted, name) != deleted.end();
            EXPECT_EQ(image.contains(std::string(kPictureFolder) + "/" + name), !gone) << name;
        }
        if (w.window->LibraryReady()) {
            EXPECT_EQ(w.rows.RowCount(), static_cast<int>(kPictures.size() - deleted.size()));
        }
    };
    return JobRows(shape);
}

// Properties, read only set, OK: an open that sets the word and a close for each file.
std::vector<Case> AttributeRows() {
    JobShape shape = FileByFileShape("attributes", FsacOp::Close);
    shape.prepare = [](World& w) {
        ShowPictures(w, kPictures);
        w.properties = [](PropertiesModel& model) {
            model.SetState(kIdBoxReadOnly, CheckState::Set);
        };
    };
    shape.start = [](World& w) {
        w.window->Command(kCmdProperties);
        w.PumpUntilIdle();
    };
    shape.statusPart = kAttributeStatusPart;
    shape.texts.interrupted = "Setting attributes was interrupted by user";
    shape.texts.done = "Attributes were changed";
    // This job checks the initialisation itself.
    shape.testCmdChecked = true;
    shape.testCmdBoxes = {StringBox(kStrCantInitPhoneInterface, "Phone interface")};
    shape.libraryStartBoxes = {StringBox(kStrFileNotSelected, "Velmora", PromptIcon::Information)};
    // The word is set by the open; a refused close comes after it.
    shape.finished[Fault::CloseRefused] = {"logo.bin"};
    shape.check = [](World& w, const std::vector<std::string>& changed) {
        for (const auto& name : kPictures) {
            const bool set = std::ranges::find(changed, name) != changed.end();
            const auto word = w.ImageAttributes(std::string(kPictureFolder) + "/" + name);
            ASSERT_TRUE(word.has_value()) << name;
            EXPECT_EQ((*word & 0x01) != 0, set) << name;
        }
    };
    return JobRows(shape);
}

// The three files an upload sends: 2500, 10 and 1500 bytes, so writes 1-3 are the first
// file's, 4 the second's, 5-6 the third's.
const std::vector<std::pair<std::string, std::size_t>>& UploadFiles() {
    static const std::vector<std::pair<std::string, std::size_t>> files{
        {"new1.bin", 2500}, {"new2.bin", 10}, {"new3.bin", 1500}};
    return files;
}

std::vector<std::string> MakeUploadFiles(World& w) {
    const fs::path source = w.folder() / "source";
    fs::create_directories(source);
    std::vector<std::string> paths;
    for (const auto& [name, size] : UploadFiles()) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 13 + name[3]);
        std::ofstream(source / name, std::ios::binary) << bytes;
        paths.push_back((source / name).string());
    }
    return paths;
}

// What reached the phone: whole files, one file cut at the chunk the job stopped after, and
// nothing of the files after it.
void ExpectUploaded(World& w, const std::vector<std::string>& finished) {
    const auto image = w.ImageFiles();
    for (const auto& [name, size] : UploadFiles()) {
        const std::string phonePath = std::string(kPictureFolder) + "/" + name;
        const bool done = std::ranges::find(finished, name) != finished.end();
        const auto held = image.find(phonePath);
        if (done) {
            ASSERT_NE(held, image.end()) << name;
            EXPECT_EQ(FileBytes(w.folder() / "phone" / phonePath.substr(1)),
                      FileBytes(w.folder() / "source" / name))
                << name;
        } else if (held != image.end()) {
            EXPECT_LT(held->second, size) << name << " is whole but was not finished";
        }
    }
}

JobShape UploadShape(std::string job, std::function<void(World&)> start) {
    JobShape shape;
    shape.job = std::move(job);
    shape.prepare = [](World& w) { ShowPictures(w, {}); };
    shape.start = std::move(start);
    shape.data = FsacOp::Write;
    shape.unit = FsacOp::Write;
    shape.dataMiddle = 4;
    shape.interruptAfter = {1, 5, 6};
    shape.texts.data = StringBox(kStrCantWriteFile, "Phone interface");
    shape.texts.interrupted = "Uploading was interrupted by user";
    shape.texts.done = "Writing file to phone... 4010 from 4010 bytes wrote.";
    for (const auto& [name, size] : UploadFiles()) shape.all.push_back(name);
    shape.testCmdBoxes = {StringBox(kStrCantInitPhoneInterface, "Phone Interface")};
    // A refused close comes after the last write: the phone holds the whole file.
    shape.finished = {{Fault::DataMiddle, {"new1.bin"}},
                      {Fault::CloseRefused, {"new1.bin"}},
                      {Fault::InterruptMiddle, {"new1.bin", "new2.bin"}},
                      {Fault::InterruptLast, shape.all}};
    shape.check = ExpectUploaded;
    // A file cut short is deleted and named; one the vanished phone kept is offered for
    // deletion when the phone is read again.
    auto partial = [](const std::string& name, int done, int size, bool deleted) {
        const std::string head = name + " was not uploaded whole: " + std::to_string(done) +
                                 " of " + std::to_string(size);
        return deleted ? head + " bytes had reached the phone, and the partial file was deleted."
                       : head +
                             " bytes reached the phone, and the partial file could not be "
                             "deleted; reading the phone again offers that.";
    };
    const std::string refused = LoadLangString(kStrCantWriteFile) + "\n";
    shape.boxesFor = {
        {Fault::DataFirst, {{refused + partial("new1.bin", 0, 2500, true), "Phone interface"}}},
        {Fault::DataMiddle, {{refused + partial("new2.bin", 0, 10, true), "Phone interface"}}},
        {Fault::DetachMidFile,
         {{refused + partial("new1.bin", 1024, 2500, false), "Phone interface"}}},
        {Fault::InterruptFirst,
         {{partial("new1.bin", 1024, 2500, true), "Velmora", PromptIcon::Warning}}},
        {Fault::InterruptMiddle,
         {{partial("new3.bin", 1024, 1500, true), "Velmora", PromptIcon::Warning}}},
    };
    shape.nextBoxesFor = {{Fault::DetachMidFile,
                           {"/a/mobile/picture/new1.bin on the phone is incomplete: the transfer "
                            "stopped at 1024 of 2500 bytes. Delete it?"}}};
    return shape;
}

std::vector<Case> UploadRows() {
    return JobRows(UploadShape("upload", [](World& w) {
        w.prompts.openAnswers = {MakeUploadFiles(w)};
        ClickEnabled(w, kIdUpload);
    }));
}

std::vector<Case> DropRows() {
    JobShape shape = UploadShape("drop upload", [](World& w) {
        w.window->OnEvent(WindowEvent::FilesDropped, kIdFileList, {.paths = MakeUploadFiles(w)});
        w.PumpUntilIdle();
    });
    // A drop is taken whatever the buttons: without a listing there is no folder to drop in.
    shape.libraryStartBoxes = {
        StringBox(kStrPathNotSelectedOnTree, "Velmora", PromptIcon::Information)};
    return JobRows(shape);
}

// Fill space on /a, leaving all but 2500 bytes: one file of three chunks.
constexpr std::int32_t kFill = 2500;

std::vector<Case> FillRows() {
    JobShape shape;
    shape.job = "fill";
    shape.prepare = [](World& w) {
        if (!w.window->LibraryReady()) return;
        w.window->Phone().State().SetCurrentVolumeLetter('a');
        w.Click(kIdGetFileList);
        const std::int32_t free = w.window->Phone().State().CachedFreeSpace();
        ASSERT_GT(free, kFill);
        w.window->ControlEdited(kIdLeaveBytes, std::to_string(free - kFill));
    };
    shape.start = [](World& w) { ClickEnabled(w, kIdFillSpace); };
    shape.data = FsacOp::Write;
    shape.unit = FsacOp::Write;
    shape.dataMiddle = 2;
    shape.interruptAfter = {1, 2, 3};
    shape.texts.data = StringBox(kStrCantWriteFile, "Phone interface");
    shape.texts.interrupted = "Writing data was interrupted by user";
    shape.texts.done = "Writing data to phone... 2500 from 2500 bytes wrote.";
    shape.all = {"fill"};
    shape.testCmdBoxes = {StringBox(kStrCantInitPhoneInterface, "Phone Interface")};
    shape.finished = {{Fault::CloseRefused, {"fill"}}, {Fault::InterruptLast, {"fill"}}};
    // The fill file is never listed; what the phone holds of it is what was written.
    shape.check = [](World& w, const std::vector<std::string>& finished) {
        std::vector<std::uintmax_t> filler;
        for (const auto& [path, size] : w.ImageFiles()) {
            if (!PhoneFiles().contains(path)) filler.push_back(size);
        }
        if (!finished.empty()) {
            EXPECT_EQ(filler, std::vector<std::uintmax_t>{kFill});
        } else {
            EXPECT_LE(filler.size(), 1u);
            for (auto size : filler) EXPECT_LT(size, static_cast<std::uintmax_t>(kFill));
        }
    };
    return JobRows(shape);
}

TEST(FaultMatrix, EveryJobUnderEveryFault) {
    SetLanguageIndex(kLanguageEnglish);
    test::TempFolder folder;
    const std::vector<std::function<std::vector<Case>()>> producers{
        ListingRows, SearchRows, DownloadRows, OpenRows,     DeleteRows,
        UploadRows,  DropRows,   FillRows,     AttributeRows};
    std::map<std::string, int> perJob;
    int run = 0;
    for (const auto& produce : producers) {
        for (const Case& c : produce()) {
            RunCase(c, folder.path() / ("case" + std::to_string(run)));
            ++perJob[c.job];
            ++run;
        }
    }
    std::string summary;
    for (const auto& [job, count] : perJob) summary += " " + job + " " + std::to_string(count);
    std::printf("fault matrix: %d cases run (%s )\n", run, summary.c_str());
    StopFlag.store(kStopRequested);
}

}  // namespace
}  // namespace velmora
