#pragma once
// A simulated unit on a pseudo-terminal and a way to run kx4200-cli against it
// in-process, capturing what it prints.

#include <gtest/gtest.h>

#include <QStringList>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "link/Exchange.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace kxtest {

class CliFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    // Short waits: a silent unit costs a fraction of its time-out.
    hooks.waitScale = 0.05;
    device.SetNoise(false);
    ASSERT_TRUE(host.Start());
    hooks.sleep = [](int) {};
  }
  void TearDown() override {
    host.Stop();
  }

  // Runs "kx4200-cli --port <the unit> args..."; the output lands in out.
  int Run(const QStringList& args) {
    out = {};
    QStringList all{"kx4200-cli", "--port", QString::fromStdString(host.Path())};
    all << args;
    return kx::cli::RunCli(all, out, hooks);
  }
  // Without --port (for argument errors, files and port names).
  int RunBare(const QStringList& args) {
    out = {};
    QStringList all{"kx4200-cli"};
    all << args;
    return kx::cli::RunCli(all, out, hooks);
  }

  std::vector<std::string> OutLines() const {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t nl; (nl = out.out.find('\n', from)) != std::string::npos; from = nl + 1)
      lines.push_back(out.out.substr(from, nl - from));
    return lines;
  }

  kx::VirtualDevice device;
  kx::SimHost host{device};
  kx::cli::Hooks hooks;
  kx::cli::CaptureOutput out;
};

inline std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> v;
  for (int b : values) v.push_back(static_cast<uint8_t>(b));
  return v;
}

}  // namespace kxtest
