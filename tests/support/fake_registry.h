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

// An in-memory HKEY_LOCAL_MACHINE for tests: keys and values set by the test, names matched
// without regard to case, and the buffer rule of RegQueryValueExW (data longer than the
// caller's buffer of UTF-16 units is a failure). Records the last query so tests can see what
// was asked.
class FakeRegistry : public Registry {
public:
    void setValue(std::string_view subKey, std::string_view name, std::string data) {
        keys_[fold(subKey)][fold(name)] = std::move(data);
    }
    // A key that exists but holds no values.
    void addKey(std::string_view subKey) { keys_[fold(subKey)]; }
    // Replaces the identity path mapping, e.g. to make it fail.
    void setPathMapping(std::function<std::optional<std::string>(const std::string&)> mapping) {
        mapping_ = std::move(mapping);
    }

    std::optional<std::string> queryLocalMachineValue(std::string_view subKey,
                                                      std::string_view name,
                                                      std::size_t bufferSize) override {
        ++queries;
        lastBufferSize = bufferSize;
        const auto key = keys_.find(fold(subKey));
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
