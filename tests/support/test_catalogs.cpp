// Built into every headless suite: the build tree's catalogs are its languages.
#include <memory>

#include "base/lang_string.h"
#include "support/mo_catalogs.h"

namespace {

[[maybe_unused]] const bool kInstalled = [] {
    velmora::InstallCatalogs(std::make_shared<velmora::test::MoCatalogs>(VELMORA_LOCALE_DIR));
    return true;
}();

}  // namespace
