// Runs a program in a given working directory and collects its exit status,
// standard output and standard error (POSIX).
#ifndef BRELVIK_TESTS_RUN_PROGRAM_H_
#define BRELVIK_TESTS_RUN_PROGRAM_H_

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/test_util.h"

namespace testutil {

// How the child is started: its umask, and a user id to switch to (when the
// test runs as root, so that file permissions apply to the program).
struct RunOptions {
  int umask = -1;  // -1: inherit
  int uid = -1;    // -1: stay
};

struct RunResult {
  int status = -1;  // exit status; 128 + signal number when killed
  std::string out;
  std::string err;
};

inline RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::filesystem::path& cwd, const RunOptions& options = {}) {
  TempDir capture;
  const std::string outPath = capture.file("stdout");
  const std::string errPath = capture.file("stderr");
  RunResult result;
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(cwd.c_str()) != 0) _exit(120);
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0) _exit(121);
    dup2(out, 1);
    dup2(err, 2);
    if (options.umask >= 0) umask(static_cast<mode_t>(options.umask));
    if (options.uid >= 0 && (setgid(static_cast<gid_t>(options.uid)) != 0 || setuid(static_cast<uid_t>(options.uid)) != 0)) {
      _exit(123);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(122);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

}  // namespace testutil

#endif  // BRELVIK_TESTS_RUN_PROGRAM_H_
