#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/lang_string.h"
#include "ui/menu_spec.h"

namespace velmora {
namespace {

using Kind = MenuItem::Kind;

// One line per item, nesting shown by indentation: "32781 Name" or "-" or "> View".
void Flatten(const std::vector<MenuItem>& items, const std::string& indent,
             std::vector<std::string>& out) {
    for (const auto& item : items) {
        switch (item.kind) {
            case Kind::Separator:
                EXPECT_TRUE(item.children.empty());
                out.push_back(indent + "-");
                break;
            case Kind::Popup:
                EXPECT_EQ(item.id, 0);
                out.push_back(indent + "> " + item.text);
                Flatten(item.children, indent + "  ", out);
                break;
            case Kind::Command:
                EXPECT_TRUE(item.children.empty());
                out.push_back(indent + std::to_string(item.id) + " " + item.text +
                              (item.checked ? " [x]" : ""));
                break;
        }
    }
}

std::vector<std::string> Lines(const MenuSpec& menu) {
    std::vector<std::string> out;
    Flatten(menu.items, "", out);
    return out;
}

class MenusTest : public ::testing::Test {
  protected:
    void TearDown() override { SetLanguageIndex(kLanguageEnglish); }
};

TEST_F(MenusTest, EnglishMainMenu131) {
    const auto menu = MainMenu();
    EXPECT_EQ(menu.title, "");
    EXPECT_EQ(Lines(menu),
              (std::vector<std::string>{
                  "> &File", "  32809 E&xit", "> &Interface", "  32773 &USB [x]", "  32774 R&S232",
                  "> &View", "  32801 Icons", "  32797 List", "  32798 Small Icons",
                  "  32799 Table", "> &Language", "  32805 English", "  32818 Русский", "> &Help",
                  "  32777 &About", "  32804 &Help"}));
}

TEST_F(MenusTest, RussianMainMenu178) {
    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(Lines(MainMenu()),
              (std::vector<std::string>{
                  "> &Файл", "  32809 &Выход", "> &Интерфейс", "  32773 USB [x]", "  32774 RS232",
                  "> &Вид", "  32801 Значки", "  32797 Список", "  32798 Маленькие значки",
                  "  32799 Таблица", "> &Язык", "  32805 English", "  32818 Русский", "> Помощь",
                  "  32777 О программе", "  32804 Помощь"}));
}

TEST_F(MenusTest, EnglishContextMenu137KeepsTrailingSpaces) {
    const auto menu = ContextMenu();
    EXPECT_EQ(menu.title, "Test Right click");
    EXPECT_EQ(Lines(menu), (std::vector<std::string>{
                               "> Sort by", "  32781 Name                     ", "  32782 Size",
                               "  32783 Type", "32784 Properties                            ", "-",
                               "32785 Download", "32786 Delete", "-", "> View", "  32802 Icons",
                               "  59410 List", "  32790 Small Icons", "  32788 Table"}));
}

TEST_F(MenusTest, RussianContextMenu179HasTheSameItems) {
    SetLanguageIndex(kLanguageRussian);
    const auto menu = ContextMenu();
    EXPECT_EQ(menu.title, "Контекстное меню");
    EXPECT_EQ(Lines(menu), (std::vector<std::string>{
                               "> сортировать по", "  32781 Имя", "  32782 Размер", "  32783 Тип",
                               "32784 Свойства                            ", "-", "32785 Скачать",
                               "32786 Удалить", "-", "> Вид", "  32802 Значки", "  59410 Список",
                               "  32790 Маленькие значки", "  32788 Таблица"}));
}

TEST_F(MenusTest, EveryIndexButOneGivesEnglish) {
    const auto english = Lines(MainMenu());
    for (std::int32_t index : {2, -1, 0x7FFFFFFF}) {
        SetLanguageIndex(index);
        EXPECT_EQ(Lines(MainMenu()), english) << index;
        EXPECT_EQ(ContextMenu().title, "Test Right click");
    }
}

}  // namespace
}  // namespace velmora
