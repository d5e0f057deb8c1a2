#include "forms/support/ChildProcess.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

extern char** environ;

namespace testsupport {

namespace {

constexpr const char* kChildVariable = "LAPWREN_TEST_CHILD";
constexpr const char* kRanMarker = "[lapwren-test-child-ran]";

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

std::string ThisProgram() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

// The current environment with the given variables set (replacing any of the same name).
std::vector<std::string> EnvironmentWith(const std::vector<std::pair<std::string, std::string>>& extra) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& [name, value] : extra)
            replaced = replaced || text.rfind(name + "=", 0) == 0;
        if (!replaced)
            result.push_back(text);
    }
    for (const auto& [name, value] : extra)
        result.push_back(name + "=" + value);
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Waits for the child to end, killing it at the deadline; returns its wait status.
int Reap(pid_t pid, Clock::time_point deadline, bool& killed) {
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || done < 0)
            return status;
        if (Clock::now() >= deadline && !killed) {
            kill(pid, SIGKILL);
            killed = true;
            waitpid(pid, &status, 0);
            return status;
        }
        usleep(10000);
    }
}

} // namespace

bool InChildRun() {
    return std::getenv(kChildVariable) != nullptr;
}

void MarkChildRan() {
    std::printf("%s\n", kRanMarker);
    std::fflush(stdout);
}

bool ChildRan(const ChildResult& result) {
    return result.output.find(kRanMarker) != std::string::npos;
}

ChildResult RunThisTestInChild(const std::vector<std::pair<std::string, std::string>>& environment,
                               int timeoutMs) {
    ChildResult result;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (test == nullptr)
        return result;
    std::vector<std::string> arguments = {ThisProgram(), std::string("--gtest_filter=") +
                                                             test->test_suite_name() + "." + test->name()};
    auto extra = environment;
    extra.emplace_back(kChildVariable, "1");
    std::vector<std::string> variables = EnvironmentWith(extra);
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(variables);

    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (failed != 0) {
        close(out[0]);
        return result;
    }
    result.started = true;

    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[4096];
    for (;;) {
        pollfd waiting{out[0], POLLIN, 0};
        const int ready = poll(&waiting, 1, MillisecondsLeft(deadline));
        if (ready <= 0) {
            result.timedOut = ready == 0;
            break;
        }
        const ssize_t got = read(out[0], buffer, sizeof(buffer));
        if (got <= 0)
            break;
        result.output.append(buffer, static_cast<size_t>(got));
    }
    close(out[0]);
    bool killed = false;
    const int status = Reap(pid, result.timedOut ? Clock::now() : deadline, killed);
    result.timedOut = result.timedOut || killed;
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

PrivateXServer::PrivateXServer() {
    // The displays of this project's tests first; then whichever the server finds free.
    for (int display = 90; display <= 94 && !Started(); ++display)
        Start({":" + std::to_string(display)});
    if (!Started())
        Start({});
}

bool PrivateXServer::Start(const std::vector<std::string>& display) {
    int ready[2];
    if (pipe(ready) != 0)
        return false;
    fcntl(ready[0], F_SETFD, FD_CLOEXEC);
    std::vector<std::string> arguments = {"Xvfb"};
    arguments.insert(arguments.end(), display.begin(), display.end());
    for (const char* argument :
         {"-displayfd", "", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-nocursor"})
        arguments.emplace_back(argument);
    arguments[display.size() + 2] = std::to_string(ready[1]);
    std::vector<char*> argv = Pointers(arguments);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    if (failed != 0) {
        close(ready[0]);
        return false;
    }

    // The server writes its display number once it takes connections; it exits instead when the
    // display is taken.
    std::string number;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    for (;;) {
        pollfd waiting{ready[0], POLLIN, 0};
        if (poll(&waiting, 1, MillisecondsLeft(deadline)) <= 0)
            break;
        char c = 0;
        if (read(ready[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(ready[0]);
    if (number.empty()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return false;
    }
    pid_ = pid;
    display_ = ":" + number;
    return true;
}

PrivateXServer::~PrivateXServer() {
    if (!Started())
        return;
    kill(pid_, SIGTERM);
    bool killed = false;
    Reap(pid_, Clock::now() + std::chrono::seconds(5), killed);
}

} // namespace testsupport
