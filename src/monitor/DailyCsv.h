#pragma once
// One unit's live log: NAME-YYYY-MM-DD.csv in a folder, a new file each local day,
// every row on disk as soon as it is written.

#include <memory>
#include <string>
#include <utility>

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
  // left by an earlier run keeps its rows (CRLF line ends stay CRLF); a file at that
  // name that does not start with the live CSV's header is left alone and the day
  // goes to NAME-YYYY-MM-DD-2.csv (-3, ...), which TakeNotice then tells. False once
  // a write failed (Error says why); later calls then do nothing.
  bool Write(const Reading& r);
  const std::string& Error() const { return error_; }
  // What the log should say about the last Write, once; empty for nothing.
  std::string TakeNotice() { return std::exchange(notice_, {}); }
  // The file of a local day, for messages and tests.
  std::string PathOfDay(std::time_t t) const;

 private:
  bool OpenDay(const std::string& path);

  std::string dir_, name_;
  std::string day_;
  std::unique_ptr<files::StreamFile> file_;
  bool fresh_ = true;    // nothing written to file_ yet
  std::string carried_;  // the earlier run's rows, written with the first row
  std::string eol_ = "\n";
  std::string error_;
  std::string notice_;
};

}  // namespace kx::monitor
