// kx4200-cli against a unit behind ser2net: every command gives what it gives on
// the pseudo-terminal itself, and a server that goes away or never answers ends a
// command with its own failure, not a hang.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "CliFixture.h"
#include "SerialServer.h"

namespace kxtest {
namespace {

using Clock = std::chrono::steady_clock;
using kx::Fault;

std::string Slurp(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Wall-clock times, the unit's clock and trace stamps differ from run to run; the
// port's own name and the open line of the trace differ by design.
std::string Masked(std::string text, const std::string& port, const std::string& dir) {
  static const std::regex times(R"(\d{4}-\d{2}-\d{2}[ T]\d{2}:\d{2}:\d{2}(\.\d{3}|[+-]\d{2}:\d{2})?)");
  static const std::regex deviceTime("\\d+年-\\d+月-\\d+日-\\d+时-\\d+分-\\d+秒");
  static const std::regex stamp(R"((^|\n)\d{2}:\d{2}:\d{2}\.\d{3} )");
  static const std::regex open("[^\n]* OPEN [^\n]*\n");
  text = std::regex_replace(text, open, "");
  text = std::regex_replace(text, times, "<time>");
  text = std::regex_replace(text, deviceTime, "<device-time>");
  text = std::regex_replace(text, stamp, "$1<stamp> ");
  for (const auto& [s, name] : {std::pair{dir, "<dir>"}, std::pair{port, "<port>"}})
    for (size_t at; (at = text.find(s)) != std::string::npos;) text.replace(at, s.size(), name);
  return text;
}

class CliNetwork : public CliFixture {
 protected:
  void SetUp() override {
    CliFixture::SetUp();
    server = std::make_unique<kx::testing::SerialServer>(host.Path());
    ASSERT_TRUE(server->Running()) << server->Log();
  }
  void TearDown() override {
    device.SetRequestObserver(nullptr);
    server.reset();
    CliFixture::TearDown();
  }
  std::unique_ptr<kx::testing::SerialServer> server;
};

struct Result {
  int status;
  std::string out, err;
  std::map<std::string, std::string> files;  // name: bytes (.bin) or masked text
};

// The recorded-outputs list's device commands, read-only or setting what the unit
// already has, so that both runs meet the same unit. %P is the port, %D a folder.
const std::vector<QStringList> kCommands{
    {"version"},
    {"--json", "version"},
    {"--trace", "version"},
    {"--trace", "acquire"},
    {"acquire"},
    {"acquire", "--current-range", "500"},
    {"--json", "acquire", "--count", "2", "--period", "0"},
    {"acquire", "--count", "2", "--period", "10", "--csv", "%D/live.csv"},
    {"clock", "get"},
    {"--json", "clock", "get"},
    {"clock", "set", "--time", "2014-05-06 09:03:07"},
    {"groups"},
    {"--json", "groups"},
    {"download", "1", "-o", "%D/g1.bin", "--csv", "%D/g1.csv"},
    {"--json", "download", "2", "--output", "%D/g2.bin"},
    {"download", "5", "-o", "%D/g5.bin"},
    {"download", "9"},
    {"gear", "get"},
    {"--json", "gear", "set", "6V"},
    {"calibrate", "temp", "1"},
    {"alarms", "get"},
    {"--json", "alarms", "get"},
    {"alarms", "set", "temp1", "off"},
    {"set-address", "0"},
    {"--json", "set-baud", "9600"},
    {"monitor", "--unit", "%P=u", "--count", "2", "--period", "0"},
    {"--json", "monitor", "--unit", "%P:0@9600=u", "--count", "2", "--period", "0"},
    {"scan", "--addresses", "0-1", "--bauds", "9600"},
};

TEST_F(CliNetwork, EveryCommandOverRfc2217GivesWhatItGivesOnThePort) {
  auto pass = [this](const std::string& port) {
    std::vector<Result> results;
    for (const QStringList& command : kCommands) {
      QTemporaryDir dir;
      QStringList args;
      if (!command.join(' ').contains("%P")) args << "--port" << QString::fromStdString(port);
      for (QString a : command) args << a.replace("%P", QString::fromStdString(port)).replace("%D", dir.path());
      Result r;
      r.status = RunBare(args);
      const std::string d = dir.path().toStdString();
      r.out = Masked(out.out, port, d);
      r.err = Masked(out.err, port, d);
      for (const QString& name : QDir(dir.path()).entryList(QDir::Files)) {
        const std::string bytes = Slurp(dir.filePath(name));
        r.files[name.toStdString()] = name.endsWith(".bin") ? bytes : Masked(bytes, port, d);
      }
      results.push_back(std::move(r));
    }
    return results;
  };
  const std::vector<Result> local = pass(host.Path());
  const std::vector<Result> net = pass(server->Telnet());
  for (size_t i = 0; i < kCommands.size(); ++i) {
    SCOPED_TRACE(kCommands[i].join(' ').toStdString());
    EXPECT_EQ(net[i].status, local[i].status);
    EXPECT_EQ(net[i].out, local[i].out);
    EXPECT_EQ(net[i].err, local[i].err);
    EXPECT_EQ(net[i].files, local[i].files);
  }
  // The comparison means something: the runs did their work.
  EXPECT_EQ(local[0].out, "Ver1.30\n");
  EXPECT_EQ(local[13].status, 0);
  EXPECT_EQ(local[13].files.at("g1.bin").size(), 4 + device.Groups().at(0).image.size());
  EXPECT_EQ(local[16].status, 1);
}

// The server goes away after the third packet: the download fails as on a line
// that hangs up before a packet's reply, and nothing is written.
TEST_F(CliNetwork, AConnectionDroppedMidDownloadFailsItAndWritesNothing) {
  QTemporaryDir dir;
  const QString file = dir.filePath("g.bin"), csv = dir.filePath("g.csv");
  device.SetFault(Fault::HangUp, 1, -1, -1, 0x08);
  EXPECT_EQ(Run({"download", "1", "-o", file, "--csv", csv}), 1);
  const std::string local = out.err;
  EXPECT_NE(local.find("读曲线数据错误"), std::string::npos) << local;
  host.Replug();

  int packets = 0;
  device.SetRequestObserver([this, &packets](std::span<const uint8_t> request) {
    if (request[4] == 0x08 && ++packets == 3) server->Stop();
  });
  EXPECT_EQ(RunBare({"--port", QString::fromStdString(server->Telnet()), "download", "1", "-o", file, "--csv", csv}),
            1);
  EXPECT_EQ(packets, 3);
  EXPECT_EQ(out.err, local);
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// A server that takes the connection and never says a word (its listener's backlog
// accepts it): the command's own time-out, over raw TCP and over RFC 2217 (where the
// options' answers are waited for a bounded time first).
TEST_F(CliNetwork, AServerThatNeverAnswersEndsInTheCommandsTimeOut) {
  hooks.waitScale = 1.0;
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(::listen(listener, 4), 0);
  socklen_t n = sizeof a;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &n);
  const std::string where = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
  for (const std::string& port : {"tcp://" + where, "rfc2217://" + where}) {
    SCOPED_TRACE(port);
    const auto start = Clock::now();
    EXPECT_EQ(RunBare({"--port", QString::fromStdString(port), "version"}), 1);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(6));
    EXPECT_NE(out.err.find("读数据失败！"), std::string::npos) << out.err;
  }
  ::close(listener);
}

// The monitor on a unit behind ser2net: the server stops (the unit goes offline
// after its failed readings) and starts again (it comes back, on the same run).
TEST_F(CliNetwork, TheMonitorSeesAServerGoAwayAndComeBack) {
  const auto deadline = Clock::now() + std::chrono::seconds(60);
  int stage = 0;  // 0: the first reading, 1: server stopped, 2: started again, 3: back online
  // Runs on the monitor's own thread, between its readings.
  hooks.stopRequested = [&] {
    auto told = [this](const char* pattern) { return std::regex_search(out.out, std::regex(pattern)); };
    if (stage == 0 && told("(^|\n)u [^\n]* #1 ")) {
      server->Stop();
      stage = 1;
    } else if (stage == 1 && told("(^|\n)u [^\n]* offline")) {
      server->Start();
      stage = 2;
    } else if (stage == 2 && told("\nu [^\n]* offline[\\s\\S]*\nu [^\n]* online\n")) {
      stage = 3;
    }
    return stage == 3 || Clock::now() > deadline;
  };
  EXPECT_EQ(RunBare({"monitor", "--unit", QString::fromStdString(server->Telnet()) + "=u", "--period", "100"}), 0)
      << out.err;
  EXPECT_EQ(stage, 3) << out.out << out.err;
}

}  // namespace
}  // namespace kxtest
