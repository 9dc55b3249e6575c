#pragma once
// Runs a command of a tool in a child process that is stopped when it runs too long or
// grows too large, so that a test feeding a tool a device or an endless file fails with
// the reason instead of hanging or filling the machine's memory. Host only: fork and
// /proc. The child copies the parent's state, its files and seams included.

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <sys/select.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qora::testing {

// Far beyond what any bounded command takes, even under the sanitizers.
inline constexpr std::chrono::seconds kGuardTimeLimit{60};
inline constexpr long long kGuardMemoryLimit = 1024LL << 20;

struct GuardedRun {
    std::string stopped; // why the child was stopped or died; empty when it returned
    int status = -1;
    std::string out;
    std::string err;
};

// body(out, err) runs the command and returns its exit status.
using GuardedBody = std::function<int(std::ostream& out, std::ostream& err)>;

namespace guard_detail {

inline long long residentBytes(pid_t child) {
    std::ifstream statm("/proc/" + std::to_string(child) + "/statm");
    long long size = 0;
    long long resident = 0;
    statm >> size >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

// The child's report: "status out-length\n", its output, then its error output. An
// exception ends the child as it ends the tool, and never reaches the test's own runner.
[[noreturn]] inline void runChild(int pipe, const GuardedBody& body) {
    std::ostringstream out;
    std::ostringstream err;
    int status = 0;
    try {
        status = body(out, err);
    } catch (...) {
        std::abort();
    }
    const std::string report = std::to_string(status) + ' ' + std::to_string(out.str().size()) +
                               '\n' + out.str() + err.str();
    std::size_t written = 0;
    while (written < report.size()) {
        const ssize_t put = ::write(pipe, report.data() + written, report.size() - written);
        if (put <= 0) {
            ::_exit(2);
        }
        written += static_cast<std::size_t>(put);
    }
    ::_exit(0); // no destructors: the parent's temporary files stay its own
}

inline void readReport(const std::string& report, GuardedRun& run) {
    std::istringstream header(report.substr(0, report.find('\n')));
    std::size_t outLength = 0;
    if (!(header >> run.status >> outLength) || report.find('\n') == std::string::npos) {
        run.stopped = "the child sent no report";
        return;
    }
    const std::string body = report.substr(report.find('\n') + 1);
    run.out = body.substr(0, outLength);
    run.err = body.substr(std::min(outLength, body.size()));
}

} // namespace guard_detail

inline GuardedRun runGuarded(const GuardedBody& body) {
    GuardedRun run;
    int pipe[2];
    if (::pipe(pipe) != 0) {
        run.stopped = "no pipe";
        return run;
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        guard_detail::runChild(pipe[1], body);
    }
    ::close(pipe[1]);
    const auto deadline = std::chrono::steady_clock::now() + kGuardTimeLimit;
    std::string report;
    char chunk[4096];
    for (;;) {
        timeval wait{0, 20'000};
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(pipe[0], &readable);
        if (::select(pipe[0] + 1, &readable, nullptr, nullptr, &wait) > 0) {
            const ssize_t got = ::read(pipe[0], chunk, sizeof chunk);
            if (got <= 0) {
                break;
            }
            report.append(chunk, static_cast<std::size_t>(got));
        }
        if (std::chrono::steady_clock::now() > deadline) {
            run.stopped = "ran longer than " + std::to_string(kGuardTimeLimit.count()) + " s";
        } else if (guard_detail::residentBytes(child) > kGuardMemoryLimit) {
            run.stopped = "grew past " + std::to_string(kGuardMemoryLimit >> 20) + " MiB";
        }
        if (!run.stopped.empty()) {
            ::kill(child, SIGKILL);
            break;
        }
    }
    ::close(pipe[0]);
    int wait = 0;
    ::waitpid(child, &wait, 0);
    if (run.stopped.empty() && WIFSIGNALED(wait)) {
        run.stopped = "ended by signal " + std::to_string(WTERMSIG(wait));
    }
    if (run.stopped.empty()) {
        guard_detail::readReport(report, run);
    }
    return run;
}

} // namespace qora::testing
