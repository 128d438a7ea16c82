#pragma once
// Serial ports take UUCP lock files; a test run keeps them in a folder of its own
// instead of the machine's shared lock folder.

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kxtest {

inline void UsePrivateLockFolder() {
  static std::string folder;
  std::string pattern = (std::filesystem::temp_directory_path() / "kx_locks_XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return;
  folder = pattern;
  ::setenv("KX4200_LOCK_DIR", folder.c_str(), 1);
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  });
}

}  // namespace kxtest
