#pragma once
// A writer process killed at a random moment: the kill tests fork a
// writer that reports the number of every transaction it has committed on
// a pipe and never ends by itself, kill it a few milliseconds after its
// first report (however slow the machine, opening the file is not what is
// tested), and learn the last number it reported.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <random>

namespace dvx::test {

struct TKilledWriter {
  bool started = false;  // it reported a commit before the kill
  bool killed = false;   // it died of the kill, not by itself
  int64_t reported = 0;  // the last number it reported (`before` without one)
};

// `writer(fd)` runs in the child and writes int64_t numbers to fd.
template <typename FWriter>
TKilledWriter RunAndKillWriter(FWriter&& writer, int64_t before, std::mt19937& random) {
  TKilledWriter result;
  result.reported = before;
  int fds[2];
  if (pipe(fds) != 0) return result;
  const pid_t child = fork();
  if (child < 0) return result;
  if (child == 0) {
    close(fds[0]);
    writer(fds[1]);
    _exit(0);
  }
  close(fds[1]);
  int64_t done = 0;
  pollfd first{fds[0], POLLIN, 0};
  result.started = poll(&first, 1, 60000) == 1 && read(fds[0], &done, sizeof done) == sizeof done;
  if (result.started) result.reported = done;
  usleep(static_cast<useconds_t>(random() % 30000));
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  while (read(fds[0], &done, sizeof done) == sizeof done) result.reported = done;
  close(fds[0]);
  result.killed = WIFSIGNALED(status);
  return result;
}

}  // namespace dvx::test
