#pragma once
// ".bin" curve files: a 32-bit little-endian length L, then L bytes of group
// image. Nothing else is stored; bytes after 4 + L are ignored.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace kx {

enum class CurveFileStatus {
  Ok,
  OpenFailed,      // cannot open for reading
  NotRegular,      // a folder, device or FIFO, refused without reading
  ReadFailed,      // I/O error while reading
  TooShort,        // fewer than 4 bytes: no length word
  LengthTooLarge,  // L above 50,000
  Truncated,       // fewer than L bytes after the length word
  ImageTooLarge,   // writing: more than 50,000 image bytes
  CreateFailed,    // cannot create the file (or its temporary)
  WriteFailed,     // I/O error while writing, syncing or closing
  RenameFailed,    // the temporary could not replace the target
  Interrupted,     // atomic write stopped before the rename (test seam)
};

struct CurveFileResult {
  CurveFileStatus status = CurveFileStatus::Ok;
  int error = 0;  // errno of the failing call, 0 when none
  bool ok() const { return status == CurveFileStatus::Ok; }
};

// The text a front end shows for a failure (UTF-8, in the current language); empty for Ok.
std::string CurveFileMessage(CurveFileStatus status);

struct CurveFileRead {
  CurveFileResult result;
  std::vector<uint8_t> image;  // exactly L bytes when result is Ok
};

// Reads a file whole or not at all: a refused file yields no image.
CurveFileRead ReadCurveFile(const std::string& path);
// Same, into a caller's image buffer (at most 50,000 bytes are ever written to
// it); buffer and length are left untouched unless the result is Ok.
CurveFileResult ReadCurveFile(const std::string& path, std::span<uint8_t> buffer, size_t& length);

struct CurveWriteOptions {
  // Called after the temporary is written and synced, before the rename;
  // returning false stops there, as if the process had died (tests).
  std::function<bool(const std::string& temporaryPath)> beforeRename;
};

// Writes the length word and the image as one atomic replacement of path (see
// files::WriteFile): a failed or interrupted save never damages an existing file.
CurveFileResult WriteCurveFile(const std::string& path, std::span<const uint8_t> image,
                               const CurveWriteOptions& options = {});

}  // namespace kx
