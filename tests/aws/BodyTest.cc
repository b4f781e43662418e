// Response bodies: kept in memory up to the bound, then in an unnamed file,
// and read back whole and in order either way.
#include <gtest/gtest.h>

#include <sstream>

#include "SpillBuffer.h"

namespace skrw::aws {
namespace {

std::string pattern(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
    return text;
}

std::string copyThroughRdbuf(std::iostream& in) {
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void appendInChunks(SpillBuffer& buffer, const std::string& data, std::size_t chunk) {
    for (std::size_t at = 0; at < data.size(); at += chunk) {
        ASSERT_TRUE(buffer.append(data.data() + at, std::min(chunk, data.size() - at)));
    }
}

TEST(BodyTest, ReadsBackWholeAndInOrderBelowAndBeyondTheBound) {
    struct Row {
        std::size_t bound, size, chunk;
    };
    // The large row crosses the file read window several times.
    for (const Row& row : {Row{1024, 1000, 77}, Row{4096, 1'000'003, 4093}, Row{1024, 0, 1}}) {
        SCOPED_TRACE(row.size);
        SpillBuffer buffer(row.bound);
        const std::string data = pattern(row.size);
        appendInChunks(buffer, data, row.chunk);
        EXPECT_EQ(buffer.size(), data.size());
        std::string all;
        ASSERT_TRUE(buffer.readAll(all));
        EXPECT_EQ(all, data);
        EXPECT_EQ(copyThroughRdbuf(*buffer.takeStream()), data);
    }
}

}  // namespace
}  // namespace skrw::aws
