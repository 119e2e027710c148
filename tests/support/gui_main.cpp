// main() of every in-process GUI test executable.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  // After glutInit the default "fast" death tests would fork a child that
  // shares the parent's X connection; re-executing the binary is safe.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  testing::InitGoogleTest(&argc, argv);
  // The program reads and writes ".ZELMOR" in the working directory: give
  // every process a scratch directory of its own.
  char dir[] = "/tmp/zelmor-gui-XXXXXX";
  if (mkdtemp(dir) == nullptr || chdir(dir) != 0) {
    std::perror("scratch directory");
    return 1;
  }
  return RUN_ALL_TESTS();
}
