#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "patcher/registry.h"

namespace cirrowisp {

// The registry of a Wine prefix (HKEY_LOCAL_MACHINE in system.reg, HKEY_CURRENT_USER in
// user.reg), for Linux hosts where the simulator runs under Wine or Steam's Proton. Paths read
// from it are mapped to host paths through the prefix's dosdevices links.
class WinePrefixRegistry : public Registry {
public:
    // An empty `prefix` stands for "no prefix": every query fails. `kind` names it to the user.
    explicit WinePrefixRegistry(std::filesystem::path prefix, std::string kind = "Wine prefix")
        : prefix_(std::move(prefix)), kind_(std::move(kind)) {}

    // The prefix Wine itself would use: $WINEPREFIX, or ~/.wine when that is unset or empty;
    // empty when neither can be named.
    static std::filesystem::path defaultPrefix();

    std::optional<std::string> queryValue(RegistryRoot root, RegistryView view,
                                          std::string_view subKey, std::string_view name,
                                          std::size_t bufferSize) override;
    std::optional<std::string> hostPath(const std::string& registryPath) const override;
    std::string storeName() const override { return kind_ + " " + prefix_.string(); }
    // The folder Wine recorded among the user's shell folders, or else the one it makes for the
    // user `user` (the Unix account when empty): "AppData\Roaming" now, "Application Data"
    // before.
    std::optional<std::string> roamingAppData() override;
    void setUser(std::string user) { user_ = std::move(user); }

private:
    std::filesystem::path prefix_;
    std::string kind_;
    std::string user_;
};

// The user name Wine gives the prefix's user folder: the Unix account's.
std::string wineUserName();

}  // namespace cirrowisp
