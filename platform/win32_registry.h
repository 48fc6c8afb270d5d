#pragma once

#include "patcher/registry.h"

namespace cirrowisp {

// The Windows registry, read through the wide-character functions in the 32-bit view, where the
// simulator (a 32-bit program) records itself even when we run as a 64-bit program.
class Win32Registry : public Registry {
public:
    std::optional<std::string> queryLocalMachineValue(std::string_view subKey,
                                                      std::string_view name,
                                                      std::size_t bufferSize) override;
};

}  // namespace cirrowisp
