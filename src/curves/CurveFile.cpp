#include "curves/CurveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "curves/CurveGroup.h"
#include "files/SafeFile.h"
#include "link/CommandTable.h"
#include "texts/Translate.h"

namespace kx {
namespace {

// Closes the descriptor on every path out.
class Fd {
 public:
  explicit Fd(int fd) : m_fd(fd) {}
  ~Fd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return m_fd; }
  int release() { return std::exchange(m_fd, -1); }

 private:
  int m_fd;
};

CurveFileResult Fail(CurveFileStatus status, int error = errno) { return {status, error}; }

// Reads up to size bytes; returns the count read (short only at end of file), or -1.
ssize_t ReadFully(int fd, uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

}  // namespace

std::string CurveFileMessage(CurveFileStatus status) {
  switch (status) {
    case CurveFileStatus::Ok: return {};
    case CurveFileStatus::OpenFailed: return Tr("CurveFile", "无法打开曲线文件!");
    case CurveFileStatus::NotRegular: return Tr("CurveFile", "不是普通文件，无法作为曲线文件打开!");
    case CurveFileStatus::ReadFailed: return Tr("CurveFile", "读取曲线文件出错!");
    case CurveFileStatus::TooShort: return Tr("CurveFile", "曲线文件太短，不是有效的曲线文件!");
    case CurveFileStatus::LengthTooLarge: return Tr("CurveFile", "曲线文件的长度超过50000字节，文件已损坏!");
    case CurveFileStatus::Truncated: return Tr("CurveFile", "曲线文件不完整，数据比文件头所记的长度短!");
    case CurveFileStatus::ImageTooLarge: return Tr("CurveFile", "曲线数据超过50000字节，无法保存!");
    case CurveFileStatus::CreateFailed: return Tr("CurveFile", "无法创建曲线文件!");
    case CurveFileStatus::WriteFailed: return Tr("CurveFile", "写入曲线文件出错，文件未保存!");
    case CurveFileStatus::RenameFailed: return Tr("CurveFile", "无法替换原有的曲线文件，文件未保存!");
    case CurveFileStatus::Interrupted: return Tr("CurveFile", "保存曲线文件被中断，文件未保存!");
  }
  return Tr("CurveFile", "曲线文件出错!");
}

CurveFileRead ReadCurveFile(const std::string& path) {
  CurveFileRead out;
  files::FileResult opened;
  Fd fd(files::OpenInput(path, opened));
  if (fd.get() < 0) {
    out.result = {opened.error == files::FileError::OpenFailed ? CurveFileStatus::OpenFailed : CurveFileStatus::NotRegular,
                  opened.sysError};
    return out;
  }
  uint8_t word[4];
  const ssize_t got = ReadFully(fd.get(), word, sizeof word);
  if (got < 0) {
    out.result = Fail(CurveFileStatus::ReadFailed);
    return out;
  }
  if (got < 4) {
    out.result = {CurveFileStatus::TooShort, 0};
    return out;
  }
  const uint32_t length = word[0] | word[1] << 8 | word[2] << 16 | static_cast<uint32_t>(word[3]) << 24;
  if (length > kGroupImageCapacity) {
    out.result = {CurveFileStatus::LengthTooLarge, 0};
    return out;
  }
  std::vector<uint8_t> image(length);
  const ssize_t n = ReadFully(fd.get(), image.data(), length);
  if (n < 0) {
    out.result = Fail(CurveFileStatus::ReadFailed);
    return out;
  }
  if (static_cast<size_t>(n) < length) {
    out.result = {CurveFileStatus::Truncated, 0};
    return out;
  }
  out.image = std::move(image);
  return out;
}

CurveFileResult ReadCurveFile(const std::string& path, std::span<uint8_t> buffer, size_t& length) {
  CurveFileRead read = ReadCurveFile(path);
  if (!read.result.ok()) return read.result;
  if (read.image.size() > buffer.size()) return {CurveFileStatus::LengthTooLarge, 0};
  // An empty image has no data pointer, and memcpy must not be given a null one.
  if (!read.image.empty()) std::memcpy(buffer.data(), read.image.data(), read.image.size());
  length = read.image.size();
  return {};
}

CurveFileResult WriteCurveFile(const std::string& path, std::span<const uint8_t> image,
                               const CurveWriteOptions& options) {
  // Such a file would be refused by our own reader.
  if (image.size() > kGroupImageCapacity) return {CurveFileStatus::ImageTooLarge, 0};
  const auto length = static_cast<uint32_t>(image.size());
  std::vector<uint8_t> bytes{static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                             static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
  bytes.insert(bytes.end(), image.begin(), image.end());
  files::WriteOptions write;
  write.beforeReplace = options.beforeRename;
  const files::FileResult r = files::WriteFile(path, bytes, write);
  switch (r.error) {
    case files::FileError::None: return {};
    case files::FileError::WriteFailed: return {CurveFileStatus::WriteFailed, r.sysError};
    case files::FileError::RenameFailed: return {CurveFileStatus::RenameFailed, r.sysError};
    case files::FileError::Interrupted: return {CurveFileStatus::Interrupted, 0};
    default: return {CurveFileStatus::CreateFailed, r.sysError};
  }
}

}  // namespace kx
