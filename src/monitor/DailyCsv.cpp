#include "monitor/DailyCsv.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "files/SafeFile.h"
#include "link/LiveCsv.h"

namespace kx::monitor {

DailyCsv::DailyCsv(std::string dir, std::string name) : dir_(std::move(dir)), name_(std::move(name)) {}
DailyCsv::~DailyCsv() = default;

std::string DailyCsv::PathOfDay(std::time_t t) const {
  std::tm local{};
  localtime_r(&t, &local);
  char day[16];
  std::strftime(day, sizeof day, "%Y-%m-%d", &local);
  return dir_ + "/" + name_ + "-" + day + ".csv";
}

bool DailyCsv::Write(const Reading& r) {
  if (!error_.empty()) return false;
  const std::string path = PathOfDay(r.time);
  if (path != day_ || !file_) {
    if (file_) file_->Close();
    day_ = path;
    file_ = std::make_unique<files::StreamFile>(path);
    fresh_ = true;
    // The file is replaced on its first write; a restarted monitor keeps the day's
    // earlier rows by writing them again first (a file of ours starts with the header).
    carried_.clear();
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      std::ifstream in(path, std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      if (text.str().rfind(LiveCsvHeader(), 0) == 0) carried_ = text.str();
      if (!carried_.empty() && carried_.back() != '\n') carried_ += '\n';
    }
  }
  std::string text;
  if (fresh_) text = carried_.empty() ? LiveCsvHeader() : std::move(carried_);
  text += LiveCsvRow(CsvLocalTime(r.time), r.ok ? &r.texts : nullptr);
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
