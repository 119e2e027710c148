// main() of every in-process GUI test executable.
#include <ftw.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

char g_scratch[] = "/tmp/zelmor-gui-XXXXXX";

int remove_entry(const char* path, const struct stat*, int, struct FTW*) { return std::remove(path); }

// Runs at every exit (also the exit() of a death test's child or of Quit!).
void remove_scratch() {
  if (chdir("/tmp") == 0) nftw(g_scratch, remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

}  // namespace

int main(int argc, char** argv) {
  // After glutInit the default "fast" death tests would fork a child that
  // shares the parent's X connection; re-executing the binary is safe.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  testing::InitGoogleTest(&argc, argv);
  // The program reads and writes ".ZELMOR" in the working directory: give
  // every process a scratch directory of its own.
  if (mkdtemp(g_scratch) == nullptr || chdir(g_scratch) != 0) {
    std::perror("scratch directory");
    return 1;
  }
  std::atexit(remove_scratch);
  return RUN_ALL_TESTS();
}
