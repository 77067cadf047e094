#include "config/data_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "config_test_support.h"

namespace kvs {
namespace {

namespace fs = std::filesystem;

class DataFolderTest : public ::testing::Test, protected test::TempFolder {
  protected:
    void SetUp() override {
        for (const char* name : {"KVS_HOME", "XDG_CONFIG_HOME", "HOME"}) {
            const char* v = std::getenv(name);
            saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    std::string Slurp(const fs::path& p) { return Read(p.lexically_relative(Root()).string()); }

    const fs::path root_ = Root();
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(DataFolderTest, KvsHomeWinsThenAWritableProgramFolderThenTheConfigFolder) {
    const std::string home = (root_ / "home").string();
    ::setenv("KVS_HOME", (root_ / "kvs home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ / "xdg").c_str(), 1);
    ::setenv("HOME", home.c_str(), 1);
    DataFolderInputs in = DataFolderInputs::FromEnvironment();
    ASSERT_TRUE(in.exeFolder);  // the test program's own folder
    DataFolder folder = ResolveDataFolder(in);
    EXPECT_EQ(folder.error, kResultOk);
    EXPECT_EQ(folder.path, (root_ / "kvs home").string() + "/");
    EXPECT_TRUE(fs::is_directory(root_ / "kvs home"));  // created

    ::unsetenv("KVS_HOME");
    in = DataFolderInputs::FromEnvironment();
    fs::create_directories(root_ / "bin");
    in.exeFolder = (root_ / "bin").string();
    EXPECT_EQ(ResolveDataFolder(in).path, (root_ / "bin").string() + "/");

    in.exeFolder = (root_ / "no such bin").string();  // not writable: not there at all
    EXPECT_EQ(ResolveDataFolder(in).path, (root_ / "xdg" / "kavelsong").string() + "/");
    EXPECT_TRUE(fs::is_directory(root_ / "xdg" / "kavelsong"));

    ::setenv("XDG_CONFIG_HOME", "relative/xdg", 1);  // invalid, so ignored
    in = DataFolderInputs::FromEnvironment();
    in.exeFolder.reset();
    EXPECT_EQ(ResolveDataFolder(in).path, home + "/.config/kavelsong/");
    ::unsetenv("XDG_CONFIG_HOME");
    in.xdgConfigHome.reset();
    EXPECT_EQ(ResolveDataFolder(in).path, home + "/.config/kavelsong/");

    std::ofstream(root_ / "file") << "x";
    in.kvsHome = (root_ / "file").string();
    folder = ResolveDataFolder(in);
    EXPECT_TRUE(folder.path.empty());
    EXPECT_NE(folder.error, kResultOk);
}

TEST_F(DataFolderTest, ShippedFilesAreCopiedOnlyWhereMissingAndInstalledDataWins) {
    const fs::path shared = root_ / "prefix" / "share" / "kavelsong";
    fs::create_directories(shared / "examples");
    std::ofstream(shared / "notexfrm.ini") << "[shipped]";
    std::ofstream(shared / "empty.ini");
    std::ofstream(shared / "examples" / "song.mid") << "MThd";
    const fs::path data = root_ / "data";
    fs::create_directories(data);
    std::ofstream(data / "notexfrm.ini") << "[the user's own]";

    ResultCode error = 1;
    EXPECT_EQ(CopyMissingFiles(shared.string(), data.string(), &error), 2u);
    EXPECT_EQ(error, kResultOk);
    EXPECT_EQ(Slurp(data / "notexfrm.ini"), "[the user's own]");
    EXPECT_EQ(Slurp(data / "examples" / "song.mid"), "MThd");
    EXPECT_TRUE(fs::exists(data / "empty.ini"));
    EXPECT_EQ(CopyMissingFiles(shared.string(), data.string(), &error), 0u);

    EXPECT_EQ(CopyMissingFiles((root_ / "nothing").string(), data.string(), &error), 0u);
    EXPECT_NE(error, kResultOk);

    // Installed data wins over the source tree; instrument lists land beside the settings.
    const fs::path share = root_ / "installed" / "share" / "kavelsong";
    const std::string source = (root_ / "source").string();
    const std::string bin = (root_ / "installed" / "bin").string() + "/";
    fs::create_directories(bin);
    fs::create_directories(source);
    EXPECT_EQ(ShippedDataFolder(bin, source), source + "/");
    EXPECT_EQ(ShippedDataFolder(bin, (root_ / "none").string()), "");
    fs::create_directories(share / "instruments");
    std::ofstream(share / "instruments" / "gm.ini") << "[Instruments]";
    std::ofstream(share / "kavelsong.desktop") << "[Desktop Entry]";
    const std::string shipped = ShippedDataFolder(bin, source);
    EXPECT_EQ(shipped, share.lexically_normal().string() + "/");
    error = 1;
    EXPECT_EQ(CopyShippedFiles(shipped, data.string(), &error), 1u);
    EXPECT_EQ(error, kResultOk);
    EXPECT_EQ(Slurp(data / "gm.ini"), "[Instruments]");
    EXPECT_FALSE(fs::exists(data / "kavelsong.desktop"));
    EXPECT_EQ(CopyShippedFiles("", data.string(), &error), 0u);
    EXPECT_EQ(error, kResultOk);
}

}  // namespace
}  // namespace kvs
