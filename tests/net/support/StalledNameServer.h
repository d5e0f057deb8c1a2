#pragma once
// Runs a piece of a test in a child process whose name lookups never end: the child gets a user,
// mount and network namespace of its own, in which only the loopback device is up, a name server
// on 127.0.0.1 takes the questions and never answers, and /etc/resolv.conf names that server with
// the longest waits the resolver allows. No root is needed where the kernel allows user
// namespaces; where it does not, RunWithStalledNameServer answers kNoSandbox.
//
// Header-only, like the loopback server beside it.

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

namespace testnet {

// The name server of the child: it only collects the questions.
class StalledNameServer {
public:
    explicit StalledNameServer(int fd) : fd_(fd) {}

    // Forgets the questions asked so far.
    void Forget() const {
        char buffer[512];
        while (recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
        }
    }

    // Waits for a question; false when none came in time.
    bool WaitForQuestion(std::chrono::milliseconds timeout) const {
        pollfd fds{fd_, POLLIN, 0};
        return poll(&fds, 1, static_cast<int>(timeout.count())) == 1;
    }

private:
    int fd_;
};

// What RunWithStalledNameServer answers besides the child's own exit code.
constexpr int kNoSandbox = -1; // the namespaces could not be made here
constexpr int kTooLate = -2;   // the child did not end by the deadline and was killed
constexpr int kCrashed = -3;   // the child ended by a signal

namespace detail {

inline bool WriteWhole(const char* path, const std::string& text) {
    const int fd = open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    return ok;
}

// In the child: the namespaces, the resolver settings and the silent server; -1 on failure.
inline int EnterStalledSandbox(const std::string& resolvConf) {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) != 0) {
        return -1;
    }
    WriteWhole("/proc/self/setgroups", "deny"); // absent on old kernels, needed on new ones
    if (!WriteWhole("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
        !WriteWhole("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1") ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(resolvConf.c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0) {
        return -1;
    }
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq loopback{};
    std::strcpy(loopback.ifr_name, "lo");
    if (fd < 0 || ioctl(fd, SIOCGIFFLAGS, &loopback) != 0) {
        return -1;
    }
    loopback.ifr_flags |= IFF_UP;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(53);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (ioctl(fd, SIOCSIFFLAGS, &loopback) != 0 ||
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return -1;
    }
    return fd;
}

} // namespace detail

// Runs body in the child and answers its result (0 to 127) or one of the outcomes above. The child
// ends with _exit, so body must report through its result rather than through test assertions.
inline int RunWithStalledNameServer(const std::function<int(const StalledNameServer&)>& body,
                                    std::chrono::milliseconds deadline) {
    char folder[] = "/tmp/lapwren-resolv-XXXXXX";
    if (!mkdtemp(folder)) {
        return kNoSandbox;
    }
    const std::string resolvConf = std::string(folder) + "/resolv.conf";
    const int conf = open(resolvConf.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const std::string text = "nameserver 127.0.0.1\noptions timeout:30 attempts:5\n";
    const bool written =
        conf >= 0 && write(conf, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (conf >= 0) {
        close(conf);
    }
    const pid_t child = written ? fork() : -1;
    if (child == 0) {
        const int fd = detail::EnterStalledSandbox(resolvConf);
        _exit(fd < 0 ? 255 : body(StalledNameServer(fd)) & 0x7f);
    }
    int outcome = kNoSandbox;
    if (child > 0) {
        const auto end = std::chrono::steady_clock::now() + deadline;
        int status = 0;
        pid_t ended = 0;
        while ((ended = waitpid(child, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (ended == 0) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            outcome = kTooLate;
        } else if (ended == child && WIFSIGNALED(status)) {
            outcome = kCrashed;
        } else if (ended == child && WIFEXITED(status) && WEXITSTATUS(status) != 255) {
            outcome = WEXITSTATUS(status);
        }
    }
    unlink(resolvConf.c_str());
    rmdir(folder);
    return outcome;
}

} // namespace testnet
