// Another session in the middle of a save, for the tests of the waits for
// the state folder's lock: a child process that holds the folder's lock
// from construction until Release (or the end of the object).
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "core/state_files.h"

namespace tarvo::test {

class LockHolder {
 public:
  explicit LockHolder(const std::string& dir) {
    int held[2];
    if (pipe2(held, O_CLOEXEC) != 0 || pipe2(release_, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(held[0]), close(release_[1]);
      const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0 || flock(fd, LOCK_EX) != 0) _exit(1);
      char byte = 1, wait = 0;
      (void)!write(held[1], &byte, 1);
      (void)!read(release_[0], &wait, 1);  // returns when the parent lets go
      _exit(0);
    }
    close(held[1]), close(release_[0]);
    char byte = 0;
    ok_ = read(held[0], &byte, 1) == 1;
    close(held[0]);
  }
  ~LockHolder() { Release(); }
  void Release() {
    if (pid_ <= 0) return;
    close(release_[1]);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }
  bool Holding() const { return ok_; }
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = 0;
  int release_[2] = {-1, -1};
  bool ok_ = false;
};

}  // namespace tarvo::test
