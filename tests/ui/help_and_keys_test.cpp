// The help book's lookup and the boxes around it, the file list's keys, the command line and
// the accessible names, on the window model.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/lang_string.h"
#include "support/fakes.h"
#include "support/pumped_ui_thread.h"
#include "support/temp_folder.h"
#include "ui/accessible_names.h"
#include "ui/command_line.h"
#include "ui/help.h"
#include "ui/list_keys.h"
#include "ui/main_window.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "zip";
}

// ---- finding the book ----

TEST(FindHelpBook, InstalledDataFolderFirstThenTheExecutablesFolder) {
    test::TempFolder tmp;
    const std::string bin = (tmp.path() / "prefix" / "bin").string() + "/";
    const fs::path installed = tmp.path() / "prefix" / "share" / "velmora" / kHelpBookName;
    const fs::path beside = tmp.path() / "prefix" / "bin" / kHelpBookName;
    fs::create_directories(bin);

    EXPECT_EQ(FindHelpBook(bin), std::nullopt);
    Touch(beside);
    EXPECT_EQ(FindHelpBook(bin), beside.string());
    Touch(installed);
    // The path is tidy: no "bin/.." in what a message or the viewer shows.
    EXPECT_EQ(FindHelpBook(bin), installed.string());
}

TEST(FindHelpBook, AFolderOfTheBooksNameIsNoBook) {
    test::TempFolder tmp;
    const std::string bin = (tmp.path() / "bin").string() + "/";
    fs::create_directories(tmp.path() / "share" / "velmora" / kHelpBookName);
    fs::create_directories(tmp.path() / "bin" / kHelpBookName);
    EXPECT_EQ(FindHelpBook(bin), std::nullopt);
}

TEST(FindHelpBook, DoesNotLookInTheCurrentDirectory) {
    test::TempFolder tmp;
    Touch(tmp.path() / kHelpBookName);
    const auto cwd = fs::current_path();
    fs::current_path(tmp.path());
    const auto found = FindHelpBook((tmp.path() / "elsewhere").string() + "/");
    fs::current_path(cwd);
    EXPECT_EQ(found, std::nullopt);
}

TEST(HelpProject, RussianForOneEnglishForEveryOtherIndex) {
    EXPECT_EQ(HelpProject(kLanguageEnglish), "Help_Velmora.hhp");
    EXPECT_EQ(HelpProject(kLanguageRussian), "Help_Velmora_ru.hhp");
    // A stored language without a table field shows English menus, and English help.
    EXPECT_EQ(HelpProject(2), "Help_Velmora.hhp");
    EXPECT_EQ(HelpProject(-1), "Help_Velmora.hhp");
}

// ---- the window's help command, F1 and the list's keys ----

class HelpAndKeysTest : public ::testing::Test {
  protected:
    void SetUp() override { SetLanguageIndex(kLanguageEnglish); }
    void TearDown() override { SetLanguageIndex(kLanguageEnglish); }

    MainWindow& Started(const std::string& programFolder = "/opt/velmora/bin/") {
        m_window = std::make_unique<MainWindow>(
            MainWindowPorts{pst, user, prompts, ui, shell, programFolder, test::RunAtOnce}, view);
        m_window->Start();
        return *m_window;
    }
    // Records what a row of the command map was asked to do.
    void Record(MainWindow& w, EventKey key) {
        w.Commands().Set(key, [this, key](const EventArgs& args) {
            dispatched.push_back({key, args.param});
        });
    }
    void FillRows(int count) {
        std::vector<FolderMatch> matches(static_cast<std::size_t>(count));
        rows.FillFolder(matches);
    }

    test::StartOnlyPst pst;
    test::MemorySettingsStore user;
    test::FakePrompts prompts;
    test::PumpedUiThread ui;
    test::NullShell shell;
    test::FakeMainWindowView view;
    FileRows rows;
    std::vector<std::pair<EventKey, std::int32_t>> dispatched;

  private:
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(HelpAndKeysTest, AMissingBookIsAStopBoxNamingWhereItBelongs) {
    test::TempFolder tmp;
    auto& w = Started((tmp.path() / "bin").string() + "/");
    for (const auto& [event, id] :
         {std::pair{WindowEvent::HelpRequest, 0}, std::pair{WindowEvent::Command, kCmdHelp}}) {
        prompts.Clear();
        EXPECT_TRUE(w.OnEvent(event, id));
        ASSERT_EQ(prompts.Boxes().size(), 1u);
        const auto box = prompts.Boxes().front();
        EXPECT_EQ(box.title, "Velmora");
        EXPECT_EQ(box.icon, PromptIcon::Stop);
        EXPECT_EQ(box.text, LoadLangString(540) + "\n" +
                                (tmp.path() / "share" / "velmora" / kHelpBookName).string());
    }
    EXPECT_TRUE(view.helpShown.empty());
}

TEST_F(HelpAndKeysTest, TheBookOpensInTheCurrentLanguagesProject) {
    test::TempFolder tmp;
    const fs::path book = tmp.path() / "share" / "velmora" / kHelpBookName;
    Touch(book);
    auto& w = Started((tmp.path() / "bin").string() + "/");
    w.OnEvent(WindowEvent::HelpRequest);
    w.SwitchLanguageTo(kRussianCode);
    w.Command(kCmdHelp);
    const std::vector<std::pair<std::string, std::string>> expected{
        {book.string(), "Help_Velmora.hhp"}, {book.string(), "Help_Velmora_ru.hhp"}};
    EXPECT_EQ(view.helpShown, expected);
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(HelpAndKeysTest, ABookTheViewerCannotReadIsReportedInTheCurrentLanguage) {
    test::TempFolder tmp;
    const fs::path book = tmp.path() / "bin" / kHelpBookName;
    Touch(book);
    view.helpReadable = false;
    auto& w = Started((tmp.path() / "bin").string() + "/");
    w.SwitchLanguageTo(kRussianCode);
    w.OnEvent(WindowEvent::HelpRequest);
    ASSERT_EQ(prompts.Boxes().size(), 1u);
    EXPECT_EQ(prompts.Boxes().front().text, "Не удаётся прочитать файл справки:\n" + book.string());
    EXPECT_EQ(prompts.Boxes().front().icon, PromptIcon::Stop);
}

TEST_F(HelpAndKeysTest, DeleteAndF5RunTheirButtonsOnlyWhileTheButtonsAreEnabled) {
    auto& w = Started();
    Record(w, {WindowEvent::Clicked, kIdDelete});
    Record(w, {WindowEvent::Clicked, kIdGetFileList});
    FillRows(2);

    EXPECT_TRUE(HandleListKey(w, rows, ListKey::Delete, 0));
    EXPECT_TRUE(HandleListKey(w, rows, ListKey::GetFileList, -1));
    ASSERT_EQ(dispatched.size(), 2u);
    EXPECT_EQ(dispatched[0].first, (EventKey{WindowEvent::Clicked, kIdDelete}));
    EXPECT_EQ(dispatched[1].first, (EventKey{WindowEvent::Clicked, kIdGetFileList}));

    // A running job greys both: the keys must not start a second job.
    w.EnableControls(0, 0);
    EXPECT_FALSE(HandleListKey(w, rows, ListKey::Delete, 0));
    EXPECT_FALSE(HandleListKey(w, rows, ListKey::GetFileList, 0));
    EXPECT_EQ(dispatched.size(), 2u);
    w.EnableControls(1, 1);
    EXPECT_TRUE(HandleListKey(w, rows, ListKey::GetFileList, 0));
    EXPECT_EQ(dispatched.size(), 3u);
}

TEST_F(HelpAndKeysTest, EnterOpensTheFocusedRowElseTheFirstSelectedAsADoubleClick) {
    auto& w = Started();
    const EventKey doubleClick{WindowEvent::ListDoubleClick, kIdFileList};
    Record(w, doubleClick);
    FillRows(4);

    EXPECT_FALSE(HandleListKey(w, rows, ListKey::Open, -1));  // nothing focused or selected
    rows.SetRowSelected(2, true);
    rows.SetRowSelected(3, true);
    EXPECT_TRUE(HandleListKey(w, rows, ListKey::Open, -1));
    EXPECT_TRUE(HandleListKey(w, rows, ListKey::Open, 1));
    EXPECT_TRUE(HandleListKey(w, rows, ListKey::Open, 9));  // out of range: the selection
    const std::vector<std::pair<EventKey, std::int32_t>> expected{
        {doubleClick, 2}, {doubleClick, 1}, {doubleClick, 2}};
    EXPECT_EQ(dispatched, expected);
}

TEST_F(HelpAndKeysTest, CtrlASelectsEveryRowAndNothingInAnEmptyList) {
    auto& w = Started();
    EXPECT_FALSE(HandleListKey(w, rows, ListKey::SelectAll, -1));
    FillRows(3);
    rows.SetRowSelected(1, true);
    EXPECT_TRUE(HandleListKey(w, rows, ListKey::SelectAll, -1));
    EXPECT_EQ(rows.SelectedRows(), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(dispatched.empty());
}

// ---- the command line ----

TEST(ParseCommandLine, HelpAndVersionWinAnythingElseIsRefused) {
    SetLanguageIndex(kLanguageEnglish);
    using Args = std::vector<std::string>;
    EXPECT_EQ(ParseCommandLine(Args{}).action, StartAction::OpenWindow);
    EXPECT_EQ(ParseCommandLine(Args{"--version"}).text, "Velmora Version 1.3\n");
    EXPECT_EQ(ParseCommandLine(Args{"--bogus", "--help"}).action, StartAction::PrintHelp);
    EXPECT_EQ(ParseCommandLine(Args{"--version", "-h"}).action, StartAction::PrintHelp);
    EXPECT_EQ(ParseCommandLine(Args{"-h"}).exitCode, 0);

    const auto refused = ParseCommandLine(Args{"phone.ini"});
    EXPECT_EQ(refused.action, StartAction::Refuse);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.text, "velmora: unknown argument \"phone.ini\"\nTry \"velmora --help\".\n");

    // The toolkit's own options, in both spellings, are the toolkit's business.
    EXPECT_EQ(ParseCommandLine(Args{"--display=:1", "--name", "v", "--sync"}).action,
              StartAction::OpenWindow);
    EXPECT_EQ(ParseCommandLine(Args{"--display"}).action, StartAction::OpenWindow);
    EXPECT_EQ(ParseCommandLine(Args{"--display", ":1", "extra"}).text.find("\"extra\""),
              std::string("velmora: unknown argument ").size());
    EXPECT_EQ(ParseCommandLine(Args{"--displayx"}).action, StartAction::Refuse);

    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(ParseCommandLine(Args{"-x"}).text.find("velmora: неизвестный аргумент"), 0u);
    SetLanguageIndex(kLanguageEnglish);
}

// ---- accessible names ----

TEST(AccessibleNameOf, EveryControlWithoutAVisibleLabelIsNamedInBothLanguages) {
    constexpr int kUnlabelled[] = {kIdDeviceList,   kIdUploadPath, kIdTree,
                                   kIdSearchMask,   kIdFileList,   kIdProgress,
                                   kIdFileProgress, kIdLeaveBytes, kIdStatusBar};
    for (std::int32_t language : {kLanguageEnglish, kLanguageRussian}) {
        SetLanguageIndex(language);
        std::vector<std::string> names;
        for (int id : kUnlabelled) {
            names.push_back(AccessibleNameOf(id));
            EXPECT_FALSE(names.back().empty()) << id << " in language " << language;
        }
        // Two controls with one name cannot be told apart by ear.
        std::sort(names.begin(), names.end());
        EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
        EXPECT_NE(StatusIconName(0), StatusIconName(1));
    }
    SetLanguageIndex(kLanguageEnglish);
    // Buttons say their text.
    EXPECT_EQ(AccessibleNameOf(kIdGetFileList), "");
}

}  // namespace
}  // namespace velmora
