// The menu resources 131, 137, 178 and 179 as data. The texts are the resources' own, trailing
// spaces and all; the Russian context menu has no separator before its View pop-up.
#include <utility>

#include "base/lang_string.h"
#include "ui/main_window_ids.h"
#include "ui/menu_spec.h"

namespace velmora {
namespace {

MenuItem Command(int id, std::string text, bool checked = false) {
    MenuItem item;
    item.kind = MenuItem::Kind::Command;
    item.id = id;
    item.text = std::move(text);
    item.checked = checked;
    return item;
}

MenuItem Separator() {
    MenuItem item;
    item.kind = MenuItem::Kind::Separator;
    return item;
}

MenuItem Popup(std::string text, std::vector<MenuItem> children) {
    MenuItem item;
    item.kind = MenuItem::Kind::Popup;
    item.text = std::move(text);
    item.children = std::move(children);
    return item;
}

// Each item's text in English and in Russian.
class Texts {
  public:
    explicit Texts(std::int32_t languageIndex) : m_russian(languageIndex == kLanguageRussian) {}
    std::string operator()(const char* english, const char* russian) const {
        return m_russian ? russian : english;
    }
    bool Russian() const { return m_russian; }

  private:
    bool m_russian;
};

}  // namespace

MenuSpec MainMenu(std::int32_t languageIndex) {
    const Texts t(languageIndex);
    return {"",
            {
                Popup(t("&File", "&Файл"), {Command(kCmdExit, t("E&xit", "&Выход"))}),
                Popup(t("&Interface", "&Интерфейс"), {Command(kCmdUsb, t("&USB", "USB"), true),
                                                      Command(kCmdRs232, t("R&S232", "RS232"))}),
                Popup(t("&View", "&Вид"),
                      {Command(kCmdViewIcons, t("Icons", "Значки")),
                       Command(kCmdViewList, t("List", "Список")),
                       Command(kCmdViewSmallIcons, t("Small Icons", "Маленькие значки")),
                       Command(kCmdViewTable, t("Table", "Таблица"))}),
                Popup(t("&Language", "&Язык"),
                      {Command(kCommandEnglish, "English"), Command(kCommandRussian, "Русский")}),
                Popup(t("&Help", "Помощь"), {Command(kCmdAbout, t("&About", "О программе")),
                                             Command(kCmdHelp, t("&Help", "Помощь"))}),
            }};
}

MenuSpec ContextMenu(std::int32_t languageIndex) {
    const Texts t(languageIndex);
    MenuSpec menu{t("Test Right click", "Контекстное меню"),
                  {
                      Popup(t("Sort by", "сортировать по"),
                            {Command(kCmdSortName, t("Name                     ", "Имя")),
                             Command(kCmdSortSize, t("Size", "Размер")),
                             Command(kCmdSortType, t("Type", "Тип"))}),
                      Command(kCmdProperties, t("Properties                            ",
                                                "Свойства                            ")),
                      Separator(),
                      Command(kCmdContextDownload, t("Dowload", "Скачать")),
                      Command(kCmdContextDelete, t("Delete", "Удалить")),
                  }};
    if (!t.Russian()) menu.items.push_back(Separator());
    menu.items.push_back(Popup(
        t("View", "Вид"), {Command(kCmdContextIcons, t("Icons", "Значки")),
                           Command(kCmdContextList, t("List", "Список")),
                           Command(kCmdContextSmallIcons, t("Small Icons", "Маленькие значки")),
                           Command(kCmdContextTable, t("Table", "Таблица"))}));
    return menu;
}

}  // namespace velmora
