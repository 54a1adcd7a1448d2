#include "system/registry_path_key.h"

#include <algorithm>
#include <array>

#include "system/pointer_values.h"

namespace t47 {
namespace {

struct RootName {
    std::u16string_view name;
    RegistryRoot root;
};

constexpr std::array<RootName, 4> kRootNames = {{
    {u"HKEY_LOCAL_MACHINE", RegistryRoot::kLocalMachine},
    {u"HKEY_CURRENT_USER", RegistryRoot::kCurrentUser},
    {u"HKEY_CURRENT_CONFIG", RegistryRoot::kCurrentConfig},
    {u"HKEY_CLASSES_ROOT", RegistryRoot::kClassesRoot},
}};

char16_t FoldCase(char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char16_t x, char16_t y) { return FoldCase(x) == FoldCase(y); });
}

}  // namespace

RegistryPathKey::RegistryPathKey(Registry& systemRegistry) : registry(systemRegistry) {}

RegistryPathKey::~RegistryPathKey() {
    CloseKey();
}

std::int32_t RegistryPathKey::SplitRootPath(std::u16string_view path) {
    const std::size_t backslash = path.find(u'\\');
    if (backslash == std::u16string_view::npos) {
        return 0;
    }
    const std::u16string_view first = path.substr(0, backslash);
    RegistryRoot chosen = RegistryRoot::kLocalMachine;
    std::u16string_view rest = path;
    for (const RootName& known : kRootNames) {
        if (EqualIgnoringCase(first, known.name)) {
            chosen = known.root;
            rest = path.substr(backslash + 1);
            break;
        }
    }
    // A cut sub-key would name another key; the field must hold it whole.
    if (rest.size() >= kSubKeyUnits) {
        return 0;
    }
    root = chosen;
    SetText(subKey, rest);
    return 1;
}

std::int32_t RegistryPathKey::OpenPath(std::u16string_view path, std::uint32_t access) {
    CloseKey();
    // A path that names no key must not open the root itself.
    if (SplitRootPath(path) == 0) {
        return 0;
    }
    key = registry.OpenKey(root, SubKey(), access);
    if (key == kNoRegistryKey) {
        key = registry.CreateKey(root, SubKey());
    }
    return IsOpen() ? 1 : 0;
}

std::int32_t RegistryPathKey::WriteStringValue(std::u16string_view name,
                                               std::u16string_view value) {
    return registry.SetValue(key, name, kRegSz, RegistryStringBytes(value)) ? 1 : 0;
}

void RegistryPathKey::CloseKey() {
    if (key != kNoRegistryKey) {
        registry.CloseKey(key);
        key = kNoRegistryKey;
    }
    subKey.fill(u'\0');
}

}  // namespace t47
