#include "config/profile_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <future>
#include <string>

#include "config_test_support.h"

namespace kvs {
namespace {

namespace fs = std::filesystem;

class ProfileStoreTest : public ::testing::Test, protected test::TempFolder {};

TEST(ProfileStoreReadTest,
     SectionsAndKeysMatchWithoutCaseMissingKeysGiveTheDefaultAndCutsAreWhole) {
    ProfileStore store("unused");
    store.Parse(
        "orphan=before any section\n[Options]\n; comment=not a key\n  InitDelay = 250  \n"
        "noequals\ninitdelay=second copy\n[other]\ninitdelay=other section\n"
        "[OPTIONS]\nlate=second section of the same name\n");
    EXPECT_EQ(store.GetString("OPTIONS", "initdelay", "x", 100), "250");
    EXPECT_EQ(store.GetString("options", "INITDELAY", "x", 100), "250");
    EXPECT_EQ(store.GetString("OTHER", "InitDelay", "x", 100), "other section");
    EXPECT_EQ(store.GetString("OPTIONS", "comment", "dflt", 100), "dflt");
    EXPECT_EQ(store.GetString("OPTIONS", "noequals", "dflt", 100), "dflt");
    EXPECT_EQ(store.GetString("", "orphan", "dflt", 100), "dflt");
    // Only the first section of a name counts, as with the platform's reader.
    EXPECT_FALSE(store.HasKey("OPTIONS", "late"));
    EXPECT_EQ(store.GetString("missing", "key", "a longer default", 8), "a longer");
    EXPECT_EQ(store.GetString("OPTIONS", "initdelay", "", 2), "25");
    EXPECT_EQ(store.Keys("options"), (std::vector<std::string>{"InitDelay"}));
    EXPECT_TRUE(store.Keys("nowhere").empty());

    // Cutting never leaves half a character.
    store.Parse("[s]\nname=ab\xC3\xA9\xE2\x82\xAC\n");  // "abé€"
    EXPECT_EQ(store.GetString("s", "name", "", 3), "ab");
    EXPECT_EQ(store.GetString("s", "name", "", 4), "ab\xC3\xA9");
    EXPECT_EQ(store.GetString("s", "name", "", 6), "ab\xC3\xA9");
    EXPECT_EQ(store.GetString("s", "name", "", 7), "ab\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(store.GetString("s", "name", "", 0), "");
}

TEST(ProfileStoreReadTest, IntegersTakeTheLeadingDigitsAndValuesLoseOuterQuotes) {
    ProfileStore store("unused");
    store.Parse(
        "[n]\nplain=42\ntrail=12abc\nword=abc\nblank= 7 \nneg=-3\nempty=\n"
        "huge=99999999999999999999\nmax=4294967295\n");
    EXPECT_EQ(store.GetInt("n", "plain", 9), 42u);
    EXPECT_EQ(store.GetInt("n", "trail", 9), 12u);
    EXPECT_EQ(store.GetInt("n", "word", 9), 0u);
    EXPECT_EQ(store.GetInt("n", "blank", 9), 7u);
    EXPECT_EQ(store.GetInt("n", "neg", 9), 0u);
    EXPECT_EQ(store.GetInt("n", "empty", 9), 0u);
    EXPECT_EQ(store.GetInt("n", "missing", 9), 9u);
    EXPECT_EQ(store.GetInt("n", "huge", 9), 4294967295u);  // saturated, not wrapped
    EXPECT_EQ(store.GetInt("n", "max", 9), 4294967295u);

    store.Parse("[s]\na=x  y\tz & 100%\nb=\"  padded \"\nc='q'\nd=\"half\n");
    EXPECT_EQ(store.GetString("s", "a", "", 100), "x  y\tz & 100%");
    EXPECT_EQ(store.GetString("s", "b", "", 100), "  padded ");
    EXPECT_EQ(store.GetString("s", "c", "", 100), "q");
    EXPECT_EQ(store.GetString("s", "d", "", 100), "\"half");
}

TEST_F(ProfileStoreTest, WritesKeepEveryOtherLineCommentAndUnknownKey) {
    const std::string original =
        "; my notes\r\n\r\n[OPTIONS]\r\n  Custom = keep me \r\ninitdelay=5\r\n"
        "; trailing comment\r\n\r\n[ports]\r\nx_out_name=Synth\r\n";
    ProfileStore store(Write("kvs.ini", original));
    ASSERT_EQ(store.Load(), kResultOk);
    EXPECT_TRUE(store.Exists());
    EXPECT_FALSE(store.Dirty());

    store.WriteInt("options", "InitDelay", 5);  // unchanged
    EXPECT_FALSE(store.Dirty());
    store.WriteInt("options", "InitDelay", 300);
    store.WriteString("OPTIONS", "followplay", "0");
    store.WriteString("NewSection", "k", "v");
    EXPECT_TRUE(store.Dirty());
    ASSERT_EQ(store.Flush(), kResultOk);
    EXPECT_FALSE(store.Dirty());

    EXPECT_EQ(Read("kvs.ini"),
              "; my notes\r\n\r\n[OPTIONS]\r\n  Custom = keep me \r\ninitdelay=300\r\n"
              "followplay=0\r\n; trailing comment\r\n\r\n[ports]\r\nx_out_name=Synth\r\n"
              "\r\n[NewSection]\r\nk=v\r\n");

    store.DeleteKey("OPTIONS", "CUSTOM");
    EXPECT_FALSE(store.HasKey("OPTIONS", "Custom"));
    EXPECT_TRUE(store.HasKey("OPTIONS", "followplay"));
}

TEST(ProfileStoreWriteTest, ReadsBetweenWritesSeeTheTextAsWritten) {
    ProfileStore store("unused");
    store.Parse("[a]\nk=1\nK=2\n; after the keys\n[b]\nx=1\n[A]\nlate=1\n");
    store.WriteString("A", "k", "9");  // the first copy, in the first [a]
    EXPECT_EQ(store.GetString("a", "K", "", 9), "9");
    store.DeleteKey("a", "k");  // every copy goes
    EXPECT_FALSE(store.HasKey("a", "k"));
    store.WriteString("a", "late", "2");
    store.WriteString("a", "new", "3");
    store.WriteString("B", "y", "4");
    store.WriteString("c", "z", "5");
    store.WriteString("c", "Z", "6");
    EXPECT_EQ(store.Keys("A"), (std::vector<std::string>{"late", "new"}));
    EXPECT_EQ(store.GetString("a", "LATE", "", 9), "2");
    EXPECT_EQ(store.GetString("b", "y", "", 9), "4");
    EXPECT_EQ(store.GetString("c", "z", "", 9), "6");
    EXPECT_EQ(store.Text(),
              "[a]\nlate=2\nnew=3\n; after the keys\n[b]\nx=1\ny=4\n[A]\nlate=1\n\n[c]\nz=6\n");
}

TEST_F(ProfileStoreTest, AFileWithPlainLineFeedsKeepsThemAndANewFileGetsCrLf) {
    ProfileStore unix(Write("unix.ini", "[a]\nk=1"));
    ASSERT_EQ(unix.Load(), kResultOk);
    unix.WriteString("a", "j", "2");
    ASSERT_EQ(unix.Flush(), kResultOk);
    EXPECT_EQ(Read("unix.ini"), "[a]\nk=1\nj=2\n");

    ProfileStore fresh(Path("fresh.ini"));
    ASSERT_EQ(fresh.Load(), kResultOk);
    EXPECT_FALSE(fresh.Exists());
    EXPECT_EQ(fresh.GetInt("a", "k", 77), 77u);
    fresh.WriteString("a", "k", "1");
    ASSERT_EQ(fresh.Flush(), kResultOk);
    EXPECT_TRUE(fresh.Exists());
    EXPECT_EQ(Read("fresh.ini"), "[a]\r\nk=1\r\n");
}

TEST_F(ProfileStoreTest, WrittenValuesAndAwkwardNamesReadBackUnchanged) {
    const std::string values[] = {"x  y\tz & 100% $HOME",
                                  "  leading and trailing  ",
                                  "\"quoted\"",
                                  "'single'",
                                  "a=b=c ; not a comment",
                                  "",
                                  "/home/u/My Songs/ünïcode.mid"};
    ProfileStore store(Path("v.ini"));
    ASSERT_EQ(store.Load(), kResultOk);
    for (std::size_t i = 0; i < std::size(values); ++i)
        store.WriteString("values", "v" + std::to_string(i), values[i]);
    // Device names end up in key names; none may split a line or a key.
    store.WriteString("ports", "Synth=A [1]_out_name", "first");
    store.WriteString("ports", "Evil\n[OPTIONS]\ninitdelay", "second");
    store.WriteString("ports", ";starts like a comment", "third");
    store.WriteString("odd]section", "k", "fourth");
    store.WriteString("ports", "line", "one\r\n[OPTIONS]\r\ninitdelay=9");
    ASSERT_EQ(store.Flush(), kResultOk);

    ProfileStore again(Path("v.ini"));
    ASSERT_EQ(again.Load(), kResultOk);
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(again.GetString("values", "v" + std::to_string(i), "?", 1000), values[i]) << i;
    EXPECT_EQ(again.GetString("ports", "Synth=A [1]_out_name", "", 100), "first");
    EXPECT_EQ(again.GetString("ports", "Evil\n[OPTIONS]\ninitdelay", "", 100), "second");
    EXPECT_EQ(again.GetString("ports", ";starts like a comment", "", 100), "third");
    EXPECT_EQ(again.GetString("odd]section", "k", "", 100), "fourth");
    EXPECT_EQ(again.GetString("ports", "line", "", 100), "one  [OPTIONS]  initdelay=9");
    EXPECT_FALSE(again.HasKey("OPTIONS", "initdelay"));
}

TEST_F(ProfileStoreTest, AFailedWriteLeavesTheOldFileWhole) {
    const std::string original = "[OPTIONS]\r\ninitdelay=5\r\n";
    ProfileStore store(Write("kvs.ini", original));
    ASSERT_EQ(store.Load(), kResultOk);
    for (int i = 0; i < 200; ++i)
        store.WriteInt("OPTIONS", "key" + std::to_string(i), i);

    // A file size limit stands in for a full disk (it binds root too).
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 256;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const ResultCode rc = store.Flush();
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(rc, SystemError(EFBIG));
    EXPECT_TRUE(store.Dirty());
    EXPECT_EQ(Read("kvs.ini"), original);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(Root()))
        ++files;
    EXPECT_EQ(files, 1u);  // no temporary left behind

    ASSERT_EQ(store.Flush(), kResultOk);  // and the changes are still there to write
    EXPECT_NE(Read("kvs.ini").find("key199=199\r\n"), std::string::npos);
}

TEST_F(ProfileStoreTest, AFileThatCannotBeReadIsNeverReplaced) {
    fs::create_directories(Root() / "kvs.ini");
    ProfileStore store(Path("kvs.ini"));
    EXPECT_EQ(store.Load(), SystemError(EISDIR));
    store.WriteString("OPTIONS", "initdelay", "1");
    EXPECT_EQ(store.Flush(), SystemError(EISDIR));
    EXPECT_TRUE(fs::is_directory(Root() / "kvs.ini"));

    // A FIFO would hold a plain open until someone wrote to it.
    const std::string fifo = Path("kvs.lng");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ProfileStore named(fifo);
    auto loading = std::async(std::launch::async, [&named] { return named.Load(); });
    if (loading.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // lets the reader go
        FAIL() << "loading a FIFO blocked";
    }
    EXPECT_EQ(loading.get(), SystemError(ENODEV));
    named.WriteString("prompts", "ok", "OK");
    EXPECT_NE(named.Flush(), kResultOk);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

}  // namespace
}  // namespace kvs
