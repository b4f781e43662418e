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

TEST(BodyTest, SmallBodyReadsBackWhole) {
    SpillBuffer buffer(1024);
    const std::string data = pattern(1000);
    appendInChunks(buffer, data, 77);
    std::string all;
    ASSERT_TRUE(buffer.readAll(all));
    EXPECT_EQ(all, data);
    auto stream = buffer.takeStream();
    EXPECT_EQ(copyThroughRdbuf(*stream), data);
}

TEST(BodyTest, BodyBeyondTheBoundSpillsAndReadsBackInOrder) {
    SpillBuffer buffer(4096);
    const std::string data = pattern(1'000'003);  // crosses the file read window several times
    appendInChunks(buffer, data, 4093);
    EXPECT_EQ(buffer.size(), data.size());
    std::string all;
    ASSERT_TRUE(buffer.readAll(all));
    EXPECT_EQ(all, data);
    auto stream = buffer.takeStream();
    EXPECT_EQ(copyThroughRdbuf(*stream), data);
}

TEST(BodyTest, SpilledStreamSeeksAndReadsBytewise) {
    SpillBuffer buffer(16);
    const std::string data = pattern(700'000);
    appendInChunks(buffer, data, 1000);
    auto stream = buffer.takeStream();
    stream->seekg(600'000);
    char c = 0;
    ASSERT_TRUE(stream->get(c));
    EXPECT_EQ(c, data[600'000]);
    stream->seekg(-2, std::ios_base::end);
    std::string tail(2, '\0');
    ASSERT_TRUE(stream->read(tail.data(), 2));
    EXPECT_EQ(tail, data.substr(data.size() - 2));
    EXPECT_FALSE(stream->get(c));
    stream->clear();
    stream->seekg(0);
    std::string head(5, '\0');
    ASSERT_TRUE(stream->read(head.data(), 5));
    EXPECT_EQ(head, data.substr(0, 5));
}

TEST(BodyTest, EmptyBodyIsAnEmptyStream) {
    SpillBuffer buffer;
    auto stream = buffer.takeStream();
    EXPECT_EQ(copyThroughRdbuf(*stream), "");
}

}  // namespace
}  // namespace skrw::aws
