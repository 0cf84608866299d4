#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "zantodesk/playlist/PlaylistLineReader.h"

using zanto::playlist::PlaylistLineReader;

namespace {

struct Read {
    std::string text;
    bool usable;
    bool operator==(const Read&) const = default;
};

// Feeds content through a pipe (written by the test before reading, so it fits the pipe buffer).
std::vector<Read> ReadAll(const std::string& content) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    EXPECT_EQ(write(fds[1], content.data(), content.size()), ssize_t(content.size()));
    close(fds[1]);
    PlaylistLineReader reader(fds[0]);
    std::vector<Read> out;
    PlaylistLineReader::Line line;
    while (reader.Next(line)) out.push_back({line.text, line.usable});
    EXPECT_EQ(reader.Error(), 0);
    close(fds[0]);
    return out;
}

}  // namespace

TEST(PlaylistLineReaderTest, SplitsLinesAndMarksUnusableOnes) {
    const std::string longest(PlaylistLineReader::kMaxLine, 'a');
    struct Case {
        const char* name;
        std::string content;
        std::vector<Read> lines;
    } cases[] = {
        {"empty", "", {}},
        {"one line end", "\n", {{"", true}}},
        {"crlf and lf", "a\r\nb\nc", {{"a", true}, {"b", true}, {"c", true}}},
        {"only one cr is a line end", "a\r\r\n", {{"a\r", true}}},
        {"cr inside", "a\rb\n", {{"a\rb", true}}},
        {"nul", std::string("a\0b\nc\n", 6), {{"", false}, {"c", true}}},
        {"longest kept", longest + "\r\nx", {{longest, true}, {"x", true}}},
        {"one longer", longest + "b\nx", {{"", false}, {"x", true}}},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadAll(c.content), c.lines) << c.name;
}

TEST(PlaylistLineReaderTest, AReadErrorEndsTheLines) {
    PlaylistLineReader reader(-1);
    PlaylistLineReader::Line line;
    EXPECT_FALSE(reader.Next(line));
    EXPECT_EQ(reader.Error(), EBADF);
    EXPECT_FALSE(reader.Next(line));
}
