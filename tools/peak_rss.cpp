// peak_rss: runs a program and reports the most memory it held at once.
//
//   peak_rss PROGRAM [ARGS...]
//
// Prints "peak_rss_kib=N" on stderr (the child's maximum resident set, from the kernel's own
// accounting) and exits with the child's exit code. Used by tools/bench.sh.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: peak_rss PROGRAM [ARGS...]\n");
    return 2;
  }
  pid_t pid = ::fork();
  if (pid < 0) {
    std::perror("peak_rss: fork");
    return 1;
  }
  if (pid == 0) {
    ::execvp(argv[1], argv + 1);
    std::perror("peak_rss: exec");
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (::wait4(pid, &status, 0, &usage) < 0) {
    std::perror("peak_rss: wait4");
    return 1;
  }
  std::fprintf(stderr, "peak_rss_kib=%ld\n", usage.ru_maxrss);
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
