#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "cli_test_support.h"

extern char** environ;

namespace kvs::test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Starts a program with its output going to a file (or nowhere).
inline pid_t Spawn(const std::vector<std::string>& args, const std::string& output) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const char* to = output.empty() ? "/dev/null" : output.c_str();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, to, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    return rc == 0 ? pid : -1;
}

// The exit status, or -1 when the process had to be killed after timeout.
inline int WaitExit(pid_t pid, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return -1;
        }
        std::this_thread::sleep_for(10ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A JACK server of its own on the dummy driver, found by every client of
// this process and its children through JACK_DEFAULT_SERVER, so a server the
// machine already runs is never touched. It runs real-time where allowed: a
// server that misses its cycles on a busy machine loses the MIDI of those
// cycles, which is not what this test is about.
class JackServer {
  public:
    JackServer()
        : name_("kvs-cli-test-" + std::to_string(getpid())),
          server_("JACK_DEFAULT_SERVER", name_),
          noAutoStart_("JACK_NO_START_SERVER", "1") {
        pid_ = Spawn({"jackd", "-n", name_, "-d", "dummy", "-r", "48000", "-p", "256"}, "");
        if (pid_ < 0) {
            why_ = "jackd could not be started (is jackd2 installed?)";
            return;
        }
        const pid_t waiter = Spawn({"jack_wait", "-w", "-s", name_, "-t", "5"}, "");
        if (waiter < 0 || WaitExit(waiter, 10s) != 0) why_ = "jackd did not come up";
    }
    ~JackServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        (void)WaitExit(pid_, 5s);  // kills it outright when it does not end
    }
    JackServer(const JackServer&) = delete;
    JackServer& operator=(const JackServer&) = delete;

    bool Up() const { return why_.empty(); }
    const std::string& Why() const { return why_; }

  private:
    std::string name_;
    ScopedEnv server_;
    ScopedEnv noAutoStart_;
    pid_t pid_ = -1;
    std::string why_;
};

}  // namespace kvs::test
