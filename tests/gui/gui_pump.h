// Letting wx and GTK run in the window suites.
#pragma once

#include <wx/app.h>
#include <wx/string.h>
#include <wx/treectrl.h>

#include <chrono>
#include <string>
#include <thread>

namespace velmora::test {

// Lets wx and GTK run until the condition holds; false when it never did.
template <typename Pred>
bool PumpUntil(Pred done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline std::string Utf8(const wxString& s) {
    return s.utf8_string();
}

// The child of parent with that text, or an invalid item.
inline wxTreeItemId ChildNamed(wxTreeCtrl& tree, const wxTreeItemId& parent,
                               const std::string& text) {
    wxTreeItemIdValue cookie;
    for (auto item = tree.GetFirstChild(parent, cookie); item.IsOk();
         item = tree.GetNextChild(parent, cookie)) {
        if (Utf8(tree.GetItemText(item)) == text) return item;
    }
    return {};
}

}  // namespace velmora::test
