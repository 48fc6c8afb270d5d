#pragma once

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "patcher/registry.h"
#include "patcher/utf16_text.h"

namespace cirrowisp {

// An in-memory registry for tests: keys and values set by the test (HKEY_LOCAL_MACHINE in its
// 32-bit view unless named otherwise), names matched without regard to case, one
// HKEY_CURRENT_USER for both views, and the buffer rule of RegQueryValueExW (data longer than
// the caller's buffer of UTF-16 units is a failure). Records the last query so tests can see
// what was asked.
class FakeRegistry : public Registry {
public:
    void setValue(std::string_view subKey, std::string_view name, std::string data) {
        setValue(RegistryRoot::localMachine, RegistryView::bits32, subKey, name, std::move(data));
    }
    void setValue(RegistryRoot root, RegistryView view, std::string_view subKey,
                  std::string_view name, std::string data) {
        keys_[keyName(root, view, subKey)][fold(name)] = std::move(data);
    }
    // A key that exists but holds no values.
    void addKey(std::string_view subKey) {
        keys_[keyName(RegistryRoot::localMachine, RegistryView::bits32, subKey)];
    }
    // Replaces the identity path mapping, e.g. to make it fail.
    void setPathMapping(std::function<std::optional<std::string>(const std::string&)> mapping) {
        mapping_ = std::move(mapping);
    }

    std::optional<std::string> queryValue(RegistryRoot root, RegistryView view,
                                          std::string_view subKey, std::string_view name,
                                          std::size_t bufferSize) override {
        ++queries;
        lastBufferSize = bufferSize;
        const auto key = keys_.find(keyName(root, view, subKey));
        if (key == keys_.end()) {
            return std::nullopt;
        }
        const auto value = key->second.find(fold(name));
        if (value == key->second.end() || utf16Length(value->second) > bufferSize) {
            return std::nullopt;
        }
        return value->second;
    }

    std::optional<std::string> hostPath(const std::string& registryPath) const override {
        return mapping_ ? mapping_(registryPath) : registryPath;
    }

    int queries = 0;
    std::size_t lastBufferSize = 0;

private:
    static std::string keyName(RegistryRoot root, RegistryView view, std::string_view subKey) {
        if (root == RegistryRoot::currentUser) {
            return "hkcu\\" + fold(subKey);
        }
        return (view == RegistryView::bits32 ? "hklm32\\" : "hklm64\\") + fold(subKey);
    }
    static std::string fold(std::string_view text) {
        std::string folded(text);
        std::transform(folded.begin(), folded.end(), folded.begin(), [](char c) {
            return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        });
        return folded;
    }

    std::map<std::string, std::map<std::string, std::string>> keys_;
    std::function<std::optional<std::string>(const std::string&)> mapping_;
};

}  // namespace cirrowisp
