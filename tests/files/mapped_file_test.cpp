#include "files/mapped_file.h"

#include <cerrno>

#include "files_test_support.h"

namespace kvs {
namespace {

class MappedFileTest : public test::TempDirTest {
  protected:
    std::string Write(const std::string& name, std::string_view content) {
        test::WriteRaw(Path(name), test::Text(content));
        return Path(name);
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
};

TEST_F(MappedFileTest, OpenMapsTheWholeFileOrReportsTheSystemError) {
    MappedFile file;
    ASSERT_EQ(file.Open(Write("a.bin", {"\x00\xFFxy", 4})), kResultOk);
    EXPECT_EQ(test::Bytes(file.Bytes().begin(), file.Bytes().end()),
              (test::Bytes{0x00, 0xFF, 'x', 'y'}));
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(file.Bytes().empty());

    EXPECT_EQ(file.Open(Path("missing.mid")), SystemError(ENOENT));
    EXPECT_EQ(file.Open(Write("empty.syx", "")), SystemError(ENODATA));
    EXPECT_EQ(file.Open(dir_), SystemError(EISDIR));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_NE(SystemError(0), kResultOk);  // a failure never reads as success
}

TEST_F(MappedFileTest, ReadLineSkipsCarriageReturnsAndSplitsLongLines) {
    using Strs = std::vector<std::string>;
    EXPECT_EQ(Lines("[instruments]\r\nname=A\r\n\r\nx\ry\nlast", 79),
              (Strs{"[instruments]", "name=A", "", "xy", "last"}));
    EXPECT_EQ(Lines("a\nb\n", 79), (Strs{"a", "b"}));
    // The rest of a long line is left for the next call.
    EXPECT_EQ(Lines("abcdefg\r\nhi\nabcd\n", 4), (Strs{"abcd", "efg", "hi", "abcd", ""}));

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
