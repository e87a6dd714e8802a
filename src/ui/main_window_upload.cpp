#include "ui/main_window_upload.h"

#include <utility>

#include "ui/main_window_ids.h"

namespace velmora {

MainWindowUpload::MainWindowUpload(MainWindowUploadParts parts)
    : m_window(parts.window), m_list(parts.list), m_proxy(parts.window.JobChannel()) {
    m_commands = std::make_unique<UploadCommands>(UploadPorts{
        parts.library, *this, parts.files, parts.tree, parts.list, parts.icons, parts.clock,
        m_proxy, std::move(parts.startJob), std::move(parts.jobBusy), parts.journal});
    auto& map = m_window.Commands();
    map.Set({WindowEvent::Clicked, kIdUpload}, [this](const EventArgs&) { m_commands->Upload(); });
    map.Set({WindowEvent::Clicked, kIdFillSpace},
            [this](const EventArgs&) { m_commands->FillSpace(); });
    map.Set({WindowEvent::FilesDropped, kIdFileList},
            [this](const EventArgs& args) { m_commands->Drop(args.paths); });
}

MainWindowUpload::~MainWindowUpload() {
    // A job still running reaches nothing of this object or the window any more.
    m_proxy->Detach();
}

std::string MainWindowUpload::UploadPathText() const {
    return m_window.Control(kIdUploadPath).text;
}

std::string MainWindowUpload::LeaveBytesText() const {
    return m_window.Control(kIdLeaveBytes).text;
}

void MainWindowUpload::RowsChanged() {
    m_window.SetListRowCount(m_list.RowCount());
    m_window.Relayout();
}

}  // namespace velmora
