#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "patcher/registry.h"

namespace cirrowisp {

// HKEY_LOCAL_MACHINE of a Wine prefix, read from the prefix's system.reg, for Linux hosts
// where the simulator runs under Wine. Paths read from it are mapped to host paths through
// the prefix's dosdevices links.
class WinePrefixRegistry : public Registry {
public:
    // An empty `prefix` stands for "no prefix": every query fails.
    explicit WinePrefixRegistry(std::filesystem::path prefix) : prefix_(std::move(prefix)) {}

    // The prefix Wine itself would use: $WINEPREFIX, or ~/.wine when that is unset or empty;
    // empty when neither can be named.
    static std::filesystem::path defaultPrefix();

    std::optional<std::string> queryLocalMachineValue(std::string_view subKey,
                                                      std::string_view name,
                                                      std::size_t bufferSize) override;
    std::optional<std::string> hostPath(const std::string& registryPath) const override;

private:
    std::filesystem::path prefix_;
};

}  // namespace cirrowisp
