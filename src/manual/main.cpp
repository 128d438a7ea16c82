// kx_manual FOLDER: writes the manual pages and the bash completion there (a build step).

#include <cstdio>
#include <fstream>
#include <string>

#include "manual/Completion.h"
#include "manual/ManPages.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kx_manual FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  const struct {
    const char* name;
    std::string text;
  } files[] = {{"kx4200.1", kx::manual::AppManPage()},
               {"kx4200-cli.1", kx::manual::CliManPage()},
               {"kx4200-sim.1", kx::manual::SimManPage()},
               {"kx4200-cli", kx::manual::CliBashCompletion()}};
  for (const auto& f : files) {
    std::ofstream out(folder + "/" + f.name, std::ios::binary | std::ios::trunc);
    out << f.text;
    if (!out.flush()) {
      std::fprintf(stderr, "kx_manual: cannot write %s/%s\n", folder.c_str(), f.name);
      return 1;
    }
  }
  return 0;
}
