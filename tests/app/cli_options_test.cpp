#include "app/cli/cli_options.h"

#include <gtest/gtest.h>

#include "cli_test_support.h"

namespace kvs {
namespace {

std::optional<CliOptions> Parse(const std::vector<std::string>& args) {
    std::string error;
    auto options = ParseCliOptions(args, error);
    EXPECT_EQ(options.has_value(), error.empty()) << error;
    return options;
}

TEST(CliOptions, OptionsMayStandBeforeBetweenAndAfterTheFiles) {
    const auto o = Parse({"--autoclean", "convert", "in.mid", "--scan-init", "2", "out.mid",
                          "--default-port=7", "--out-ports", "Synth A,Synth B", "--type", "0"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->command, "convert");
    EXPECT_EQ(o->files, (std::vector<std::string>{"in.mid", "out.mid"}));
    EXPECT_TRUE(o->autoclean);
    EXPECT_EQ(o->scanInit, 2);
    EXPECT_EQ(o->defaultPort, 7);
    EXPECT_EQ(o->outPorts, (std::vector<std::string>{"Synth A", "Synth B"}));
    EXPECT_EQ(o->saveType, SaveType::Type0);

    // After "--" a leading dash is part of a file name.
    const auto f = Parse({"info", "--", "--odd.mid"});
    ASSERT_TRUE(f);
    EXPECT_EQ(f->files, (std::vector<std::string>{"--odd.mid"}));

    const auto t = Parse({"convert", "a.mid", "b.syx", "--type=syx"});
    ASSERT_TRUE(t);
    EXPECT_EQ(t->saveType, SaveType::Sysex);
    // Options not given stay unset, so the settings decide.
    EXPECT_FALSE(t->scanInit || t->defaultPort || t->autoclean);

    const auto n = Parse({"dump", "x.mid", "--autoclean", "--no-autoclean"});
    ASSERT_TRUE(n);
    EXPECT_EQ(n->autoclean, false);
    const auto p = Parse({"prompts", "--test"});
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->test);
    EXPECT_TRUE(p->files.empty());

    // record takes the load options like every command that loads a song.
    const auto r = Parse({"record", "out.mid", "--in", "Keys", "--port", "1", "--from", "4",
                          "--loop", "2:6", "--thru", "--count-in", "2", "--append", "in.mid",
                          "--metronome", "--default-port", "0"});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->files, (std::vector<std::string>{"out.mid"}));
    EXPECT_EQ(r->input, "Keys");
    EXPECT_EQ(r->port, "1");
    EXPECT_EQ(r->fromBeat, 4u);
    EXPECT_EQ(r->loop, (BeatRange{2, 6}));
    EXPECT_FALSE(r->punch);
    EXPECT_TRUE(r->thru && r->metronome);
    EXPECT_EQ(r->countIn, 2u);
    EXPECT_EQ(r->append, "in.mid");
    EXPECT_EQ(r->defaultPort, 0);
}

TEST(CliOptions, UsageErrorsExitWithOneAndExplainOnStandardError) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"record", "x.mid"},
        {"info"},
        {"convert", "a.mid"},
        {"dump", "x.mid", "--bogus"},
        {"dump", "x.mid", "--scan-init"},
        {"dump", "x.mid", "--scan-init", "4"},
        {"dump", "x.mid", "--scan-init", "1x"},
        {"dump", "x.mid", "--default-port", "65536"},
        {"dump", "x.mid", "--out-ports", "A,,B"},
        {"dump", "x.mid", "--type", "full"},
        {"convert", "a.mid", "b.mid", "--type", "2"},
        {"settings", "x.ini"},
        {"prompts"},
        {"ports", "--test"},
        {"dump", "x.mid", "--test"},
        {"record", "out.mid", "--port", "0"},  // no input
        {"record", "--in", "a", "--port", "0"},
        {"record", "o.mid", "--in", "a", "--port", "0", "--punch", "8:8"},
        {"record", "o.mid", "--in", "a", "--port", "0", "--punch", "1:4", "--loop", "2:4"},
        // Past the last beat a track can hold, nothing could be recorded.
        {"record", "o.mid", "--in", "a", "--port", "0", "--from", "4194304"},
        {"record", "o.mid", "--in", "a", "--port", "0", "--count-in", "1000"},
        {"play", "x.mid", "--from", "4194304"},
        {"play", "x.mid", "--loop", "0:4194305"},
        {"apply", "a.mid", "b.mid", "--tool", "transpose", "--track", "1", "--all-tracks"},
        {"apply", "--list", "a.mid"},
    };
    for (const auto& args : bad) {
        const test::CliRun r = test::RunArgs(args);
        std::string line;
        for (const auto& a : args)
            line += a + " ";
        EXPECT_EQ(r.status, kExitUsage) << line;
        EXPECT_TRUE(r.out.empty()) << line;
        EXPECT_NE(r.err.find("usage: kvs-cli"), std::string::npos) << line;
    }
}

TEST(CliOptions, HelpPrintsUsageOnStandardOutputAndSucceeds) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"--bogus", "--help"}, {"record", "--help"}, {"apply", "-h"}}) {
        const test::CliRun r = test::RunArgs(args);
        EXPECT_EQ(r.status, kExitOk);
        const std::string usage = "usage: kvs-cli " + (args[0][0] == '-' ? "info" : args[0]);
        EXPECT_EQ(r.out.rfind(usage, 0), 0u) << r.out;
        EXPECT_TRUE(r.err.empty());
    }
    // A command's own help is about that command alone.
    EXPECT_EQ(test::RunArgs({"record", "--help"}).out.find("render"), std::string::npos);
}

TEST(CliOptions, LoadOptionsResolveNamesWithTheirOwnCopyOfThePortList) {
    CliOptions o;
    o.outPorts = {"Synth", "Piano", "Piano"};
    o.scanInit = 3;
    o.defaultPort = 4;
    o.autoclean = true;
    const LoadOptions load = MakeLoadOptions(o);
    o.outPorts.clear();
    EXPECT_EQ(load.scanInit, 3);
    EXPECT_EQ(load.defaultPort, 4);
    EXPECT_TRUE(load.autoclean);
    ASSERT_TRUE(load.resolvePort);
    EXPECT_EQ(load.resolvePort("Piano"), 1);
    EXPECT_EQ(load.resolvePort("piano"), std::nullopt);
}

}  // namespace
}  // namespace kvs
