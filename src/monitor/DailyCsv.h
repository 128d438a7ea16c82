#pragma once
// One unit's live log: NAME-YYYY-MM-DD.csv in a folder, a new file each local day,
// every row on disk as soon as it is written.

#include <memory>
#include <string>

#include "monitor/Reading.h"

namespace kx::files {
class StreamFile;
}

namespace kx::monitor {

class DailyCsv {
 public:
  DailyCsv(std::string dir, std::string name);
  ~DailyCsv();

  // Appends the reading's row to the file of its local day. A file of the same day
  // left by an earlier run keeps its rows. False once a write failed (Error says why);
  // later calls then do nothing.
  bool Write(const Reading& r);
  const std::string& Error() const { return error_; }
  // The file of a local day, for messages and tests.
  std::string PathOfDay(std::time_t t) const;

 private:
  std::string dir_, name_;
  std::string day_;
  std::unique_ptr<files::StreamFile> file_;
  bool fresh_ = true;  // nothing written to file_ yet
  std::string carried_;  // the earlier run's rows, written with the first row
  std::string error_;
};

}  // namespace kx::monitor
