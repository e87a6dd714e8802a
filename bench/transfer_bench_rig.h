// A transfer as the program runs one, for timing: the emulated phone (its link capped or not),
// a worker started by StartJob, and a window thread of its own that shows every update the
// job posts. Jobs of every direction are timed with it; the rig counts what the window shows
// and how long the window's thread took to take each batch, so a benchmark can report both.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/prompts.h"
#include "base/ui_thread.h"
#include "sim/simulated_pst.h"
#include "transfer/job.h"
#include "transfer/job_window.h"

namespace velmora::bench {

// The window's thread: runs what workers post and invoke, in order, until destroyed.
class WindowThread final : public UiThread {
  public:
    WindowThread() : m_thread([this] { Run(); }) {}
    ~WindowThread() override {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    bool Invoke(std::function<void()> task) override {
        if (IsUiThread()) {
            task();
            return true;
        }
        std::mutex doneMutex;
        std::condition_variable doneWake;
        bool done = false;
        Post([&] {
            task();
            std::lock_guard lock(doneMutex);
            done = true;
            doneWake.notify_all();
        });
        std::unique_lock lock(doneMutex);
        doneWake.wait(lock, [&] { return done; });
        return true;
    }
    void Post(std::function<void()> task) override {
        {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
            m_mostQueued = std::max(m_mostQueued, m_tasks.size());
        }
        m_wake.notify_all();
    }
    bool IsUiThread() const override { return std::this_thread::get_id() == m_thread.get_id(); }

    std::size_t MostQueued() const {
        std::lock_guard lock(m_mutex);
        return m_mostQueued;
    }

  private:
    void Run() {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [&] { return m_stop || !m_tasks.empty(); });
                if (m_tasks.empty()) return;
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            task();
        }
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    std::size_t m_mostQueued = 0;
    bool m_stop = false;
    std::thread m_thread;  // last: runs on the members above
};

// The window as a job sees it, counting what it is shown. Window's thread only, except the
// counters, which are read once the job is over.
class CountingWindow final : public JobWindow, public PhoneWindow, public Prompts {
  public:
    void EnableControls(bool, bool) override {}
    void SetStatusText(int, const std::string&) override { ++updates; }
    void SetOverallRange(std::int32_t) override { ++updates; }
    void SetOverallPosition(std::int32_t position) override {
        ++updates;
        lastPosition = position;
    }
    void ShowFileBar(bool) override {}
    void SetFileRange(std::int32_t) override { ++updates; }
    void SetFilePosition(std::int32_t) override { ++updates; }
    Prompts& WindowPrompts() override { return *this; }
    PhoneWindow& WindowPhone() override { return *this; }

    void ShowWaitCursor() override {}
    bool LibraryReady() const override { return true; }
    std::int32_t Rs232Flag() const override { return 0; }
    std::optional<std::uint16_t> SelectedDevice() const override { return 1; }

    // Every box counts as a failure of the run; dialogs answer from the fields below.
    PromptAnswer MessageBox(const MessageBoxRequest& request) override {
        boxes.push_back(request.text);
        return PromptAnswer::Ok;
    }
    std::optional<std::string> SaveFile(const SaveFileRequest&) override { return saveAnswer; }
    std::vector<std::string> OpenFiles(const OpenFilesRequest&) override { return openAnswer; }

    std::int64_t updates = 0;
    std::int32_t lastPosition = 0;
    std::vector<std::string> boxes;
    std::optional<std::string> saveAnswer;
    std::vector<std::string> openAnswer;
};

// One phone whose image lives in a folder of the rig's own, and the window side of a job.
class TransferRig {
  public:
    // rate: the link's bytes per second, 0 uncapped.
    explicit TransferRig(std::int64_t rate, std::int64_t volumeBytes = std::int64_t{64} << 20)
        : m_folder(std::filesystem::temp_directory_path() /
                   ("velmora_transfer_bench_" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder / "local");
        SimPhoneConfig phone;
        phone.deviceId = 1;
        phone.image = m_folder / "phone";
        phone.volumes = {{'a', volumeBytes}};
        phone.rate = rate;
        SimConfig config;
        config.phones = {phone};
        pst = std::make_unique<SimulatedPst>(config);
        pst->PSTInitializeEx(1, nullptr);
        proxy = std::make_shared<JobWindowProxy>(ui, window);
    }
    ~TransferRig() {
        proxy->Detach();
        pst->PSTUninitialize();
        std::filesystem::remove_all(m_folder);
    }
    TransferRig(const TransferRig&) = delete;
    TransferRig& operator=(const TransferRig&) = delete;

    // A phone file of size bytes, its contents a simple pattern.
    void PutPhoneFile(const std::string& phonePath, std::size_t size) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
        pst->WithPhone(1, [&](SimPhone& p) { p.PutFile(phonePath, bytes); });
    }
    std::filesystem::path LocalFolder() const { return m_folder / "local"; }

    // Starts job with StartJob and waits for its end; the job's wall time.
    std::chrono::duration<double> RunJob(std::function<void()> job) {
        const auto start = std::chrono::steady_clock::now();
        if (!StartJob(std::move(job))) return std::chrono::duration<double>(-1);
        Jobs().WaitUntilIdle(std::chrono::hours(1));
        // The updates posted last are shown behind the job's end.
        ui->Invoke([] {});
        return std::chrono::steady_clock::now() - start;
    }

    std::shared_ptr<WindowThread> ui = std::make_shared<WindowThread>();
    CountingWindow window;
    std::shared_ptr<JobWindowProxy> proxy;
    std::unique_ptr<SimulatedPst> pst;

  private:
    std::filesystem::path m_folder;
};

// The time the link needs to move bytesOverLink at rate bytes per second.
inline double LinkSeconds(std::int64_t bytesOverLink, std::int64_t rate) {
    return static_cast<double>(bytesOverLink) / static_cast<double>(rate);
}

}  // namespace velmora::bench
