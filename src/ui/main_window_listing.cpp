#include "ui/main_window_listing.h"

#include <utility>

#include "ui/main_window_ids.h"

namespace velmora {

MainWindowListing::MainWindowListing(MainWindowListingParts parts)
    : m_window(parts.window),
      m_browsing(parts.window, parts.tree, parts.list),
      m_proxy(parts.window.JobChannel()) {
    m_commands = std::make_unique<ListingCommands>(ListingPorts{
        parts.library, *this, m_window.WindowPrompts(), parts.files, parts.tree, parts.list,
        parts.icons, m_window.History(), parts.user, m_proxy, std::move(parts.startJob),
        std::move(parts.jobBusy), parts.journal ? parts.journal : &TheUploadJournal()});
    auto& map = m_window.Commands();
    map.Set({WindowEvent::Clicked, kIdGetFileList},
            [this](const EventArgs&) { m_commands->GetFileList(); });
    map.Set({WindowEvent::Clicked, kIdSearch}, [this](const EventArgs&) { m_commands->Search(); });
}

MainWindowListing::~MainWindowListing() {
    // A reader still running reaches nothing of this object or the window any more.
    m_proxy->Detach();
}

std::string MainWindowListing::MaskText() const {
    return m_window.Control(kIdSearchMask).text;
}

}  // namespace velmora
