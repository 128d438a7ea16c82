// /metrics against Debian's prometheus server, started by the test on a loopback
// port with its own storage: the values it scrapes, the unit going down, and the
// exposition text as promtool checks it.

#include <arpa/inet.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "MqttBroker.h"
#include "monitor/Monitor.h"
#include "sim/SimHost.h"
#include "sim/VirtualDevice.h"

namespace kx::testing {
namespace {

// The body of GET path on a loopback port; empty when nothing answers.
std::string HttpGet(int port, const std::string& path) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string reply;
  if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
    const std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    if (::write(s, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
      char buffer[8192];
      for (ssize_t n; (n = ::read(s, buffer, sizeof buffer)) > 0;) reply.append(buffer, static_cast<size_t>(n));
    }
  }
  ::close(s);
  const size_t body = reply.find("\r\n\r\n");
  return body == std::string::npos ? std::string() : reply.substr(body + 4);
}

// The value of an instant query's single sample as the server gives it ("3.317"); empty for none.
std::string Query(int port, const std::string& escapedQuery) {
  const QJsonObject reply =
      QJsonDocument::fromJson(QByteArray::fromStdString(HttpGet(port, "/api/v1/query?query=" + escapedQuery))).object();
  const QJsonArray result = reply["data"].toObject()["result"].toArray();
  if (result.size() != 1) return {};
  return result[0].toObject()["value"].toArray()[1].toString().toStdString();
}

bool Eventually(const std::function<bool()>& done, int timeoutMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

TEST(MonitorMetrics, PrometheusScrapesTheValuesAndSeesTheUnitGoDown) {
  QTemporaryDir dir;
  VirtualDevice device(31);
  device.SetNoise(false);
  device.SetCellVoltage(16, 3.317);
  device.SetCellVoltage(39, 0.0);  // never connected: no series
  SimHost line(device);
  ASSERT_TRUE(line.Start());
  monitor::MonitorOptions o;
  o.units = {{"a", 0, 9600, "east"}};
  o.paths = {line.Path()};
  o.periodMs = 200;
  o.waitScale = 0.25;
  o.metricsHost = "127.0.0.1";
  o.metricsPort = ClosedPort().Port();
  std::atomic<bool> stop{false};
  int status = -1;
  std::thread monitor([&] {
    status = monitor::RunMonitor(o, {[](std::string_view) {}, [](std::string_view) {}, [&] { return stop.load(); }});
  });
  struct Joiner {
    std::atomic<bool>& stop;
    std::thread& thread;
    ~Joiner() {
      stop = true;
      if (thread.joinable()) thread.join();
    }
  } joiner{stop, monitor};

  std::string text;
  ASSERT_TRUE(Eventually([&] { return (text = HttpGet(o.metricsPort, "/metrics")).find("kx4200_up{unit=\"east\"} 1") !=
                                      std::string::npos; },
                         5000))
      << text;
  EXPECT_NE(text.find("kx4200_cell_voltage_volts{unit=\"east\",cell=\"17\"} 3.317\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("cell=\"40\""), std::string::npos);
  // The server starts while promtool checks the text.
  const int webPort = ClosedPort().Port();
  std::ofstream(dir.filePath("prometheus.yml").toStdString())
      << "global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\nscrape_configs:\n  - job_name: kx\n"
      << "    static_configs:\n      - targets: ['127.0.0.1:" << o.metricsPort << "']\n";
  const int server = SpawnTool({"/usr/bin/prometheus", "--config.file=" + dir.filePath("prometheus.yml").toStdString(),
                                "--storage.tsdb.path=" + dir.filePath("data").toStdString(),
                                "--web.listen-address=127.0.0.1:" + std::to_string(webPort)},
                               dir.filePath("prometheus.out").toStdString(),
                               dir.filePath("prometheus.err").toStdString());
  ASSERT_GT(server, 0);
  const std::string file = dir.filePath("metrics.txt").toStdString();
  std::ofstream(file) << text;
  const int check = SpawnTool({"/bin/sh", "-c", "promtool check metrics < '" + file + "'"},
                              dir.filePath("check.out").toStdString(), dir.filePath("check.err").toStdString());
  EXPECT_EQ(WaitExit(check, 20000), 0) << ReadFile(dir.filePath("check.out").toStdString())
                                       << ReadFile(dir.filePath("check.err").toStdString());

  const std::string cell17 = "kx4200_cell_voltage_volts%7Bcell%3D%2217%22%7D", up = "kx4200_up";
  EXPECT_TRUE(Eventually([&] { return Query(webPort, cell17) == "3.317" && Query(webPort, up) == "1"; }, 15000))
      << ReadFile(dir.filePath("prometheus.err").toStdString());
  device.SetFault(Fault::Silence);
  EXPECT_TRUE(Eventually([&] { return Query(webPort, up) == "0"; }, 10000));
  ::kill(server, SIGTERM);
  EXPECT_GE(WaitExit(server, 10000), 0);
  stop = true;
  monitor.join();
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace kx::testing
