#include "files/mapped_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kvs {
namespace {

namespace fs = std::filesystem;

class MappedFileTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(dir_); }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::string& content) {
        std::ofstream(dir_ / name, std::ios::binary) << content;
        return (dir_ / name).string();
    }

    // Every line ReadLine yields until the position becomes npos.
    std::vector<std::string> Lines(const std::string& content, std::size_t maxChars) {
        MappedFile file;
        EXPECT_EQ(file.Open(Write("lines.txt", content)), kResultOk);
        std::vector<std::string> lines;
        std::vector<char> buf(maxChars + 2, '!');
        std::size_t pos = 0;
        while (pos != MappedFile::npos && lines.size() < 20) {
            file.ReadLine(buf.data(), &pos, maxChars);
            EXPECT_EQ(buf[maxChars + 1], '!');  // nothing written past the terminator
            lines.emplace_back(buf.data());
        }
        return lines;
    }

    const fs::path dir_ = fs::temp_directory_path() / ("kvs-mapped-" + std::to_string(::getpid()));
};

TEST_F(MappedFileTest, OpenMapsTheWholeFileOrReportsTheSystemError) {
    MappedFile file;
    ASSERT_EQ(file.Open(Write("a.bin", std::string("\x00\xFFxy", 4))), kResultOk);
    EXPECT_EQ(std::vector<std::uint8_t>(file.Bytes().begin(), file.Bytes().end()),
              (std::vector<std::uint8_t>{0x00, 0xFF, 'x', 'y'}));
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(file.Bytes().empty());

    EXPECT_EQ(file.Open((dir_ / "missing.mid").string()), SystemError(ENOENT));
    EXPECT_EQ(file.Open(Write("empty.syx", "")), SystemError(ENODATA));
    EXPECT_EQ(file.Open(dir_.string()), SystemError(EISDIR));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_NE(SystemError(0), kResultOk);  // a failure never reads as success
}

TEST_F(MappedFileTest, ReadLineSkipsCarriageReturnsAndSplitsLongLines) {
    EXPECT_EQ(Lines("[instruments]\r\nname=A\r\n\r\nx\ry\nlast", 79),
              (std::vector<std::string>{"[instruments]", "name=A", "", "xy", "last"}));
    EXPECT_EQ(Lines("a\nb\n", 79), (std::vector<std::string>{"a", "b"}));
    // The rest of a long line is left for the next call.
    EXPECT_EQ(Lines("abcdefg\r\nhi\nabcd\n", 4),
              (std::vector<std::string>{"abcd", "efg", "hi", "abcd", ""}));

    // Reading from npos, or past the end, yields an empty line and npos.
    MappedFile file;
    ASSERT_EQ(file.Open(Write("b.txt", "abc")), kResultOk);
    char buf[8] = "junk";
    for (std::size_t start : {MappedFile::npos, std::size_t{100}}) {
        std::size_t pos = start;
        file.ReadLine(buf, &pos, 7);
        EXPECT_STREQ(buf, "");
        EXPECT_EQ(pos, MappedFile::npos);
    }
}

}  // namespace
}  // namespace kvs
