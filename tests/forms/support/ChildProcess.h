#pragma once
// For tests that must run where the test process itself cannot: on a real X server, or up to the
// end of the process. The test starts this test program again with only itself selected and the
// environment it needs, and judges the child by its exit.

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// True in the child started by RunThisTestInChild.
bool InChildRun();

struct ChildResult {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1;  // the exit status, or -1 when the child was killed by a signal
    int signal = 0;     // the signal that ended the child, 0 when it exited
    std::string output; // what the child wrote to stdout and stderr
};

// Runs the current test (Suite.Name) again in a child process with the extra environment; the
// child is killed after timeoutMs.
ChildResult RunThisTestInChild(const std::vector<std::pair<std::string, std::string>>& environment,
                               int timeoutMs);

// The child's output (what RunThisTestInChild returns as output) carries this line once the
// test body began in the child, so a child that ran nothing does not pass.
void MarkChildRan();
bool ChildRan(const ChildResult& result);

// A private X server without a window manager (Xvfb), for the lifetime of this object.
class PrivateXServer {
public:
    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    bool Started() const { return pid_ > 0; }
    // ":n", for DISPLAY.
    const std::string& Display() const { return display_; }

private:
    bool Start(const std::vector<std::string>& display);

    int pid_ = -1;
    std::string display_;
};

} // namespace testsupport
