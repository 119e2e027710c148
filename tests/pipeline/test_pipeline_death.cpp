// The pipeline's exits and assertion, each in a child process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "app/app.h"
#include "diag/diag.h"
#include "tests/pipeline/pipeline_test_util.h"

namespace {

class PipelineDeathTest : public pipeline_test::in_temp_dir {
 protected:
  // The default ("fast") style forks at the statement: the child works in
  // the fixture's directory and the parent removes it.
  static void write(const std::string& content) {
    std::ofstream f(".ZELMOR", std::ios::binary);
    f << content;
  }
};

const char kLocation[] = "app/secondary_win\\.cpp line [0-9]+ \n";

struct ExitCase {
  const char* what;
  std::string content;
  std::string message;  // regular expression over standard error
};

const ExitCase kExits[] = {
    {"a token that is no number", "1 2 3\n1 x 3\n", "bad input line: 1 x 3\n\n"},
    {"a bad first line passes the priming count, then fails", "1 2 x\n", "bad input line: 1 2 x\n\n"},
    {"two numbers", "1 2 3\n1 2\n", std::string("inconsistent input\n") + kLocation},
    {"four numbers", "1 2 3\n4 5 6\n1 2 3 4\n", std::string("inconsistent input\n") + kLocation},
    {"a line split by the 100-character buffer", "1 2 " + std::string(95, ' ') + "3\n",
     std::string("inconsistent input\n") + kLocation},
    {"a long comment's rest is a data line of its own", "%" + std::string(110, 'x') + "\n1 2 3\n",
     std::string("inconsistent input\n") + kLocation},
    // Values the program never writes, which would overflow the exact
    // integer arithmetic or poison the engine, are refused like bad tokens.
    {"a coordinate beyond the limit", "1 2 3\n20000 0 1\n", "bad input line: 20000 0 1\n\n"},
    {"a non-finite coordinate", "nan 0 1\n", "bad input line: nan 0 1\n\n"},
    {"a non-finite height", "1 2 3\n0 0 inf\n", "bad input line: 0 0 inf\n\n"},
};

TEST_F(PipelineDeathTest, BadInputEndsTheProcessWithStatusOne) {
  for (const ExitCase& c : kExits) {
    SCOPED_TRACE(c.what);
    write(c.content);
    // The reader as the batch tool feeds it (the program itself reads the
    // text it wrote, from memory).
    EXPECT_EXIT(recompute_from(std::fopen(".ZELMOR", "r")), testing::ExitedWithCode(1), c.message);
  }
}

TEST_F(PipelineDeathTest, AWrongCountOnTheFirstDataLineFailsAlreadyInThePrimingCall) {
  write("% header\n1 2\n");
  EXPECT_EXIT(
      {
        point_file = std::fopen(".ZELMOR", "r");
        diag_stream = stderr;
        read_site(-1);
        std::fprintf(stderr, "primed\n");
        std::exit(0);
      },
      testing::ExitedWithCode(1), std::string("^inconsistent input\n") + kLocation + "$");
}

// A missing file no longer ends the program (it used to, with "Open Failed"
// and status -1, losing every point): the recomputation reads the text the
// program wrote, from memory.
TEST_F(PipelineDeathTest, AMissingFileEndsNothing) {
  EXPECT_EXIT(
      {
        pipeline_test::set_points({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {0.2, 0.1}});
        write_point_file();
        unlink(".ZELMOR");
        recompute();
        std::exit(pipeline_test::mismatch_with_oracle().empty() ? 0 : 2);
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(PipelineDeathTest, TheBlockBoundIsAnAssertion) {
  EXPECT_DEATH(
      {
        num_blocks = MAXBLOCKS - 1;
        new_site(nullptr, 0);
      },
      "num_blocks\\+1<MAXBLOCKS");
}

}  // namespace
