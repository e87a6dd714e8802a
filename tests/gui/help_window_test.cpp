// The real window's help viewer, keys, accessible names and icons under Xvfb: F1 opens the
// book built beside the program, in the window's language; the list's keys reach the command
// map; unlabelled controls carry names a screen reader hears.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include <gtest/gtest.h>
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/listctrl.h>
#include <wx/notebook.h>
#include <wx/statbmp.h>
#include <wx/stockitem.h>
#include <wx/treectrl.h>
#include <wx/uiaction.h>

#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "base/lang_string.h"
#include "gui/accessible_names_gtk.h"
#include "gui/file_list_view.h"
#include "gui/icons.h"
#include "gui/main_frame.h"
#include "gui_pump.h"
#include "support/fakes.h"
#include "ui/accessible_names.h"
#include "ui/help.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"

namespace velmora {
namespace {

using test::PumpUntil;
using test::Utf8;

wxTreeCtrl* FindTree(wxWindow* window) {
    for (wxWindow* child : window->GetChildren()) {
        if (auto* tree = dynamic_cast<wxTreeCtrl*>(child)) return tree;
        if (auto* found = FindTree(child)) return found;
    }
    return nullptr;
}

wxNotebook* FindNotebook(wxWindow* window) {
    for (wxWindow* child : window->GetChildren()) {
        if (auto* notebook = dynamic_cast<wxNotebook*>(child)) return notebook;
        if (auto* found = FindNotebook(child)) return found;
    }
    return nullptr;
}

// wx's own labels of the help window: its notebook's pages.
std::vector<std::string> PageLabels(wxWindow* frame) {
    std::vector<std::string> labels;
    if (wxNotebook* notebook = FindNotebook(frame)) {
        for (std::size_t i = 0; i < notebook->GetPageCount(); ++i) {
            labels.push_back(Utf8(notebook->GetPageText(i)));
        }
    }
    return labels;
}

std::vector<std::string> VisibleContents(wxTreeCtrl& tree) {
    std::vector<std::string> texts;
    for (wxTreeItemId item = tree.GetFirstVisibleItem(); item.IsOk();
         item = tree.GetNextVisible(item)) {
        texts.push_back(Utf8(tree.GetItemText(item)));
    }
    return texts;
}

class HelpWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { SetLanguageIndex(kLanguageEnglish); }
    void TearDown() override {
        if (m_frame) {
            m_frame->CloseWindow();
            EXPECT_TRUE(PumpUntil([] { return wxTopLevelWindows.IsEmpty(); }));
        }
        SetLanguageIndex(kLanguageEnglish);
    }

    MainFrame& Open() {
        m_frame = new MainFrame(pst, user, shell, VELMORA_BUILT_PROGRAM_DIR);
        m_frame->Show();
        m_frame->Raise();
        EXPECT_TRUE(PumpUntil([&] { return m_frame->IsShownOnScreen(); }));
        return *m_frame;
    }

    // A real key press where the window has the pointer and the focus.
    void Press(wxWindow* target, int key, int modifiers = wxMOD_NONE) {
        wxUIActionSimulator sim;
        sim.MouseMove(target->GetScreenRect().GetPosition() + wxPoint(20, 40));
        PumpUntil([] { return false; }, std::chrono::milliseconds(100));
        target->SetFocus();
        PumpUntil([&] { return target->HasFocus() || wxWindow::FindFocus() != nullptr; });
        sim.Char(key, modifiers);
        PumpUntil([] { return false; }, std::chrono::milliseconds(200));
    }

    wxHtmlHelpFrame* HelpFrame() {
        auto* controller = m_frame->Help().Controller();
        return controller ? controller->GetFrame() : nullptr;
    }

    test::StartOnlyPst pst;
    test::MemorySettingsStore user;
    test::NullShell shell;
    MainFrame* m_frame = nullptr;
};

TEST_F(HelpWindowTest, F1OpensTheHelpWindowWithItsContentsInTheWindowsLanguage) {
    auto& frame = Open();
    Press(frame.Control(kIdFileList), WXK_F1);
    ASSERT_TRUE(PumpUntil([&] { return HelpFrame() && HelpFrame()->IsShownOnScreen(); }));
    EXPECT_EQ(Utf8(HelpFrame()->GetTitle()), "Velmora Help");
    wxTreeCtrl* contents = FindTree(HelpFrame());
    ASSERT_NE(contents, nullptr);
    const auto english = VisibleContents(*contents);
    ASSERT_GE(english.size(), 20u);
    EXPECT_EQ(english[0], "Velmora Help");
    EXPECT_NE(std::find(english.begin(), english.end(), "Attaching a phone"), english.end());
    EXPECT_NE(std::find(english.begin(), english.end(), "Get File List"), english.end());
    const std::vector<std::string> englishLabels{"Contents", "Index", "Search"};
    EXPECT_EQ(PageLabels(HelpFrame()), englishLabels);

    // After a switch, the same key shows the Russian book.
    frame.Model().SwitchLanguageTo(kRussianCode);
    Press(frame.Control(kIdFileList), WXK_F1);
    ASSERT_TRUE(PumpUntil([&] { return HelpFrame() && HelpFrame()->IsShownOnScreen(); }));
    EXPECT_EQ(Utf8(HelpFrame()->GetTitle()), "Справка Velmora");
    contents = FindTree(HelpFrame());
    ASSERT_NE(contents, nullptr);
    const auto russian = VisibleContents(*contents);
    EXPECT_EQ(russian.size(), english.size());
    EXPECT_NE(std::find(russian.begin(), russian.end(), "Подключение телефона"), russian.end());
    // wx's own labels too, from wx's Russian catalog (package wx3.2-i18n).
    EXPECT_EQ(PageLabels(HelpFrame()), (std::vector<std::string>{"Содержание", "Индекс", "Поиск"}));

    // The catalog leaves with the Russian window: back in English, wx speaks English again.
    frame.Model().SwitchLanguageTo(kEnglishCode);
    Press(frame.Control(kIdFileList), WXK_F1);
    ASSERT_TRUE(PumpUntil([&] { return HelpFrame() && HelpFrame()->IsShownOnScreen(); }));
    EXPECT_EQ(PageLabels(HelpFrame()), englishLabels);
    EXPECT_EQ(Utf8(wxGetTranslation("Contents")), "Contents");
}

TEST_F(HelpWindowTest, WxsOwnTextsFollowTheWindowsLanguage) {
    auto& frame = Open();
    frame.Model().SwitchLanguageTo(kRussianCode);
    // The message boxes' buttons, with no help window open.
    EXPECT_EQ(Utf8(wxGetStockLabel(wxID_YES)), "&Да");
    EXPECT_EQ(Utf8(wxGetStockLabel(wxID_NO)), "&Нет");
    Press(frame.Control(kIdFileList), WXK_F1);
    ASSERT_TRUE(PumpUntil([&] { return HelpFrame() && HelpFrame()->IsShownOnScreen(); }));
    // As the user does, with the window's own close button: the window stays Russian.
    HelpFrame()->Close();
    EXPECT_TRUE(PumpUntil([&] { return HelpFrame() == nullptr; }));
    EXPECT_EQ(Utf8(wxGetTranslation("Contents")), "Содержание");
    frame.Model().SwitchLanguageTo(kEnglishCode);
    EXPECT_EQ(Utf8(wxGetStockLabel(wxID_YES)), "&Yes");
}

// The whole text of a page of the book, or nothing when the book has no such page.
std::optional<std::string> ReadPage(wxFileSystem& files, const wxString& bookUrl,
                                    const std::string& page) {
    std::unique_ptr<wxFSFile> file(files.OpenFile(bookUrl + wxString::FromUTF8(page)));
    if (!file || !file->GetStream()) return std::nullopt;
    std::string text;
    char buffer[4096];
    wxInputStream& in = *file->GetStream();
    while (in.Read(buffer, sizeof buffer).LastRead() > 0) text.append(buffer, in.LastRead());
    return text;
}

std::vector<std::string> Captures(const std::string& text, const std::regex& pattern) {
    std::vector<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
        found.push_back((*it)[1].str());
    }
    return found;
}

// href relative to the folder of page, with "../" taken off; empty when it leaves the book.
std::string Resolve(const std::string& page, const std::string& href) {
    std::string folder = page.substr(0, page.rfind('/') + 1);
    std::string rest = href;
    while (rest.rfind("../", 0) == 0) {
        if (folder.empty()) return {};
        folder.erase(folder.rfind('/', folder.size() - 2) + 1);
        rest.erase(0, 3);
    }
    return folder + rest;
}

struct HelpProjectRow {
    const char* project;
    const char* folder;  // where the project's pages are; no page of it lies elsewhere
};

TEST_F(HelpWindowTest, EveryEntryAndLinkOfBothProjectsReachesAPageAndAnchorOfItsOwnLanguage) {
    const auto book = FindHelpBook(VELMORA_BUILT_PROGRAM_DIR);
    ASSERT_TRUE(book);
    static const bool handlerAdded = [] {
        wxFileSystem::AddHandler(new wxArchiveFSHandler);
        return true;
    }();
    ASSERT_TRUE(handlerAdded);
    const wxString bookUrl =
        wxFileSystem::FileNameToURL(wxFileName(wxString::FromUTF8(*book))) + "#zip:";
    const std::regex hrefPattern(R"re(href="([^"]*)")re");
    const std::regex anchorPattern(R"re(<a name="([^"]*)")re");
    for (const HelpProjectRow& row :
         {HelpProjectRow{"Help_Velmora.hhp", ""}, HelpProjectRow{"Help_Velmora_ru.hhp", "ru/"}}) {
        SCOPED_TRACE(row.project);
        wxHtmlHelpController controller;
        ASSERT_TRUE(controller.AddBook(bookUrl + row.project));
        const auto* data = controller.GetHelpData();
        ASSERT_GE(data->GetContentsArray().size(), 20u);
        ASSERT_GE(data->GetIndexArray().size(), 30u);
        const std::string folder = row.folder;
        const auto inFolder = [&](const std::string& page) {
            return page.rfind(folder, 0) == 0 && page.find('/', folder.size()) == std::string::npos;
        };
        // Every target: the entries of contents and index, then the links of every page reached.
        std::vector<std::pair<std::string, std::string>> targets;  // (from, page#anchor)
        for (const auto* items : {&data->GetContentsArray(), &data->GetIndexArray()}) {
            for (std::size_t i = 0; i < items->size(); ++i) {
                targets.emplace_back(row.project, Utf8((*items)[i].page));
            }
        }
        wxFileSystem files;
        std::map<std::string, std::set<std::string>> anchorsOf;  // the pages read so far
        std::set<std::string> broken;
        for (std::size_t i = 0; i < targets.size(); ++i) {
            const auto [from, target] = targets[i];
            const std::string page = target.substr(0, target.find('#'));
            const std::string anchor =
                page.size() < target.size() ? target.substr(page.size() + 1) : "";
            if (!inFolder(page)) {
                broken.insert(from + " -> " + target + " (another language)");
                continue;
            }
            if (!anchorsOf.count(page)) {
                const auto text = ReadPage(files, bookUrl, page);
                if (!text) {
                    broken.insert(from + " -> " + target + " (no page)");
                    continue;
                }
                const auto names = Captures(*text, anchorPattern);
                anchorsOf[page] = std::set<std::string>(names.begin(), names.end());
                for (const std::string& href : Captures(*text, hrefPattern)) {
                    const std::string resolved = Resolve(page, href);
                    if (href.size() > 4 && href.substr(href.size() - 4) == ".css") {
                        if (resolved != "velmora.css") broken.insert(page + " -> " + href);
                    } else {
                        targets.emplace_back(page, resolved.empty() ? href : resolved);
                    }
                }
            }
            if (!anchor.empty() && !anchorsOf[page].count(anchor)) {
                broken.insert(from + " -> " + target + " (no anchor)");
            }
        }
        EXPECT_EQ(broken, std::set<std::string>{});
        // All eleven pages, each reached from the contents or a page of its language.
        EXPECT_EQ(anchorsOf.size(), 11u);
    }
}

TEST_F(HelpWindowTest, TheListsKeysReachTheCommandMapAndCtrlASelectsEveryRow) {
    auto& frame = Open();
    std::vector<int> clicked;
    for (int id : {kIdDelete, kIdGetFileList}) {
        frame.Model().Commands().Set({WindowEvent::Clicked, id},
                                     [&clicked, id](const EventArgs&) { clicked.push_back(id); });
    }
    std::vector<int> opened;
    frame.Model().Commands().Set(
        {WindowEvent::ListDoubleClick, kIdFileList},
        [&opened](const EventArgs& args) { opened.push_back(args.param); });
    auto& rows =
        const_cast<FileRows&>(dynamic_cast<FileListView&>(*frame.Control(kIdFileList)).Model());
    rows.FillFolder(std::vector<FolderMatch>(3));
    rows.SetRowSelected(1, true);
    wxWindow* list = frame.Control(kIdFileList);

    Press(list, WXK_DELETE);
    Press(list, WXK_F5);
    EXPECT_EQ(clicked, (std::vector<int>{kIdDelete, kIdGetFileList}));
    Press(list, WXK_RETURN);
    ASSERT_EQ(opened.size(), 1u);  // once, though the list would open it by itself too
    Press(list, 'A', wxMOD_CONTROL);
    EXPECT_EQ(rows.SelectedRows(), (std::vector<int>{0, 1, 2}));
    auto* view = static_cast<wxListCtrl*>(list);
    EXPECT_EQ(view->GetSelectedItemCount(), 3);
}

TEST_F(HelpWindowTest, UnlabelledControlsCarryTheirAccessibleNamesInTheWindowsLanguage) {
    auto& frame = Open();
    const int ids[] = {kIdDeviceList, kIdUploadPath,   kIdTree,       kIdSearchMask, kIdFileList,
                       kIdProgress,   kIdFileProgress, kIdLeaveBytes, kIdStatusBar};
    for (const char* language : {kEnglishCode, kRussianCode}) {
        frame.Model().SwitchLanguageTo(language);
        PumpUntil([] { return false; }, std::chrono::milliseconds(100));
        for (int id : ids) {
            EXPECT_EQ(AccessibleName(frame.Control(id)), AccessibleNameOf(id)) << id;
            EXPECT_FALSE(AccessibleName(frame.Control(id)).empty()) << id;
        }
        EXPECT_EQ(AccessibleName(frame.StatusIcon(1)), StatusIconName(1));
    }
}

TEST(ProgramIcons, StaySharpAtTwiceTheScaleAndTheWindowGetsEveryThemeSize) {
    for (const auto& bundle : {ConnectedIcon(), UsbIcon(), RootIcon(), MainArtwork()}) {
        const wxSize base = bundle.GetDefaultSize();
        const wxBitmap doubled = bundle.GetBitmap(base * 2);
        ASSERT_TRUE(doubled.IsOk());
        // Drawn at the size, not blown up from the small one.
        EXPECT_EQ(doubled.GetSize(), base * 2);
        EXPECT_EQ(bundle.GetPreferredBitmapSizeAtScale(2.0), base * 2);
        const wxImage image = doubled.ConvertToImage();
        int opaque = 0;
        for (int y = 0; y < image.GetHeight(); ++y) {
            for (int x = 0; x < image.GetWidth(); ++x) opaque += image.GetAlpha(x, y) > 128;
        }
        EXPECT_GT(opaque, image.GetWidth() * image.GetHeight() / 8);
    }
    const wxIconBundle icons = MainIcons();
    ASSERT_EQ(icons.GetIconCount(), kMainIconSizes.size());
    for (int size : kMainIconSizes) {
        EXPECT_EQ(icons.GetIcon(wxSize(size, size), wxIconBundle::FALLBACK_NONE).GetWidth(), size);
    }
}

}  // namespace
}  // namespace velmora
