#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "patcher/file_system.h"

namespace cirrowisp {

// A listing of entries already gathered in memory: what the in-memory file systems hand out.
class VectorListing : public DirectoryListing {
public:
    explicit VectorListing(std::vector<DirEntry> entries) : entries_(std::move(entries)) {}
    bool next(DirEntry& entry) override {
        if (index_ == entries_.size()) {
            return false;
        }
        entry = entries_[index_++];
        return true;
    }

private:
    std::vector<DirEntry> entries_;
    std::size_t index_ = 0;
};

}  // namespace cirrowisp
