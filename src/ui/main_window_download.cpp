#include "ui/main_window_download.h"

#include <utility>

#include "base/system_clock.h"
#include "transfer/temp_open_file.h"

namespace velmora {

MainWindowDownload::MainWindowDownload(MainWindowDownloadParts parts)
    : m_proxy(parts.window.JobChannel()) {
    MainWindow& window = parts.window;
    m_commands = std::make_unique<DownloadCommands>(
        DownloadPorts{parts.library, window, window.WindowPrompts(), parts.files, parts.tree,
                      parts.list, parts.shell, parts.clock ? *parts.clock : TheSystemClock(),
                      [&window] { return window.Phone().State().FileSystemFlag() != 0; },
                      parts.openFolder.empty() ? OpenFilesFolder(TheUserFolders()) : parts.openFolder,
                      m_proxy, std::move(parts.startJob), std::move(parts.jobBusy)});
    auto& map = window.Commands();
    map.Set({WindowEvent::Clicked, kIdDownload},
            [this](const EventArgs&) { m_commands->Download(); });
    map.Set({WindowEvent::Command, kCmdContextDownload},
            [this](const EventArgs&) { m_commands->Download(); });
    map.Set({WindowEvent::ListDoubleClick, kIdFileList},
            [this](const EventArgs& args) { m_commands->Open(args.param); });
}

MainWindowDownload::~MainWindowDownload() {
    // A job still running reaches nothing of this object or the window any more.
    m_proxy->Detach();
}

}  // namespace velmora
