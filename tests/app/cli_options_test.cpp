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
             {"--help"}, {"-h"}, {"dump", "--help"}, {"--bogus", "--help"}}) {
        const test::CliRun r = test::RunArgs(args);
        EXPECT_EQ(r.status, kExitOk);
        EXPECT_EQ(r.out.rfind("usage: kvs-cli", 0), 0u);
        EXPECT_TRUE(r.err.empty());
    }
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
