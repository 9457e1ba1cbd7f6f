#include "flash/frontend/core/engine_child.h"

#include "flash/engine/run/program_folder.h"
#include "flash/frontend/core/run_fields.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zeph::burnfront {

namespace {

// Only so much of what a failing child prints is kept for its message.
constexpr size_t kPrintedLimit = 4096;
// Descriptors below this stay clear of standard input, output and error, so neither end is
// ever 0 (which the engine would take as "no pipe").
constexpr int kLowestPipeFd = 3;

struct Fd {
    int fd = -1;
    ~Fd() { reset(); }
    void reset() {
        if (fd >= 0) {
            ::close(fd);
        }
        fd = -1;
    }
};

// A pipe whose ends lie at kLowestPipeFd or above; both close on exec unless said otherwise.
bool makePipe(Fd& readEnd, Fd& writeEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    for (int i = 0; i < 2; ++i) {
        Fd& end = i == 0 ? readEnd : writeEnd;
        end.fd = fds[i];
        if (fds[i] < kLowestPipeFd) {
            const int moved = ::fcntl(fds[i], F_DUPFD_CLOEXEC, kLowestPipeFd);
            end.reset();
            end.fd = moved;
        }
    }
    return readEnd.fd >= 0 && writeEnd.fd >= 0;
}

// One read into `take`; false at the end of the pipe, on an error, or when nothing is waiting
// on a non-blocking descriptor.
template <typename Take> bool readOnce(int fd, Take&& take) {
    uint8_t buffer[4096];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            take(std::span<const uint8_t>(buffer, static_cast<size_t>(n)));
            return true;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return false;
    }
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

std::string engineProgramFolder(const std::string& enginePath) {
    if (const char* chosen = std::getenv(flash::kBurnFolderVariable);
        chosen != nullptr && *chosen) {
        std::string folder = chosen;
        return folder.back() == '/' ? folder : folder + '/';
    }
    return folderOf(enginePath);
}

std::string enginePathBeside(const char* argv0) {
    std::string exe(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size());
    std::string folder;
    if (n > 0 && static_cast<size_t>(n) < exe.size()) {
        exe.resize(static_cast<size_t>(n));
        folder = folderOf(exe);
    }
    const std::string arg = argv0 != nullptr ? argv0 : "";
    if (folder.empty()) {
        folder = folderOf(arg);
    }
    if (folder.empty() && !arg.empty()) {
        const char* path = std::getenv("PATH");
        std::string rest = path != nullptr ? path : "";
        while (!rest.empty() && folder.empty()) {
            const size_t colon = rest.find(':');
            std::string dir = rest.substr(0, colon);
            rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
            if (!dir.empty() && ::access((dir + "/" + arg).c_str(), X_OK) == 0) {
                folder = dir + "/";
            }
        }
    }
    return folder + kEngineName;
}

ChildOutcome EngineChild::run(const std::string& enginePath, const std::vector<std::string>& args,
                              const std::function<void(const flash::PipeRecord&)>& onRecord,
                              const std::function<void()>& onStarted) {
    ChildOutcome outcome;
    struct ClearEnding {
        std::atomic<bool>& ending;
        ~ClearEnding() { ending.store(false); }
    } clearEnding{ending_};
    Fd recordsRead, recordsWrite, printedRead, printedWrite;
    if (!makePipe(recordsRead, recordsWrite) || !makePipe(printedRead, printedWrite)) {
        outcome.startFailure = "Cannot communicate with ZephBurnCL";
        outcome.pipeFailed = true;
        return outcome;
    }
    ::fcntl(recordsWrite.fd, F_SETPIPE_SZ, static_cast<int>(kPipeBufferSize));

    std::vector<std::string> argvText = {enginePath};
    argvText.insert(argvText.end(), args.begin(), args.end());
    argvText.insert(argvText.end(), {"-wp", std::to_string(recordsWrite.fd), "-rp",
                                     std::to_string(recordsRead.fd)});
    std::vector<char*> argv;
    for (std::string& a : argvText) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    // The child keeps the write end (without close-on-exec), reads nothing, and prints into a
    // pipe of ours; its standard error stays ours.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, printedWrite.fd, 1);
    const int inheritedFd = ::dup(recordsWrite.fd); // a copy without close-on-exec ...
    posix_spawn_file_actions_adddup2(&actions, inheritedFd, recordsWrite.fd); // ... at its number
    posix_spawn_file_actions_addclose(&actions, inheritedFd);
    pid_t pid = 0;
    const int spawned =
        ::access(enginePath.c_str(), X_OK) == 0
            ? posix_spawn(&pid, enginePath.c_str(), &actions, nullptr, argv.data(), environ)
            : ENOENT;
    posix_spawn_file_actions_destroy(&actions);
    if (inheritedFd >= 0) {
        ::close(inheritedFd);
    }
    if (spawned != 0 || inheritedFd < 0) {
        outcome.startFailure = "Failed to launch ZephBurnCL";
        return outcome;
    }
    pid_.store(pid);
    if (ending_.load()) {
        ::kill(pid, SIGTERM); // terminate() came while the child was being started
    }
    recordsWrite.reset();
    printedWrite.reset();
    if (onStarted) {
        onStarted();
    }

    // The child's end is watched too: a process it left behind may hold copies of the pipes.
    Fd childGone;
    childGone.fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));

    flash::PipeRecordReader reader;
    auto takeRecords = [&](std::span<const uint8_t> bytes) {
        reader.feed(bytes);
        while (!outcome.endRecordSeen) {
            const auto record = reader.next();
            if (!record) {
                break;
            }
            onRecord(*record);
            if (record->code == kEndOfRun) {
                outcome.endRecordSeen = true;
                outcome.exitStatus = endOfRunStatus(record->text);
            }
        }
    };
    auto keepPrinted = [&](std::span<const uint8_t> bytes) {
        const size_t room = kPrintedLimit - std::min(kPrintedLimit, outcome.printed.size());
        outcome.printed.append(reinterpret_cast<const char*>(bytes.data()),
                               std::min(room, bytes.size()));
    };

    bool recordsOpen = true;
    bool printedOpen = true;
    bool exited = false;
    while (recordsOpen && !exited && !outcome.endRecordSeen && !reader.failed()) {
        pollfd fds[3] = {{recordsRead.fd, POLLIN, 0},
                         {printedOpen ? printedRead.fd : -1, POLLIN, 0},
                         {childGone.fd, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if ((fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            printedOpen = readOnce(printedRead.fd, keepPrinted);
        }
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            recordsOpen = readOnce(recordsRead.fd, takeRecords);
        }
        exited = (fds[2].revents & POLLIN) != 0;
    }

    int status = 0;
    if (!outcome.endRecordSeen) {
        // Whatever the child wrote before it ended is still in the pipes.
        ::fcntl(recordsRead.fd, F_SETFL, O_NONBLOCK);
        ::fcntl(printedRead.fd, F_SETFL, O_NONBLOCK);
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        while (recordsOpen && !outcome.endRecordSeen && !reader.failed() &&
               readOnce(recordsRead.fd, takeRecords)) {
        }
        while (printedOpen && readOnce(printedRead.fd, keepPrinted)) {
        }
    } else {
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    pid_.store(0);
    if (!outcome.endRecordSeen) {
        outcome.exitStatus =
            WIFEXITED(status) && WEXITSTATUS(status) != 0 ? WEXITSTATUS(status) : 1;
    }
    return outcome;
}

void EngineChild::terminate() {
    ending_.store(true);
    const pid_t pid = pid_.load();
    if (pid > 0) {
        ::kill(pid, SIGTERM);
    }
}

} // namespace zeph::burnfront
