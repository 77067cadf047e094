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

    // Options not given stay unset, so the settings decide; the last of a pair wins.
    const auto t = Parse({"dump", "a.mid", "--autoclean", "--no-autoclean"});
    ASSERT_TRUE(t);
    EXPECT_FALSE(t->scanInit || t->defaultPort);
    EXPECT_EQ(t->autoclean, false);
}

TEST(CliOptions, UsageErrorsExitWithOneAndExplainOnStandardError) {
    // One command line each, split at ';'. Past beat 4194303 a track holds
    // nothing; the log is the virtual backend's.
    std::istringstream lines(
        ";record x.mid;info;convert a.mid;dump x.mid --bogus;dump x.mid --scan-init 4;"
        "dump x.mid --default-port 65536;dump x.mid --out-ports A,,B;"
        "dump x.mid --type full;settings x.ini;prompts;ports --test;"
        "info x.mid --metronome;record out.mid --port 0;"
        "record o.mid --in a --port 0 --punch 8:8;"
        "record o.mid --in a --port 0 --punch 1:4 --loop 2:4;"
        "record o.mid --in a --port 0 --from 4194304;"
        "record o.mid --in a --port 0 --count-in 1000;play;play x.mid extra;"
        "play x.mid --from 4194304;play x.mid --loop 0:4194305;play x.mid --loop 4:2;"
        "play x.mid --count-in -1;play x.mid --midi alsa;play x.mid --log x.log;"
        "play x.mid --rate 44100;render x.mid;render x.mid out.wav --port 0;"
        "render x.mid out.wav --rate 100;"
        "apply a.mid b.mid --tool transpose --track 1 --all-tracks;apply --list a.mid");
    for (std::string line; std::getline(lines, line, ';');) {
        std::vector<std::string> args;
        std::istringstream words(line);
        for (std::string w; words >> w;)
            args.push_back(w);
        const test::CliRun r = test::RunArgs(args);
        EXPECT_EQ(r.status, kExitUsage) << line;
        EXPECT_TRUE(r.out.empty() && r.err.find("usage: kvs-cli") != std::string::npos) << line;
    }
}

TEST(CliOptions, HelpPrintsUsageOnStandardOutputAndSucceeds) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"--bogus", "--help"}, {"record", "--help"}, {"edit", "-h"}}) {
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
    const LoadOptions load = MakeLoadOptions(o);
    o.outPorts.clear();
    ASSERT_TRUE(load.resolvePort);
    EXPECT_EQ(load.resolvePort("Piano"), 1);
    EXPECT_EQ(load.resolvePort("piano"), std::nullopt);
}

}  // namespace
}  // namespace kvs
