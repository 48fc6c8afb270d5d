#pragma once

// Table rows named by their `name` field, in test names and in failure output; and the row of
// a reader's table.
#include <gtest/gtest.h>

#include <concepts>
#include <ostream>
#include <string>
#include <string_view>

namespace cirrowisp {
// The unnamed namespace the test files keep their rows in: GoogleTest finds PrintTo there by
// argument-dependent lookup, and prefers it to its own as the more constrained template.
namespace {

template <typename Row>
concept NamedRow = std::convertible_to<decltype(Row::name), std::string_view>;

// A failing row shows as its name rather than as a dump of its bytes.
template <NamedRow Row>
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

// A row of a reader's table: a text and what reading it yields.
template <typename Yields>
struct TextRow {
    const char* name;
    std::string text;
    Yields yields;
};

// The last argument of INSTANTIATE_TEST_SUITE_P: each instance is called after its row.
struct RowName {
    template <NamedRow Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
        return info.param.name;
    }
};

}  // namespace
}  // namespace cirrowisp
