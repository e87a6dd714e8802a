#include "ui/main_window_files.h"

#include <utility>

#include "ui/main_window_ids.h"

namespace velmora {

MainWindowFiles::MainWindowFiles(MainWindowFilesParts parts)
    : m_window(parts.window), m_list(parts.list), m_proxy(parts.window.JobChannel()) {
    m_commands = std::make_unique<FileCommands>(
        FileCommandPorts{parts.library, *this, m_window.WindowPrompts(), parts.files, parts.tree,
                         parts.list, m_proxy, std::move(parts.startJob), std::move(parts.jobBusy),
                         std::move(parts.showProperties)});
    auto& map = m_window.Commands();
    map.Set({WindowEvent::Clicked, kIdDelete}, [this](const EventArgs&) { m_commands->Delete(); });
    map.Set({WindowEvent::Command, kCmdContextDelete},
            [this](const EventArgs&) { m_commands->Delete(); });
    map.Set({WindowEvent::Command, kCmdProperties},
            [this](const EventArgs&) { m_commands->Properties(); });
}

MainWindowFiles::~MainWindowFiles() {
    // A job still running reaches nothing of this object or the window any more.
    m_proxy->Detach();
}

void MainWindowFiles::RowsChanged() {
    m_window.SetListRowCount(m_list.RowCount());
    m_window.Relayout();
}

}  // namespace velmora
