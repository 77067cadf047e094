#include "ui/hand_over.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace kvs {
namespace {

TEST(HandOverTest, MessagesRoundTripAndDamageIsRefused) {
    const HandOverMessage message{"/home/me/songs", {"a b.mid", "/p", ""}};
    const std::string bytes = EncodeHandOver(message);
    EXPECT_EQ(DecodeHandOver(bytes), message);

    // Every truncation, every extension and a flipped byte anywhere is
    // either refused or decodes to something within the limits.
    for (std::size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(DecodeHandOver(bytes.substr(0, n))) << n;
    EXPECT_FALSE(DecodeHandOver(bytes + "x"));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::string damaged = bytes;
        damaged[i] = static_cast<char>(damaged[i] ^ 0xFF);
        if (const auto decoded = DecodeHandOver(damaged)) {
            EXPECT_LE(decoded->words.size(), kHandOverMaxWords);
        }
    }
    // A huge claimed length or word count does not allocate or read beyond.
    std::string huge = "KVH1";
    huge += std::string("\0\0\0\0", 4) + std::string("\xFF\xFF\xFF\x7F", 4);
    EXPECT_FALSE(DecodeHandOver(huge));
    // A NUL inside a word would shorten a path.
    EXPECT_FALSE(DecodeHandOver(EncodeHandOver({"/", {std::string("a\0b", 3)}})));
}

TEST(HandOverTest, SocketFolderIsPrivate) {
    EXPECT_EQ(HandOverSocketPath("/run/user/5", "/unused", 5), "/run/user/5/kavelsong.sock");

    const std::string root =
        (std::filesystem::temp_directory_path() / ("kvs-ho-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(root);
    const uid_t uid = getuid();
    const std::string folder = root + "/kavelsong-" + std::to_string(uid);
    EXPECT_EQ(HandOverSocketPath(nullptr, root, uid), folder + "/kavelsong.sock");
    struct stat st {};
    ASSERT_EQ(lstat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A folder others may open, or a symlink in its place, is refused.
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(HandOverSocketPath(nullptr, root, uid), "");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory_symlink(root, folder);
    EXPECT_EQ(HandOverSocketPath(nullptr, root, uid), "");
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace kvs
