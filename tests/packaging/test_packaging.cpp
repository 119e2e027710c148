// The desktop entry's launcher, run with a stand-in zelmor, and the package
// check's refusal to delete a Debian root that has something mounted under
// it (run on a copy of the script whose build step is a stand-in too).
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const std::string kSource = ZELMOR_SOURCE_DIR;

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void spit(const std::string& path, const std::string& content, mode_t mode = 0644) {
  {
    std::ofstream f(path, std::ios::binary);
    f << content;
  }
  chmod(path.c_str(), mode);
}

int status_of(const std::string& cmd) {
  const int raw = std::system(cmd.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

class Packaging : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zelmor-packaging-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(tmpl));
    dir = tmpl;
  }
  void TearDown() override { std::system(("rm -rf --one-file-system '" + dir + "'").c_str()); }
  std::string dir;
};

TEST_F(Packaging, TheDesktopEntryStartsZelmorInAFolderOfItsOwnMadeOnFirstStart) {
  const std::string entry = slurp(kSource + "/packaging/zelmor.desktop");
  EXPECT_NE(std::string::npos, entry.find("\nExec=zelmor-desktop\n"));

  // A stand-in zelmor that notes where it was started and with what.
  ASSERT_EQ(0, mkdir((dir + "/bin").c_str(), 0755));
  ASSERT_EQ(0, mkdir((dir + "/home").c_str(), 0755));
  spit(dir + "/bin/zelmor", "#!/bin/sh\necho \"$(pwd) $#\" >> '" + dir + "/started'\n", 0755);
  const std::string run = "cd / && PATH='" + dir + "/bin':/usr/bin:/bin HOME='" + dir + "/home' sh '" + kSource +
                          "/packaging/zelmor-desktop'";
  EXPECT_EQ(0, status_of(run));
  EXPECT_EQ(0, status_of(run));  // the folder is there now: the same again
  EXPECT_EQ(dir + "/home/ZELMOR 0\n" + dir + "/home/ZELMOR 0\n", slurp(dir + "/started"));

  // Without a home there is no folder to make: nothing starts.
  std::remove((dir + "/started").c_str());
  EXPECT_NE(0, status_of("cd / && env -u HOME PATH='" + dir + "/bin':/usr/bin:/bin sh '" + kSource +
                         "/packaging/zelmor-desktop' 2>/dev/null"));
  EXPECT_EQ("", slurp(dir + "/started"));
}

TEST_F(Packaging, ThePackageCheckRefusesToDeleteARootWithSomethingMountedUnderIt) {
  const std::string root = dir + "/root";
  ASSERT_EQ(0, mkdir(root.c_str(), 0755));
  ASSERT_EQ(0, mkdir((root + "/dev").c_str(), 0755));
  if (mount("tmpfs", (root + "/dev").c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here (needs root): " << std::strerror(errno);
  }
  // Stands for the host's device nodes under a bind mount left behind.
  spit(root + "/dev/precious", "a device node\n");
  // The script, with a build step that only says it ran.
  ASSERT_EQ(0, mkdir((dir + "/tree").c_str(), 0755));
  ASSERT_EQ(0, mkdir((dir + "/tree/scripts").c_str(), 0755));
  spit(dir + "/tree/scripts/package-check.sh", slurp(kSource + "/scripts/package-check.sh"), 0755);
  spit(dir + "/tree/scripts/build.sh", "echo built > '" + dir + "/built'; exit 3\n", 0755);

  const int status = status_of("bash '" + dir + "/tree/scripts/package-check.sh' '" + root + "' > '" + dir +
                               "/out' 2>&1");
  const std::string out = slurp(dir + "/out");
  EXPECT_EQ(1, status) << out;
  EXPECT_NE(std::string::npos, out.find("refusing to delete " + root)) << out;
  EXPECT_EQ("a device node\n", slurp(root + "/dev/precious"));
  EXPECT_NE(0, access((dir + "/built").c_str(), F_OK)) << "it went on to build";
  EXPECT_EQ(0, umount((root + "/dev").c_str()));
}

}  // namespace
