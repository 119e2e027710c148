// The real zelmor-lab under a private X server: an option it does not know
// is a usage error (status 2, the usage line on standard error) and no
// window opens; "--" lets a FILE begin with '-'; at start it sweeps what a
// save killed half way left beside FILE; S on a FIFO leaves the FIFO a FIFO
// and says why in its status line and on standard error.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/safe_write.h"
#include "tests/files/files_test_util.h"
#include "tests/support/launch.h"
#include "tests/support/xdrive.h"

namespace {

using files_test::kind_of;
using files_test::slurp;
using files_test::spit;

const char kFive[] = "% five\n-1 -1\n1 -1\n1 1\n-1 1\n0.25 0.5\n";

// zelmor-lab started in the current folder with args, its standard error
// into "lab.err".
pid_t start_lab(const std::vector<std::string>& args) {
  std::vector<std::string> argv_s{ZELMOR_LAB_BINARY};
  argv_s.insert(argv_s.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_s) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int err = open("lab.err", O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int null = open("/dev/null", O_RDWR);
    if (err < 0 || null < 0) _exit(126);
    dup2(null, 0);
    dup2(null, 1);
    dup2(err, 2);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

// The exit status within timeout_ms, or -1 (the program is then ended).
int exit_status(pid_t pid, int timeout_ms) {
  int st = 0;
  for (int waited = 0; waited < timeout_ms; waited += 20) {
    if (waitpid(pid, &st, WNOHANG) == pid) return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    xdrive::sleep_ms(20);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &st, 0);
  return -1;
}

void end_lab(pid_t pid) {
  kill(pid, SIGTERM);
  if (exit_status(pid, 2000) < 0) ADD_FAILURE() << "zelmor-lab did not end";
}

using LabCommandLine = files_test::in_fresh_dir;

TEST_F(LabCommandLine, AnOptionItDoesNotKnowIsAUsageError) {
  const struct {
    std::vector<std::string> args;
    const char* why;
  } cases[] = {
      {{"--bogus"}, "unknown option --bogus"},
      {{"-x"}, "unknown option -x"},
      {{"-pts.txt"}, "unknown option -pts.txt"},
      {{"pts.txt", "--bogus"}, "unknown option --bogus"},
      {{"a.txt", "b.txt"}, "more than one FILE given: a.txt, b.txt"},
      {{"--", "a.txt", "-b.txt"}, "more than one FILE given: a.txt, -b.txt"},
  };
  spit("pts.txt", kFive);
  spit("-pts.txt", kFive);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const pid_t lab = start_lab(c.args);
    EXPECT_EQ(2, exit_status(lab, 15000));
    EXPECT_EQ(std::string("zelmor-lab: ") + c.why + "\nusage: zelmor-lab [--] [FILE]\n", slurp("lab.err"));
    EXPECT_EQ(0u, kind_of(".ZELMOR")) << "the lab started all the same";
  }
}

// .ZELMOR holds n lines once the lab has loaded FILE.
bool exchange_has_lines(std::size_t n) {
  return xdrive::wait_until(
      [n] {
        const std::string s = slurp(".ZELMOR");
        return xd_line_count(s) == n;
      },
      15000);
}

TEST_F(LabCommandLine, DoubleDashEndsTheOptionsSoAFileMayBeginWithADash) {
  spit("-pts.txt", kFive);
  const pid_t lab = start_lab({"--", "-pts.txt"});
  EXPECT_TRUE(exchange_has_lines(5)) << slurp("lab.err");
  const std::vector<xd_lifted> pts = xd_parse_points(slurp(".ZELMOR"));
  ASSERT_EQ(5u, pts.size());
  EXPECT_EQ(0.25, pts[4].x);
  EXPECT_EQ(0.5, pts[4].y);
  end_lab(lab);
}

TEST_F(LabCommandLine, AtStartTheTemporaryOfASaveKilledHalfWayBesideFileIsSwept) {
  ASSERT_EQ(0, mkdir("lessons", 0755));
  spit("lessons/class.txt", kFive);
  // Names as a save of a process that is gone, and of one that runs (this
  // test), would leave them.
  const std::string own = safe_temp_name(0);
  const pid_t dead = files_test::gone_pid();
  const std::string stale = "lessons/" + own.substr(0, 17) + std::to_string(dead) + ".0.tmp";
  const std::string running = "lessons/" + own;
  spit(stale, "-1 -1\n1 -");
  spit(running, "-1 -1\n1 -");
  const pid_t lab = start_lab({"lessons/class.txt"});
  EXPECT_TRUE(exchange_has_lines(5)) << slurp("lab.err");
  EXPECT_EQ(0u, kind_of(stale));
  EXPECT_EQ(static_cast<mode_t>(S_IFREG), kind_of(running));
  end_lab(lab);
}

// S with FILE a FIFO: the real key, the real program.
TEST(LabSaveKey, SOnAFifoKeepsTheFifoAndSaysWhy) {
  char tmpl[] = "/tmp/zelmor-files-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(tmpl));
  const std::string fifo = std::string(tmpl) + "/class.txt";
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0644));
  xdrive x;
  program_windows w;
  ASSERT_TRUE(start_program(x, ZELMOR_LAB_BINARY, {fifo}, &w));
  const xd_window& view = w.view;
  EXPECT_TRUE(xdrive::wait_until(
      [&] { return x.program_stderr().find(fifo + " is not a regular file; nothing loaded") != std::string::npos; },
      15000))
      << x.program_stderr();
  x.click(view.x + 100, view.y + 100, 3);  // a point to save
  x.move(view.x + 300, view.y + 300);
  ASSERT_TRUE(x.key("S"));
  const std::string said = "zelmor-lab: cannot save " + fifo + ": not a regular file; " + fifo + " is as it was\n";
  EXPECT_TRUE(xdrive::wait_until([&] { return x.program_stderr().find(said) != std::string::npos; }, 15000))
      << x.program_stderr();
  EXPECT_EQ(static_cast<mode_t>(S_IFIFO), kind_of(fifo));
  EXPECT_TRUE(x.running());
  x.terminate();
  ASSERT_EQ(0, std::system((std::string("rm -rf ") + tmpl).c_str()));
}

}  // namespace
