// The menu resources 131 and 137 as data, in the current language. The texts are the
// resources' own, trailing spaces and all; the Language pop-up lists every language that has a
// catalog, each named in itself.
#include <utility>

#include "base/lang_string.h"
#include "ui/language.h"
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

// The same with the string's text in the current language.
MenuItem Command(int id, int stringId, bool checked = false) {
    return Command(id, LoadLangString(stringId), checked);
}

MenuItem Separator() {
    MenuItem item;
    item.kind = MenuItem::Kind::Separator;
    return item;
}

MenuItem Popup(int stringId, std::vector<MenuItem> children) {
    MenuItem item;
    item.kind = MenuItem::Kind::Popup;
    item.text = LoadLangString(stringId);
    item.children = std::move(children);
    return item;
}

// The menus' strings.
enum : int {
    kStrFileMenu = 600,
    kStrExit,
    kStrInterfaceMenu,
    kStrUsb,
    kStrRs232,
    kStrViewMenu,
    kStrIcons,
    kStrList,
    kStrSmallIcons,
    kStrTable,
    kStrLanguageMenu,
    kStrHelp,
    kStrAbout,
    kStrContextTitle,
    kStrSortBy,
    kStrName,
    kStrProperties,
    kStrView,
    kStrSize = 138,
    kStrType = 139,
    kStrDownload = 178,
    kStrDelete = 180
};

std::vector<MenuItem> LanguageItems() {
    std::vector<MenuItem> items;
    for (const auto& code : AvailableLanguages()) {
        if (const int command = LanguageCommand(code)) {
            items.push_back(Command(command, LanguageName(code)));
        }
    }
    return items;
}

}  // namespace

MenuSpec MainMenu() {
    return {
        "",
        {
            Popup(kStrFileMenu, {Command(kCmdExit, kStrExit)}),
            Popup(kStrInterfaceMenu,
                  {Command(kCmdUsb, kStrUsb, true), Command(kCmdRs232, kStrRs232)}),
            Popup(kStrViewMenu,
                  {Command(kCmdViewIcons, kStrIcons), Command(kCmdViewList, kStrList),
                   Command(kCmdViewSmallIcons, kStrSmallIcons), Command(kCmdViewTable, kStrTable)}),
            Popup(kStrLanguageMenu, LanguageItems()),
            Popup(kStrHelp, {Command(kCmdAbout, kStrAbout), Command(kCmdHelp, kStrHelp)}),
        }};
}

MenuSpec ContextMenu() {
    return {LoadLangString(kStrContextTitle),
            {
                Popup(kStrSortBy, {Command(kCmdSortName, kStrName), Command(kCmdSortSize, kStrSize),
                                   Command(kCmdSortType, kStrType)}),
                Command(kCmdProperties, kStrProperties),
                Separator(),
                Command(kCmdContextDownload, kStrDownload),
                Command(kCmdContextDelete, kStrDelete),
                Separator(),
                Popup(kStrView,
                      {Command(kCmdContextIcons, kStrIcons), Command(kCmdContextList, kStrList),
                       Command(kCmdContextSmallIcons, kStrSmallIcons),
                       Command(kCmdContextTable, kStrTable)}),
            }};
}

}  // namespace velmora
