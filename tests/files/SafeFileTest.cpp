#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/SafeFile.h"

namespace {

namespace fs = std::filesystem;
using kx::files::FileError;

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

mode_t ModeOf(const std::string& path) {
  struct stat st{};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

class SafeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kx_files_XXXXXX").string();
    m_dir = ::mkdtemp(pattern.data());
  }
  void TearDown() override {
    kx::files::SetWriteFault(nullptr);
    if (m_mounted) ::umount(File("small").c_str());
    fs::remove_all(m_dir);
  }
  std::string File(const std::string& name) const { return m_dir + "/" + name; }
  size_t Entries(const std::string& dir) const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
  }

  std::string m_dir;
  bool m_mounted = false;
};

TEST_F(SafeFileTest, NewFilesFollowTheUmaskAndReplacedFilesKeepTheirMode) {
  const mode_t old = ::umask(077);
  ASSERT_TRUE(kx::files::WriteFile(File("new.csv"), "a\n").ok());
  ::umask(old);
  EXPECT_EQ(ModeOf(File("new.csv")), 0600u);

  Put(File("kept.csv"), "old");
  ::chmod(File("kept.csv").c_str(), 0640);
  ASSERT_TRUE(kx::files::WriteFile(File("kept.csv"), "new").ok());
  EXPECT_EQ(Read(File("kept.csv")), "new");
  EXPECT_EQ(ModeOf(File("kept.csv")), 0640u);
  EXPECT_EQ(Entries(m_dir), 2u);
}

TEST_F(SafeFileTest, WritesThroughLinksAndKeepsThem) {
  fs::create_directory(File("data"));
  Put(File("data/real.csv"), "old");
  fs::create_symlink("data/real.csv", File("link.csv"));
  ASSERT_TRUE(kx::files::WriteFile(File("link.csv"), "new").ok());
  EXPECT_TRUE(fs::is_symlink(File("link.csv")));
  EXPECT_EQ(Read(File("data/real.csv")), "new");

  fs::create_symlink("data/missing.csv", File("dangling.csv"));
  EXPECT_TRUE(kx::files::TargetExists(File("dangling.csv")));
  EXPECT_FALSE(kx::files::TargetExists(File("nothing.csv")));
  ASSERT_TRUE(kx::files::WriteFile(File("dangling.csv"), "made").ok());
  EXPECT_TRUE(fs::is_symlink(File("dangling.csv")));
  EXPECT_EQ(Read(File("data/missing.csv")), "made");
}

TEST_F(SafeFileTest, OutputsAreCheckedBeforeAnythingIsWritten) {
  using kx::files::CheckOutputs;
  Put(File("in.bin"), "x");
  fs::create_symlink("in.bin", File("alias.bin"));
  ASSERT_EQ(::mkfifo(File("pipe").c_str(), 0600), 0);

  EXPECT_EQ(CheckOutputs({}, {""}).error, FileError::EmptyName);
  EXPECT_EQ(CheckOutputs({}, {m_dir}).error, FileError::IsDirectory);
  EXPECT_EQ(CheckOutputs({}, {File("pipe")}).error, FileError::NotRegular);
  EXPECT_EQ(CheckOutputs({}, {"/dev/null"}).error, FileError::NotRegular);
  EXPECT_EQ(CheckOutputs({}, {File("no/such/x.csv")}).error, FileError::NoFolder);
  EXPECT_EQ(CheckOutputs({File("in.bin")}, {File("alias.bin")}).error, FileError::SameFile);
  EXPECT_EQ(CheckOutputs({File("in.bin")}, {m_dir + "/./in.bin"}).error, FileError::SameFile);
  // Two outputs that do not exist yet but name the same file.
  const auto same = CheckOutputs({}, {File("o.csv"), m_dir + "/../" + fs::path(m_dir).filename().string() + "/o.csv"});
  EXPECT_EQ(same.error, FileError::SameFile);
  EXPECT_TRUE(CheckOutputs({File("in.bin")}, {File("o.csv"), File("o.png")}).ok());
  // Nothing above created a file.
  EXPECT_EQ(Entries(m_dir), 3u);
}

TEST_F(SafeFileTest, InputsThatAreNotRegularFilesAreRefusedWithoutBlocking) {
  ASSERT_EQ(::mkfifo(File("f.bin").c_str(), 0600), 0);
  kx::files::FileResult r;
  EXPECT_EQ(kx::files::OpenInput(File("f.bin"), r), -1);  // a FIFO with no writer would block a plain open
  EXPECT_EQ(r.error, FileError::NotRegular);
  EXPECT_EQ(kx::files::OpenInput(m_dir, r), -1);
  EXPECT_EQ(r.error, FileError::IsDirectory);
  Put(File("ok.bin"), "1234");
  const int fd = kx::files::OpenInput(File("ok.bin"), r);
  ASSERT_GE(fd, 0);
  char buffer[8];
  EXPECT_EQ(::read(fd, buffer, sizeof buffer), 4);
  ::close(fd);
}

TEST_F(SafeFileTest, AFailedWriteChangesNothingAndSaysWhy) {
  Put(File("keep.csv"), "precious");
  kx::files::SetWriteFault([](size_t) { return ENOSPC; });
  const std::string text(100, 'x');
  const auto r = kx::files::WriteFile(File("keep.csv"), text);
  EXPECT_EQ(r.error, FileError::WriteFailed);
  EXPECT_EQ(kx::files::Describe(r), "cannot write " + File("keep.csv") + ": No space left on device");
  EXPECT_EQ(Read(File("keep.csv")), "precious");
  EXPECT_EQ(Entries(m_dir), 1u);  // no temporary left
}

TEST_F(SafeFileTest, AFullFileSystemLeavesTheOldFileWhole) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root; the injected fault covers this";
  fs::create_directory(File("small"));
  ASSERT_EQ(::mount("tmpfs", File("small").c_str(), "tmpfs", 0, "size=64k"), 0) << std::strerror(errno);
  m_mounted = true;
  const std::string target = File("small/out.pdf");
  Put(target, "old pdf");
  const auto r = kx::files::WriteFile(target, std::string(256 * 1024, 'p'));
  EXPECT_EQ(r.error, FileError::WriteFailed);
  EXPECT_EQ(r.sysError, ENOSPC);
  EXPECT_EQ(Read(target), "old pdf");
  EXPECT_EQ(Entries(File("small")), 1u);
}

TEST_F(SafeFileTest, AWritableFileInAReadOnlyFolderIsRewrittenInPlace) {
  // Root may create files anywhere: the child gives up its privileges first.
  fs::create_directory(File("ro"));
  Put(File("ro/g.bin"), "old");
  ::chmod(m_dir.c_str(), 0755);
  ::chmod(File("ro").c_str(), 0555);
  ::chmod(File("ro/g.bin").c_str(), 0666);
  const pid_t child = fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) _exit(3);
    // The check before any exchange agrees: the old file may be rewritten, a new one not made.
    const auto fresh = kx::files::CheckOutput(File("ro/new.bin"));
    if (fresh.error != FileError::CreateFailed || fresh.sysError != EACCES) _exit(4);
    if (!kx::files::CheckOutput(File("ro/g.bin")).ok()) _exit(5);
    const auto r = kx::files::WriteFile(File("ro/g.bin"), "new");
    _exit(r.ok() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Read(File("ro/g.bin")), "new");
  ::chmod(File("ro").c_str(), 0755);
}

TEST_F(SafeFileTest, ALinkLoopIsRefusedWithItsCauseAndLeftAlone) {
  fs::create_symlink("b.csv", File("a.csv"));
  fs::create_symlink("a.csv", File("b.csv"));
  const auto checked = kx::files::CheckOutputs({}, {File("a.csv")});
  EXPECT_EQ(checked.sysError, ELOOP);
  EXPECT_NE(kx::files::Describe(checked).find("Too many levels of symbolic links"), std::string::npos);
  EXPECT_EQ(kx::files::WriteFile(File("a.csv"), "x").sysError, ELOOP);
  kx::files::StreamFile log(File("b.csv"));
  EXPECT_EQ(log.Append("x").sysError, ELOOP);
  EXPECT_TRUE(fs::is_symlink(File("a.csv")) && fs::is_symlink(File("b.csv")));
  EXPECT_EQ(Entries(m_dir), 2u);
}

TEST_F(SafeFileTest, AStreamLeavesTheOldFileUntilItsFirstBlock) {
  Put(File("live.csv"), "yesterday");
  {
    kx::files::StreamFile log(File("live.csv"));
    EXPECT_EQ(Read(File("live.csv")), "yesterday");
    ASSERT_TRUE(log.Append("time,ok\n1,1\n").ok());
    ASSERT_TRUE(log.Append("2,0\n").ok());
    // Each row is in the file at once, not in a buffer of ours.
    EXPECT_EQ(Read(File("live.csv")), "time,ok\n1,1\n2,0\n");
    kx::files::SetWriteFault([](size_t) { return EIO; });
    EXPECT_EQ(log.Append("3,1\n").error, FileError::WriteFailed);
    kx::files::SetWriteFault(nullptr);
    EXPECT_FALSE(log.Append("4,1\n").ok());  // a failed log stays stopped
  }
  EXPECT_EQ(Read(File("live.csv")), "time,ok\n1,1\n2,0\n");
  EXPECT_EQ(Entries(m_dir), 1u);
}

TEST_F(SafeFileTest, ATerminatedWriterLeavesNoTemporary) {
  Put(File("out.csv"), "old");
  const pid_t child = fork();
  if (child == 0) {
    kx::files::InstallSignalCleanup();
    kx::files::WriteOptions options;
    options.beforeReplace = [](const std::string&) {
      ::raise(SIGTERM);
      return true;
    };
    kx::files::WriteFile(File("out.csv"), "new", options);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_EQ(Read(File("out.csv")), "old");
  EXPECT_EQ(Entries(m_dir), 1u);
}

}  // namespace
