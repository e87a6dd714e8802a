// Every job under every fault the emulated phone can inject, and under an Interrupt at its
// first, a middle and its last chunk or file: what the user sees (boxes, status), the window
// it leaves (lock released, per-file bar hidden, StopFlag 1, a next job that runs), and
// whether the file list, the rows and the phone still agree. The whole window runs headless
// on the emulated phone, each job on a worker thread of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
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
#include "support/hooked_pst.h"
#include "support/pumped_ui_thread.h"
#include "support/temp_folder.h"
#include "transfer/job.h"
#include "transfer/stop_flag.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"
#include "ui/main_window_listing.h"
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
        {"/a/mobile/audio/ring.mid", 2500}, {"/a/mobile/picture/logo.bin", 3000},
        {"/a/mobile/picture/tiny.bin", 10}, {"/a/notes.txt", 1024},
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
    // The job's own after-state (local files, the list's contents).
    std::function<void(World&)> check;
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
        library = std::make_unique<test::HookedPst>(*pst);
        if (libraryFails) {
            FaultPlan plan;
            plan.failInitialize = true;
            pst->SetFaultPlan(plan);
        }
        window = std::make_unique<MainWindow>(
            MainWindowPorts{*library, user, prompts, *ui, shell, "/opt/velmora/"}, view);
        window->AttachSessionTree(&sessionTree);
        listing = std::make_unique<MainWindowListing>(
            MainWindowListingParts{*window, *library, user, TheFileList(), tree, rows, icons, ui});
        window->Start();
        pst->SetFaultPlan({});
        Poll();
    }
    ~World() {
        // A worker still running reaches nothing of this world.
        StopFlag.store(kStopRequested);
        Jobs().WaitUntilIdle(kJobLimit);
        listing.reset();
        window.reset();
        TheFileList().Release();
    }

    // What the notification and the poll timer bring: the device list and the volumes.
    void Poll() {
        window->OnEvent(WindowEvent::DeviceListChanged);
        window->OnEvent(WindowEvent::Timer, kPollTimer);
    }

    // Runs the window's thread until no job runs.
    void PumpUntilIdle() {
        ASSERT_TRUE(ui->PumpWhile([] { return JobBusy(); }, kJobLimit));
    }

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

    const fs::path& folder() const { return m_folder; }

    std::unique_ptr<SimulatedPst> pst;
    std::unique_ptr<test::HookedPst> library;
    test::MemorySettingsStore user;
    test::FakePrompts prompts;
    std::shared_ptr<test::PumpedUiThread> ui = std::make_shared<test::PumpedUiThread>();
    test::NullShell shell;
    test::FakeMainWindowView view;
    VolumeTree tree{prompts, TheFileList()};
    FileListCtrl rows;
    BrowsingSessionTree sessionTree{tree, rows};
    test::NamingIconSource icons;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<MainWindowListing> listing;
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
void ExpectNextJobRuns(World& world) {
    world.pst->SetFaultPlan({});
    world.library->ClearHook();
    if (world.pst->AttachPhone(kDevice)) world.Poll();
    world.prompts.Clear();
    world.window->Phone().State().SetCurrentVolumeLetter('a');
    world.Click(kIdGetFileList);
    EXPECT_TRUE(world.prompts.Boxes().empty());
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
    world.library->Reset();

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
    EXPECT_EQ(world.window->StatusPart(kStatusMessagePart).text, c.status);
    ExpectWindowReleased(world, !libraryFails);
    ExpectListAgreesWithPhone(world);
    if (c.check) c.check(world);
    if (!libraryFails) ExpectNextJobRuns(world);
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
    return ReadingRows("listing", 4, prepare, kIdGetFileList, shown,
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
    return ReadingRows("search", 3, prepare, kIdSearch, shown, {}, Progress(3, 3));
}

TEST(FaultMatrix, EveryJobUnderEveryFault) {
    SetLanguageIndex(kLanguageEnglish);
    test::TempFolder folder;
    const std::vector<std::function<std::vector<Case>()>> producers{ListingRows, SearchRows};
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
