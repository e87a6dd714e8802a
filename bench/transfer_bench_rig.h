// A transfer as the program runs one, for timing: the emulated phone (its link capped or not),
// a worker started by StartJob, and the window's thread, played by the thread that builds the
// rig, pumping every update the job posts while the job runs. The rig counts what the window
// shows and how many updates waited at most, so a benchmark can report both.
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/prompts.h"
#include "sim/simulated_pst.h"
#include "support/pumped_ui_thread.h"
#include "transfer/job.h"
#include "transfer/job_window.h"

namespace velmora::bench {

// The window as a job sees it, counting what it is shown. Window's thread only, except the
// counters, which are read once the job is over.
class CountingWindow final : public JobWindow, public PhoneWindow, public Prompts {
  public:
    void EnableControls(int, int) override {}
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
    ConflictAnswer AskConflict(const ConflictRequest&) override {
        return {ConflictChoice::Replace, true};
    }

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

    // Runs command (which starts a job) as the window does, then pumps the window's thread
    // until the job has ended and what it posted last is shown; the wall time, or a negative
    // one when the job never ended.
    std::chrono::duration<double> RunOnWindow(const std::function<void()>& command) {
        const auto start = std::chrono::steady_clock::now();
        command();
        if (!ui->PumpUntilIdle(std::chrono::hours(1))) return std::chrono::duration<double>(-1);
        return std::chrono::steady_clock::now() - start;
    }

    std::shared_ptr<test::PumpedUiThread> ui = std::make_shared<test::PumpedUiThread>();
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
