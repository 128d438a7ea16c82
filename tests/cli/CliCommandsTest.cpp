// The command table drives the usage, each command's help and its options: a row
// added without one of them shows here.

#include <set>

#include "CliFixture.h"
#include "cli/CommandRegistry.h"

namespace kxtest {
namespace {

class CliCommandsTest : public CliFixture {};

TEST_F(CliCommandsTest, EveryCommandIsListedDescribedAndReachable) {
  ASSERT_EQ(RunBare({"--help"}), 0);
  const std::string usage = out.out;
  std::set<std::string> names;
  for (const kx::cli::CliCommand& c : kx::cli::CliCommands()) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(names.insert(c.name).second) << "listed twice";
    ASSERT_NE(c.parse, nullptr);
    ASSERT_NE(c.usage, nullptr);
    EXPECT_NE(usage.find(" " + std::string(c.name) + " "), std::string::npos) << "not in the list";

    ASSERT_EQ(RunBare({c.name, "--help"}), 0);
    EXPECT_EQ(out.out.rfind("Usage: kx4200-cli [global options] " + std::string(c.usage) + "\n\n" + c.help, 0), 0u);
    for (const kx::cli::CliOption& o : c.options)
      EXPECT_NE(out.out.find("--" + std::string(o.names.back())), std::string::npos) << o.names.back();
  }
  // The list's summaries start in one column where the synopsis allows.
  EXPECT_NE(usage.find("\n  groups" + std::string(46 - 8, ' ') + "how many"), std::string::npos) << usage;
}

TEST_F(CliCommandsTest, CommandsTakeOnlyTheirOwnOptions) {
  // Another command's option is unknown here, and nothing is sent.
  EXPECT_EQ(Run({"version", "--csv", "x.csv"}), 2);
  EXPECT_EQ(out.err, "kx4200-cli: version: Unknown option 'csv'. (see 'kx4200-cli version --help')\n");
  EXPECT_EQ(Run({"download", "1", "--png", "x.png"}), 2);
  EXPECT_EQ(device.RequestCount(), 0u);
  // Global options after the command still count; the last one wins.
  device.SetAddress(7);
  EXPECT_EQ(Run({"--address", "3", "version", "--address", "7"}), 0);
  EXPECT_EQ(out.out, "Ver1.30\n");
}

}  // namespace
}  // namespace kxtest
