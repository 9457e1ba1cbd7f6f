#include "child_process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zeph::testing {

std::string programPath(const std::string& name) {
    const char* dir = std::getenv("ZEPH_BIN_DIR");
    return std::string(dir != nullptr ? dir : ".") + "/" + name;
}

ProgramResult runProgram(const std::vector<std::string>& argv, const std::string& input) {
    ProgramResult result;
    std::signal(SIGPIPE, SIG_IGN); // a child that stops reading must not end the test
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
        posix_spawn_file_actions_addclose(&actions, fd);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        return result;
    }

    // Feed standard input and drain both outputs together, so no pipe fills up and stalls.
    size_t written = 0;
    int inFd = in[1];
    if (input.empty()) {
        close(inFd);
        inFd = -1;
    }
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {inFd, POLLOUT, 0}};
    char buf[65536];
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (poll(fds, 3, -1) < 0 && errno != EINTR) {
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP)) != 0) {
                const ssize_t n = read(fds[i].fd, buf, sizeof buf);
                if (n > 0) {
                    (i == 0 ? result.out : result.err).append(buf, static_cast<size_t>(n));
                } else {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                }
            }
        }
        if (fds[2].fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
            const ssize_t n = write(fds[2].fd, input.data() + written, input.size() - written);
            written += n > 0 ? static_cast<size_t>(n) : 0;
            if (n <= 0 || written == input.size()) {
                close(fds[2].fd);
                fds[2].fd = -1;
            }
        }
    }
    if (fds[2].fd >= 0) {
        close(fds[2].fd);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

BackgroundProgram::BackgroundProgram(const std::vector<std::string>& argv) {
    int out[2];
    if (pipe(out) != 0) {
        return;
    }
    char errPath[] = "/tmp/zeph-background-XXXXXX";
    errFile_ = mkstemp(errPath);
    unlink(errPath);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (errFile_ >= 0) {
        posix_spawn_file_actions_adddup2(&actions, errFile_, 2);
    }
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
        pid_ = pid;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = out[0];
}

BackgroundProgram::~BackgroundProgram() {
    stop();
    if (out_ >= 0) {
        close(out_);
    }
    if (errFile_ >= 0) {
        close(errFile_);
    }
}

BackgroundProgram::Read BackgroundProgram::readMore(int timeoutMs) {
    if (out_ < 0) {
        return Read::End;
    }
    pollfd fd{out_, POLLIN, 0};
    int ready = 0;
    while ((ready = poll(&fd, 1, timeoutMs)) < 0 && errno == EINTR) {
    }
    if (ready == 0) {
        return Read::TimedOut;
    }
    char buf[4096];
    ssize_t n = 0;
    while ((n = read(out_, buf, sizeof buf)) < 0 && errno == EINTR) {
    }
    if (n <= 0) {
        return Read::End;
    }
    pending_.append(buf, static_cast<size_t>(n));
    return Read::More;
}

std::string BackgroundProgram::readLine(int timeoutMs) {
    for (;;) {
        const size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        if (readMore(timeoutMs) != Read::More) {
            return {};
        }
    }
}

namespace {

int msLeft(std::chrono::steady_clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

} // namespace

bool BackgroundProgram::waitForOutput(const std::string& text, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (pending_.find(text) == std::string::npos) {
        if (readMore(msLeft(end)) != Read::More) {
            return false;
        }
    }
    return true;
}

std::optional<int> BackgroundProgram::wait(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (Read r = Read::More; r != Read::End;) {
        r = readMore(msLeft(end));
        if (r == Read::TimedOut) {
            return std::nullopt;
        }
    }
    if (pid_ <= 0) {
        return exitCode_;
    }
    // The output has ended: the program is ending or has.
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return exitCode_;
}

void BackgroundProgram::signal(int signalNumber) const {
    if (pid_ > 0) {
        kill(pid_, signalNumber);
    }
}

std::string BackgroundProgram::err() const {
    std::string text;
    char buf[4096];
    ssize_t n;
    for (off_t at = 0; errFile_ >= 0 && (n = pread(errFile_, buf, sizeof buf, at)) > 0; at += n) {
        text.append(buf, static_cast<size_t>(n));
    }
    return text;
}

int BackgroundProgram::stop() {
    if (pid_ <= 0) {
        return exitCode_;
    }
    kill(pid_, SIGTERM);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return exitCode_;
}

} // namespace zeph::testing
