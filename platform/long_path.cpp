#include "platform/long_path.h"

#include <vector>

namespace cirrowisp {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The segments of `rest`, with "." and empty ones dropped and ".." applied.
std::vector<std::string_view> segments(std::string_view rest) {
    std::vector<std::string_view> kept;
    std::size_t pos = 0;
    while (pos <= rest.size()) {
        std::size_t end = pos;
        while (end < rest.size() && !isSeparator(rest[end])) {
            ++end;
        }
        const std::string_view segment = rest.substr(pos, end - pos);
        if (segment == "..") {
            if (!kept.empty()) {
                kept.pop_back();
            }
        } else if (!segment.empty() && segment != ".") {
            kept.push_back(segment);
        }
        pos = end + 1;
    }
    return kept;
}

}  // namespace

std::string extendedLengthPath(std::string_view path) {
    std::string prefix;
    std::string_view rest;
    if (path.size() >= 4 && isSeparator(path[0]) && isSeparator(path[1]) &&
        (path[2] == '?' || path[2] == '.') && isSeparator(path[3])) {
        return std::string(path);
    }
    if (path.size() >= 3 && isLetter(path[0]) && path[1] == ':' && isSeparator(path[2])) {
        prefix = "\\\\?\\" + std::string(path.substr(0, 2));
        rest = path.substr(3);
    } else if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        // The server and the share are the root of the path; without both it names nothing.
        std::size_t server = 2;
        while (server < path.size() && !isSeparator(path[server])) {
            ++server;
        }
        std::size_t share = server + 1;
        while (share < path.size() && !isSeparator(path[share])) {
            ++share;
        }
        if (server == 2 || server + 1 >= share || share > path.size()) {
            return std::string(path);
        }
        prefix = "\\\\?\\UNC\\" + std::string(path.substr(2, server - 2)) + '\\' +
                 std::string(path.substr(server + 1, share - server - 1));
        rest = share < path.size() ? path.substr(share + 1) : std::string_view{};
    } else {
        return std::string(path);
    }
    std::string result = prefix + '\\';
    bool first = true;
    for (const std::string_view segment : segments(rest)) {
        if (!first) {
            result += '\\';
        }
        result += segment;
        first = false;
    }
    return result;
}

}  // namespace cirrowisp
