#include "patcher/line_io.h"
#include "tests/support/named_rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cirrowisp {
namespace {

std::vector<std::string> readAll(const std::string& bytes, std::size_t bufferSize) {
    StringSource source(bytes);
    LineReader reader(source, bufferSize);
    std::vector<std::string> lines;
    std::string line;
    while (reader.next(line)) {
        lines.push_back(line);
    }
    return lines;
}

using ReadCase = TextRow<std::vector<std::string>>;  // the lines read

class LineReaderTest : public testing::TestWithParam<ReadCase> {};

TEST_P(LineReaderTest, SplitsLikeWindowsTextMode) {
    // Small buffers put every line end and CR at a chunk boundary somewhere.
    for (std::size_t bufferSize : {1u, 2u, 3u, 7u, 65536u}) {
        EXPECT_EQ(readAll(GetParam().text, bufferSize), GetParam().yields)
            << "buffer " << bufferSize;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LineReaderTest,
    testing::Values(ReadCase{"Empty", "", {}}, ReadCase{"OneLineFeed", "\n", {""}},
                    ReadCase{"LineFeeds", "a\nb\n", {"a", "b"}},
                    ReadCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
                    ReadCase{"LastLineWithoutEnd", "a\r\nb", {"a", "b"}},
                    ReadCase{"BlankLinesKept", "a\n\n\r\nb", {"a", "", "", "b"}},
                    ReadCase{"LoneCrStays", "a\rb\n", {"a\rb"}},
                    ReadCase{"OnlyOneCrBelongsToTheEnd", "a\r\r\n", {"a\r"}},
                    ReadCase{"CrAtEndOfInputStays", "a\r", {"a\r"}},
                    ReadCase{"CtrlZEndsInput",
                             "a\nb\x1a"
                             "c\nd\n",
                             {"a", "b"}},
                    ReadCase{"CtrlZAtLineStart",
                             "a\n\x1a"
                             "b\n",
                             {"a"}},
                    ReadCase{"CtrlZFirst",
                             "\x1a"
                             "a\n",
                             {}},
                    ReadCase{
                        "NulIsOrdinary", std::string("a\0b\nc", 5), {std::string("a\0b", 3), "c"}},
                    ReadCase{"HighBytesAreOrdinary", "\xff\xfe\x80\n", {"\xff\xfe\x80"}}),
    RowName{});

TEST(LineWriter, EndsEveryLineWithCrLf) {
    StringSink sink;
    {
        LineWriter writer(sink, 4);
        writer.writeLine("");
        writer.writeLine("abc");
        writer.writeLine(std::string(10, 'x'));  // longer than the buffer
        writer.writeLine(std::string("\0\r", 2));
        writer.flush();
    }
    EXPECT_EQ(sink.data(), std::string("\r\nabc\r\nxxxxxxxxxx\r\n\0\r\r\n", 23));
}

TEST(LineWriter, WritesNothingUntilFlushed) {
    StringSink sink;
    {
        LineWriter writer(sink);
        writer.writeLine("abc");
    }
    EXPECT_EQ(sink.data(), "");
}

}  // namespace
}  // namespace cirrowisp
