// A recording stand-in for the window's toolkit and a phone library that only starts, for the
// main window's headless tests.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/shell.h"
#include "phone/pst_library.h"
#include "ui/main_window.h"

namespace velmora::test {

class FakeMainWindowView : public MainWindowView {
  public:
    void ControlChanged(int id) override { ++controlChanges[id]; }
    void StatusPartChanged(int) override {}
    void ProgressChanged(int) override {}
    void MenusRebuilt() override { ++menuRebuilds; }
    void MenuItemChanged(int) override {}
    void DevicesChanged() override {}
    void MaskListChanged() override {}
    void ColumnsChanged() override {}
    void ViewModeChanged() override {}
    void LayoutChanged() override { ++layouts; }

    Rect WindowRect() const override { return window; }
    Size ClientSize() const override { return client; }
    Size DisplaySize() const override { return display; }
    std::int32_t ListRowHeight() const override { return rowHeight; }
    std::int32_t ScrollBarWidth() const override { return 17; }
    double TextScale() const override { return textScale; }

    void MoveWindow(const Rect& r) override {
        moves.push_back(r);
        window = r;
    }
    void Repaint() override { ++repaints; }
    void StartTimer(int id, int ms) override { timerStarts.push_back({id, ms}); }
    void StopTimer(int id) override { timerStops.push_back(id); }
    void SetCursor(CursorShape shape) override { cursors.push_back(shape); }
    void ShowAbout() override { ++abouts; }
    bool ShowHelpBook(const std::string& book, const std::string& project) override {
        helpShown.push_back({book, project});
        return helpReadable;
    }
    void ShowContextMenu(std::int32_t, std::int32_t) override { ++contextMenus; }
    void CloseWindow() override {
        ++closes;
        if (onClose) onClose();
    }

    Rect window{100, 100, 750, 450};
    Size client{650, 300};
    Size display{1024, 768};
    std::int32_t rowHeight = 20;
    double textScale = 1.0;

    std::map<int, int> controlChanges;
    std::vector<Rect> moves;
    std::vector<std::pair<int, int>> timerStarts;
    std::vector<int> timerStops;
    std::vector<CursorShape> cursors;
    int menuRebuilds = 0;
    int layouts = 0;
    int repaints = 0;
    int abouts = 0;
    int contextMenus = 0;
    int closes = 0;
    std::function<void()> onClose;
    std::vector<std::pair<std::string, std::string>> helpShown;  // book, project
    bool helpReadable = true;
};

// Starts and re-starts; every other operation fails. Counts what the window asked of it.
class StartOnlyPst : public PstLibrary {
  public:
    std::int32_t PSTInitializeEx(std::int32_t mode, PstNotificationSink* window) override {
        modes.push_back(mode);
        sink = window;
        if (notifyOnInit && window) window->OnDeviceListChanged();
        return initResult;
    }
    std::int32_t PSTUninitialize() override {
        ++uninits;
        return 0;
    }
    std::int32_t PSTGetDeviceList(std::vector<std::uint16_t>&) override { return 1; }
    std::int32_t PSTGetInterfaceHandle(std::uint32_t, std::string, std::uint32_t&) override {
        return 1;
    }
    std::int32_t PSTTestCmdInit(std::uint16_t, std::int32_t) override { return 1; }
    std::int32_t PSTSendCommand(std::uint32_t, std::uint32_t, const char*,
                                std::span<const std::uint8_t>, std::span<std::uint8_t>,
                                std::int32_t&, std::uint16_t) override {
        return 1;
    }

    std::int32_t initResult = 0;
    bool notifyOnInit = false;
    std::vector<std::int32_t> modes;
    int uninits = 0;
    PstNotificationSink* sink = nullptr;  // the window the library notifies
};

class NullShell : public Shell {
  public:
    ShellResult Open(const std::string& target) override {
        opened.push_back(target);
        return {};
    }
    ShellResult OpenWith(const std::string&) override { return {}; }
    ShellResult OpenFile(const std::string& path, const std::string&) override {
        return Open(path);
    }
    ShellResult OpenFileWith(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> HtmlHandlerCommand() override { return std::nullopt; }
    ShellResult Run(const std::string&) override { return {}; }
    std::string TempFolder() override { return "/tmp/"; }
    std::vector<std::string> opened;
};

}  // namespace velmora::test
