// Saves cut short by a dying process, and curve files found by fuzzing.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>

#include "PanelFixture.h"
#include "curves/CurveFile.h"
#include "link/CommandTable.h"

namespace {

using namespace kx::panel::ids;

using Bytes = std::vector<uint8_t>;

Bytes Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes Group(int points, uint32_t seed) { return kx::VirtualDevice::MakeGroup(1399338187, points, seed).image; }

// A child process saves newImage over path and is killed between the write of the
// temporary and the rename. Returns the temporary's path, read back from the child.
std::string SaveAndDieBeforeRename(const std::string& path, const Bytes& newImage) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    kx::CurveWriteOptions options;
    options.beforeRename = [&](const std::string& temporary) {
      (void)!write(pipeFds[1], temporary.data(), temporary.size());
      close(pipeFds[1]);
      raise(SIGKILL);
      return true;
    };
    kx::WriteCurveFile(path, newImage, options);
    _exit(3);  // not reached when the seam is called
  }
  close(pipeFds[1]);
  std::string temporary;
  char buffer[512];
  for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) temporary.append(buffer, static_cast<size_t>(n));
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child was not killed in the seam";
  return temporary;
}

class Files : public PanelFixture {
 protected:
  QTemporaryDir folder;
};

TEST_F(Files, SaveKilledBeforeRenameKeepsTheOldFileAndTheNextSaveWorks) {
  ASSERT_TRUE(folder.isValid());
  const std::string path = QDir(folder.path()).filePath("group.bin").toStdString();
  const Bytes oldImage = Group(3, 1), newImage = Group(9, 2);
  ASSERT_TRUE(kx::WriteCurveFile(path, oldImage).ok());
  const Bytes oldBytes = Slurp(path);

  const std::string temporary = SaveAndDieBeforeRename(path, newImage);
  ASSERT_FALSE(temporary.empty());
  EXPECT_EQ(Slurp(path), oldBytes);
  EXPECT_EQ(Slurp(temporary).size(), 4 + newImage.size());  // the dead process's leftover

  // The panel opens the old group, then saves a downloaded one over it, leftover beside it.
  prompts.openPaths = {QString::fromStdString(path)};
  IconButton(kBtnOpenFile)->click();
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(Probe().GroupPoints(), 3);

  device->SetGroups({kx::StoredGroup{newImage, {}}});
  Edit(kEditGroupNo)->setText("1");
  panel->OnReadGroup();
  ASSERT_EQ(Probe().GroupPoints(), 9);
  prompts.Clear();
  prompts.savePaths = {QString::fromStdString(path)};
  prompts.answers = {kx::Prompts::Answer::Yes};
  IconButton(kBtnSaveFile)->click();
  EXPECT_EQ(prompts.Texts().size(), 1);  // the replace question only
  EXPECT_EQ(kx::ReadCurveFile(path).image, newImage);
}

TEST_F(Files, SaveKilledBeforeRenameWithNoOldFileLeavesNoTarget) {
  ASSERT_TRUE(folder.isValid());
  const std::string path = QDir(folder.path()).filePath("fresh.bin").toStdString();
  const std::string temporary = SaveAndDieBeforeRename(path, Group(4, 3));
  EXPECT_FALSE(temporary.empty());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

// A file whose length word is 0: read into the panel's buffer it once handed
// memcpy a null source. It is a valid, empty group.
TEST_F(Files, ZeroLengthCurveFileOpensAsAnEmptyGroup) {
  const std::string sample = std::string(KX_TEST_DATA_DIR) + "/fuzz_curve_zero_length.bin";
  std::vector<uint8_t> buffer(kx::kGroupImageCapacity, 0x5A);
  size_t length = 99;
  ASSERT_TRUE(kx::ReadCurveFile(sample, buffer, length).ok());
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(buffer[0], 0x5A);

  prompts.openPaths = {QString::fromStdString(sample)};
  IconButton(kBtnOpenFile)->click();
  EXPECT_TRUE(prompts.Texts().isEmpty()) << prompts.Texts().join('|').toStdString();
  EXPECT_EQ(Probe().GroupBytes(), 0);
  EXPECT_EQ(Probe().GroupPoints(), 0);
  EXPECT_EQ(Static(kStaticGroupDate)->text(), QStringLiteral("0000-00-00"));
}

}  // namespace
