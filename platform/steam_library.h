#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cirrowisp {

// The folders libraryfolders.vdf lists as Steam libraries: the "path" entries of today's file
// and the plain numbered strings of older ones, in file order, escapes undone.
std::vector<std::string> steamLibraryPaths(std::string_view vdfText);

// The value of `key` at any depth of a Valve key-value text (an .acf manifest); empty when
// there is none.
std::string valveKeyValue(std::string_view text, std::string_view key);

// A game Steam keeps for Windows and runs under Proton.
struct ProtonGame {
    std::filesystem::path library;  // the library that holds the game
    std::filesystem::path folder;   // steamapps/common/<installdir> in it
    std::filesystem::path prefix;   // steamapps/compatdata/<app>/pfx of some library
};

// Steam app `appId` below the Steam installations in `home` (the native, Flatpak and Snap
// places), found as Steam finds it: the library whose appmanifest names it holds the game, and
// the prefix is in whichever library has one (the most recently used, by its pfx.lock, when
// several do). Names on disk are matched without regard to case. nullopt when the game or its
// prefix is missing.
std::optional<ProtonGame> findProtonGame(const std::filesystem::path& home, std::string_view appId,
                                         std::string_view defaultInstallDir);

}  // namespace cirrowisp
