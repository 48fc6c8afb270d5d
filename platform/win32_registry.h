#pragma once

#include "patcher/registry.h"

namespace cirrowisp {

// The Windows registry, read through the wide-character functions in the view each query names,
// whatever the bitness of this program.
class Win32Registry : public Registry {
public:
    std::optional<std::string> queryValue(RegistryRoot root, RegistryView view,
                                          std::string_view subKey, std::string_view name,
                                          std::size_t bufferSize) override;
    std::optional<std::string> roamingAppData() override;
};

}  // namespace cirrowisp
