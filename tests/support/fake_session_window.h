// The window's side of the phone session, recording what the session did to it: a sorted
// device list with selection, the job lock calls, status icons, timers, search controls and a
// tree reduced to its root text and volume names.
#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "phone/session_window.h"
#include "support/fakes.h"

namespace velmora::test {

struct FakeDevice {
    std::string text;
    std::uint32_t data = 0;
};

class FakeSessionWindow : public SessionWindow {
  public:
    bool LibraryReady() const override { return libraryReady; }
    std::int32_t Rs232Flag() const override { return 0; }
    std::optional<std::uint16_t> SelectedDevice() const override {
        if (!selected) return std::nullopt;
        return static_cast<std::uint16_t>(devices.at(*selected).data);
    }
    void SetStatusText(int part, const std::string& text) override {
        status.SetStatusText(part, text);
    }
    void ShowWaitCursor() override { status.ShowWaitCursor(); }

    void ClearDevices() override {
        devices.clear();
        selected.reset();
    }
    int AddDevice(std::string text, std::uint32_t data) override {
        auto at =
            std::upper_bound(devices.begin(), devices.end(), text,
                             [](const std::string& t, const FakeDevice& d) { return t < d.text; });
        at = devices.insert(at, {text, data});
        return static_cast<int>(at - devices.begin());
    }
    void SelectDevice(std::optional<int> index) override {
        if (!index || (*index >= 0 && *index < static_cast<int>(devices.size()))) selected = index;
    }
    // What the user does by picking an entry.
    void Pick(int index) { selected = index; }

    void EnableControls(int enable, int enableMenus) override {
        enableCalls.emplace_back(enable, enableMenus);
    }
    bool JobRunning() const override { return jobRunning; }

    void SetStatusIcon(int part, int iconId, std::string tip) override {
        icons[part] = {iconId, tip};
    }
    void StartTimer(int id, int periodMs) override { timers.push_back({id, periodMs}); }
    void StopTimer(int id) override { stoppedTimers.push_back(id); }
    void ShowArrowCursor() override { ++arrowCursors; }

    void EnableSearchControls(bool enable) override { searchEnabled = enable; }

    void ResetTree(const std::vector<std::string>& volumes) override {
        root = "Volumes";
        treeVolumes = volumes;
        ++treeResets;
    }
    std::optional<std::string> RootText() const override { return root; }
    void SetRootText(const std::string& text) override {
        if (root) root = text;
    }
    void ClearFileRowsAndTree() override {
        root.reset();
        treeVolumes.clear();
        ++treeClears;
    }

    bool libraryReady = true;
    bool jobRunning = false;
    RecordingStatus status;
    std::vector<FakeDevice> devices;
    std::optional<int> selected;
    std::vector<std::pair<int, int>> enableCalls;
    std::map<int, std::pair<int, std::string>> icons;
    std::vector<std::pair<int, int>> timers;
    std::vector<int> stoppedTimers;
    int arrowCursors = 0;
    std::optional<bool> searchEnabled;
    std::optional<std::string> root;
    std::vector<std::string> treeVolumes;
    int treeResets = 0;
    int treeClears = 0;
};

}  // namespace velmora::test
