// Start-up of the panel as a whole process: from spawning `kx4200 --simulate
// --screenshot FILE` on the offscreen platform to its exit right after the panel
// was shown and grabbed, with the peak resident memory from wait4. Writes the
// figures as benchmark JSON so that the report reads them like the others.
//
//   kx4200-bench-startup [--runs N] [--out FILE] [--program PATH]

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n == 0 ? 0.0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 7;
  std::string out;
  std::string program = KX_PANEL_PROGRAM;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (!std::strcmp(argv[i], "--out") && i + 1 < argc) {
      out = argv[++i];
    } else if (!std::strcmp(argv[i], "--program") && i + 1 < argc) {
      program = argv[++i];
    } else {
      std::fprintf(stderr, "usage: %s [--runs N] [--out FILE] [--program PATH]\n", argv[0]);
      return 2;
    }
  }
  const char* tmp = std::getenv("TMPDIR");
  const std::string shot = std::string(tmp && *tmp ? tmp : "/tmp") + "/kx4200-bench-startup-" +
                           std::to_string(::getpid()) + ".png";

  // The child's environment: ours with the offscreen platform forced.
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0) env.emplace_back(*e);
  }
  env.emplace_back("QT_QPA_PLATFORM=offscreen");
  std::vector<char*> envp;
  for (std::string& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);

  std::string a0 = program, a1 = "--simulate", a2 = "--screenshot", a3 = shot;
  char* args[] = {a0.data(), a1.data(), a2.data(), a3.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

  std::vector<double> wall, rss;
  for (int r = 0; r < runs; ++r) {
    std::remove(shot.c_str());
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, args, envp.data()) != 0) {
      std::fprintf(stderr, "cannot start %s\n", program.c_str());
      return 1;
    }
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "%s did not start and exit cleanly\n", program.c_str());
      return 1;
    }
    wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    rss.push_back(static_cast<double>(usage.ru_maxrss) / 1024.0);  // ru_maxrss is in KiB
    if (::access(shot.c_str(), R_OK) != 0) {
      std::fprintf(stderr, "%s exited without showing the panel\n", program.c_str());
      return 1;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
  std::remove(shot.c_str());

  char json[512];
  std::snprintf(json, sizeof json,
                "{\n  \"benchmarks\": [\n    {\"name\": \"Startup\", \"runs\": %d, \"median_ms\": %.3f, "
                "\"max_ms\": %.3f, \"rss_mb\": %.3f}\n  ]\n}\n",
                runs, Median(wall), *std::max_element(wall.begin(), wall.end()),
                *std::max_element(rss.begin(), rss.end()));
  std::FILE* f = out.empty() ? stdout : std::fopen(out.c_str(), "w");
  if (!f) return 1;
  std::fputs(json, f);
  if (f != stdout) std::fclose(f);
  return 0;
}
