#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include <string>

#include "midi/backends/backend_probe.h"

extern char** environ;

namespace kvs::test {

// A JACK server of its own on the dummy driver for the length of one test,
// found by this process's clients through JACK_DEFAULT_SERVER: tests run in
// parallel must not share (and stop) one another's server. It asks for
// real-time scheduling: without it a busy machine makes it miss cycles and
// lose MIDI.
class JackServer {
  public:
    JackServer() : name_("kvs-midi-test-" + std::to_string(getpid())) {
        setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
        const char* argv[] = {"jackd", "-n",    name_.c_str(), "-d",  "dummy",
                              "-r",    "48000", "-p",          "256", nullptr};
        if (Spawn(argv, &pid_) != 0) {
            why_ = "jackd could not be started";
            return;
        }
        const char* wait[] = {"jack_wait", "-w", "-s", name_.c_str(), "-t", "5", nullptr};
        pid_t waiter = 0;
        int status = -1;
        if (Spawn(wait, &waiter) == 0) waitpid(waiter, &status, 0);
        if (status != 0 || !JackServerRunning()) why_ = "jackd did not come up";
    }
    ~JackServer() { Stop(); }
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = 0;
        }
    }
    bool Up() const { return why_.empty(); }
    const std::string& Why() const { return why_; }

  private:
    // The server's chatter (xruns of the dummy driver) would bury the test output.
    static int Spawn(const char** argv, pid_t* pid) {
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        int rc = posix_spawnp(pid, argv[0], &quiet, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&quiet);
        return rc;
    }
    std::string name_;
    pid_t pid_ = 0;
    std::string why_;
};

}  // namespace kvs::test
