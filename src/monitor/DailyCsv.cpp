#include "monitor/DailyCsv.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "files/SafeFile.h"
#include "link/LiveCsv.h"

namespace kx::monitor {

namespace {

// Far more than a day ever needs; past it something else is wrong.
constexpr int kMaxNames = 99;

std::string FileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// What stands at a day file's name (links followed): nothing, a file of ours
// (text: its content, which is kept), or something to leave alone (why: the reason).
struct Existing {
  bool ours = true;
  std::string text;
  std::string why;
};

Existing Inspect(const std::string& path) {
  Existing e;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) return e;  // nothing there, or a dangling link
  files::FileResult open;
  const int fd = files::OpenInput(path, open);
  if (fd < 0) {
    e.ours = false;
    e.why = files::Describe(open);
    return e;
  }
  char buffer[65536];
  ssize_t n = 0;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) e.text.append(buffer, static_cast<size_t>(n));
  const int error = errno;
  ::close(fd);
  if (n < 0) {
    e.ours = false;
    e.why = "cannot read " + path + ": " + std::strerror(error);
    return e;
  }
  std::string header = LiveCsvHeader();
  header.pop_back();
  const size_t end = e.text.find('\n');
  std::string first = e.text.substr(0, end);
  if (!first.empty() && first.back() == '\r') first.pop_back();
  // An empty file holds nothing to keep.
  if (!e.text.empty() && first != header) {
    e.ours = false;
    e.why = FileName(path) + " does not start with the live CSV's header";
  }
  return e;
}

}  // namespace

DailyCsv::DailyCsv(std::string dir, std::string name) : dir_(std::move(dir)), name_(std::move(name)) {}
DailyCsv::~DailyCsv() = default;

std::string DailyCsv::PathOfDay(std::time_t t) const {
  std::tm local{};
  localtime_r(&t, &local);
  char day[16];
  std::strftime(day, sizeof day, "%Y-%m-%d", &local);
  return dir_ + "/" + name_ + "-" + day + ".csv";
}

bool DailyCsv::OpenDay(const std::string& path) {
  if (file_) file_->Close();
  file_.reset();
  day_ = path;
  // The first name that holds nothing or a file of ours: a file of another kind
  // or origin is never replaced.
  std::string target = path, why;
  Existing e = Inspect(target);
  for (int n = 2; !e.ours; ++n) {
    if (why.empty()) why = e.why;
    if (n > kMaxNames) {
      error_ = "no free name for " + FileName(path) + " (" + why + ")";
      return false;
    }
    target = path.substr(0, path.size() - 4) + "-" + std::to_string(n) + ".csv";
    e = Inspect(target);
  }
  if (target != path) notice_ = why + "; left as it is, this day's rows go to " + FileName(target);
  // The file is replaced on its first write; the rows of an earlier run are written
  // again first, in the line ends they have.
  eol_ = e.text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  carried_ = std::move(e.text);
  if (!carried_.empty() && carried_.back() != '\n') carried_ += eol_;
  file_ = std::make_unique<files::StreamFile>(target);
  fresh_ = true;
  return true;
}

bool DailyCsv::Write(const Reading& r) {
  if (!error_.empty()) return false;
  if (const std::string path = PathOfDay(r.time); path != day_ || !file_) {
    if (!OpenDay(path)) return false;
  }
  std::string text;
  if (fresh_) text = carried_.empty() ? LiveCsvHeader() : std::move(carried_);
  std::string row = LiveCsvRow(CsvLocalTime(r), r.live ? &*r.live : nullptr);
  if (eol_ != "\n") row.insert(row.size() - 1, "\r");
  text += row;
  const files::FileResult w = file_->Append(text);
  fresh_ = false;
  carried_.clear();
  if (!w.ok()) {
    error_ = files::Describe(w);
    return false;
  }
  return true;
}

}  // namespace kx::monitor
