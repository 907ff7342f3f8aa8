#include <CLI/CLI.hpp>

#include "CliTestSupport.h"
#include "CommandTable.h"

// Every option of every subcommand is explained by its --help and by the
// man page (scripts/test.sh checks that groff formats it without a warning).

namespace {

using cli_test::contains;

TEST(Help, EverySubcommandAndOptionIsExplainedByHelpAndTheManPage) {
    // roff's minus signs (\-) as plain ones.
    const std::string man =
        std::regex_replace(cli_test::read_file(KV3D_MAN_PAGE), std::regex(R"(\\-)"), "-");
    ASSERT_NE(man.find(".TH KV3D 1"), std::string::npos) << "case: man page read";
    CLI::App tool;
    for (const kv3dcli::AddCommand add : kv3dcli::command_table()) {
        const CLI::App* app = add(tool).app;
        const std::string name = app->get_name();
        // A command heads an entry: ".B demo" or ".BI "bounds " POINTS".
        const bool listed = man.find(".TP\n.B " + name + "\n") != std::string::npos ||
                            man.find(".TP\n.BI \"" + name + " ") != std::string::npos;
        EXPECT_TRUE(listed) << "case: man page lists " << name;
        const auto help = cli_test::run_kv3d({name, "--help"});
        EXPECT_EQ(help.status, 0) << "case: " << name << " --help";
        EXPECT_EQ(help.out.rfind(app->get_description(), 0), 0u) << "case: " << name << " --help";
        EXPECT_TRUE(contains(help.out, "Exit status")) << "case: " << name << " --help";
        for (const CLI::Option* option : app->get_options()) {
            const std::string what = name + " " + option->get_name();
            EXPECT_NE(option->get_description(), "") << "case: " << what;
            EXPECT_TRUE(contains(help.out, option->get_name())) << "case: --help shows " << what;
            for (const std::string& long_name : option->get_lnames()) {
                EXPECT_TRUE(contains(man, "--" + long_name)) << "case: man page explains " << what;
            }
        }
    }
}

}  // namespace
