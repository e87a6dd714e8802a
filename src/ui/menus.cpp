// The menu resources 131, 137, 178 and 179 as data. The texts are the resources' own, trailing
// spaces and all; the Russian context menu has no separator before its View pop-up.
#include <utility>

#include "base/lang_string.h"
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

MenuSpec EnglishMainMenu() {
    return {"",
            {
                Popup("&File", {Command(32809, "E&xit")}),
                Popup("&Interface", {Command(32773, "&USB", true), Command(32774, "R&S232")}),
                Popup("&View", {Command(32801, "Icons"), Command(32797, "List"),
                                Command(32798, "Small Icons"), Command(32799, "Table")}),
                Popup("&Language", {Command(32805, "English"), Command(32818, "Русский")}),
                Popup("&Help", {Command(32777, "&About"), Command(32804, "&Help")}),
            }};
}

MenuSpec RussianMainMenu() {
    return {"",
            {
                Popup("&Файл", {Command(32809, "&Выход")}),
                Popup("&Интерфейс", {Command(32773, "USB", true), Command(32774, "RS232")}),
                Popup("&Вид", {Command(32801, "Значки"), Command(32797, "Список"),
                               Command(32798, "Маленькие значки"), Command(32799, "Таблица")}),
                Popup("&Язык", {Command(32805, "English"), Command(32818, "Русский")}),
                Popup("Помощь", {Command(32777, "О программе"), Command(32804, "Помощь")}),
            }};
}

MenuSpec EnglishContextMenu() {
    return {"Test Right click",
            {
                Popup("Sort by", {Command(32781, "Name                     "),
                                  Command(32782, "Size"), Command(32783, "Type")}),
                Command(32784, "Properties                            "),
                Separator(),
                Command(32785, "Dowload"),
                Command(32786, "Delete"),
                Separator(),
                Popup("View", {Command(32802, "Icons"), Command(59410, "List"),
                               Command(32790, "Small Icons"), Command(32788, "Table")}),
            }};
}

MenuSpec RussianContextMenu() {
    return {"Контекстное меню",
            {
                Popup("сортировать по",
                      {Command(32781, "Имя"), Command(32782, "Размер"), Command(32783, "Тип")}),
                Command(32784, "Свойства                            "),
                Separator(),
                Command(32785, "Скачать"),
                Command(32786, "Удалить"),
                Popup("Вид", {Command(32802, "Значки"), Command(59410, "Список"),
                              Command(32790, "Маленькие значки"), Command(32788, "Таблица")}),
            }};
}

}  // namespace

MenuSpec MainMenu(std::int32_t languageIndex) {
    return languageIndex == kLanguageRussian ? RussianMainMenu() : EnglishMainMenu();
}

MenuSpec ContextMenu(std::int32_t languageIndex) {
    return languageIndex == kLanguageRussian ? RussianContextMenu() : EnglishContextMenu();
}

}  // namespace velmora
