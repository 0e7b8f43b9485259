// Whole-file writes and private folders: a write that fails leaves the old file and no temporary
// one; a link at the destination is replaced, not followed; folders are made private; the data
// folder without HOME is the user's own, never a shared one.
#include <gtest/gtest.h>
#include <dirent.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/safe_write.hpp"
#include "platform/user_folder.hpp"
#include "tests/unit/support/child_process.hpp"

namespace vyn::test {
namespace {

class SafeWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/vyn-safe-write-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
  }
  void TearDown() override {
    chmod(dir_.c_str(), 0700);
    std::string cmd = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  std::string path(const char* name) const { return dir_ + "/" + name; }
  static std::string content(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void put(const std::string& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
  }
  static mode_t mode_of(const std::string& p) {
    struct stat st {};
    lstat(p.c_str(), &st);
    return st.st_mode & 07777;
  }
  int entries() const {
    int n = 0;
    DIR* d = opendir(dir_.c_str());
    while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
    closedir(d);
    return n;
  }
  bool save(const std::string& p, const std::string& text, std::string& cause) {
    return os::write_whole_file(p, text.data(), text.size(), cause);
  }
  std::string dir_;
};

TEST_F(SafeWrite, ReplacesTheFileWholeAndPrivately) {
  std::string cause, p = path("cfg");
  put(p, "old");
  chmod(p.c_str(), 0644);
  ASSERT_TRUE(save(p, "new content", cause)) << cause;
  EXPECT_EQ(content(p), "new content");
  EXPECT_EQ(mode_of(p), 0600u);
  EXPECT_EQ(entries(), 1);  // no temporary file stays
}

TEST_F(SafeWrite, ALinkAtTheDestinationIsReplacedNotFollowed) {
  std::string cause, target = path("elsewhere"), p = path("cfg");
  put(target, "not mine");
  ASSERT_EQ(symlink(target.c_str(), p.c_str()), 0);
  ASSERT_TRUE(save(p, "saved", cause)) << cause;
  EXPECT_EQ(content(target), "not mine");
  EXPECT_EQ(content(p), "saved");
  struct stat st {};
  lstat(p.c_str(), &st);
  EXPECT_TRUE(S_ISREG(st.st_mode));
}

// The file grows past the process's file-size limit halfway (as on a full disk): the old file
// stays whole and the cause is told.
TEST_F(SafeWrite, AWriteCutShortKeepsTheOldFile) {
  std::string p = path("cfg");
  put(p, "old settings");
  ChildOutcome child = in_child([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string cause;
    bool ok = save(p, std::string(20030, 'x'), cause);
    std::printf("%d %s", ok ? 1 : 0, cause.c_str());
    std::fflush(stdout);
    _exit(0);
  });
  EXPECT_EQ(child.out, "0 File too large");
  EXPECT_EQ(content(p), "old settings");
  EXPECT_EQ(entries(), 1);
}

TEST_F(SafeWrite, AFolderThatCannotBeWrittenKeepsTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
  std::string cause, p = path("cfg");
  put(p, "old");
  chmod(dir_.c_str(), 0500);
  EXPECT_FALSE(save(p, "new", cause));
  EXPECT_EQ(cause, "Permission denied");
  EXPECT_EQ(content(p), "old");
}

TEST_F(SafeWrite, FoldersAreMadePrivate) {
  std::string cause, deep = path("a/b/c");
  ASSERT_TRUE(os::make_private_dirs(deep + "/", cause)) << cause;
  EXPECT_EQ(mode_of(path("a")), 0700u);
  EXPECT_EQ(mode_of(deep), 0700u);
  put(path("file"), "x");
  EXPECT_FALSE(os::make_private_dirs(path("file/sub"), cause));
  // a folder claimed as private loses others' access; a link is refused
  std::string open_dir = path("open");
  mkdir(open_dir.c_str(), 0755);
  ASSERT_TRUE(os::claim_private_dir(open_dir, cause)) << cause;
  EXPECT_EQ(mode_of(open_dir), 0700u);
  ASSERT_EQ(symlink(open_dir.c_str(), path("link").c_str()), 0);
  EXPECT_FALSE(os::claim_private_dir(path("link"), cause));
}

// Without HOME the data folder is the home the password database gives, not a shared folder.
TEST(UserFolder, WithoutHomeIsTheUsersOwn) {
  ChildOutcome child = in_child([] {
    unsetenv("HOME");
    std::string why;
    std::printf("%s", os::user_data_folder(why).c_str());
    std::fflush(stdout);
    _exit(0);
  });
  struct passwd* pw = getpwuid(getuid());
  ASSERT_NE(pw, nullptr);
  struct stat st {};
  std::string expected = stat(pw->pw_dir, &st) == 0 && std::string(pw->pw_dir) != "/"
                             ? std::string(pw->pw_dir) + "/.vyn/"
                             : "/tmp/.vyn-" + std::to_string(getuid()) + "/";
  EXPECT_EQ(child.out, expected);
  EXPECT_NE(child.out, "/tmp/.vyn/");
}

}  // namespace
}  // namespace vyn::test
