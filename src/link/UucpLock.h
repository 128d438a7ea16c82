#pragma once
// UUCP lock files (LCK..NAME holding the owner's PID), the convention by which
// terminal programs keep off a serial port another program is using, even one
// that takes no lock on the device itself.

#include <string>

#include "link/Port.h"

namespace kx {

class UucpLock {
 public:
  UucpLock() = default;
  ~UucpLock() { Release(); }
  UucpLock(const UucpLock&) = delete;
  UucpLock& operator=(const UucpLock&) = delete;

  // Takes the lock of devicePath (links followed; the lock is named after the device).
  // InUse when a live process holds it; a stale lock is removed and taken over.
  // Where no lock folder can be written, ports go unlocked as other programs do.
  LinkError Acquire(const std::string& devicePath);
  void Release();
  const std::string& File() const { return file_; }

  // The lock folder: $KX4200_LOCK_DIR when set (tests), else /run/lock, else /var/lock.
  static std::string Folder();

 private:
  std::string file_;  // the lock file we hold; empty when none
};

}  // namespace kx
