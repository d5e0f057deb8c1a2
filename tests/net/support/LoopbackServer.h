#pragma once
// A tiny HTTP server on 127.0.0.1 for the network tests, used as the HTTP proxy of the code under
// test (http_proxy points at it), so every request reaches it whatever host its URL names. It
// answers one connection at a time with whatever its handler says: a raw reply followed by
// closing, or silence with the connection held open. It stops when destroyed, and by itself at
// the end of its lifetime, so a test that goes wrong cannot leave it running.
//
// Header-only so that the test folders that need it can share it.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace testnet {

struct Request {
    std::string method;
    std::string target; // the absolute URL, as a client sends it to a proxy
    std::string version;
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;

    // "www.key" of "http://www.key/asup".
    std::string Host() const {
        const auto start = target.find("://");
        const auto from = start == std::string::npos ? 0 : start + 3;
        return target.substr(from, target.find('/', from) - from);
    }
    std::string Path() const {
        const auto start = target.find("://");
        const auto slash = target.find('/', start == std::string::npos ? 0 : start + 3);
        return slash == std::string::npos ? "/" : target.substr(slash);
    }
};

struct Reply {
    std::string raw;     // bytes written before the connection is closed
    bool silent = false; // write nothing and keep the connection open
};

inline std::string HttpReply(int status, const std::string& body, const std::string& extraHeaders = "") {
    return "HTTP/1.0 " + std::to_string(status) + (status < 300 ? " OK" : " Other") +
           "\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
           extraHeaders + "\r\n" + body;
}

// Points the process's http_proxy at a port of this machine, with nothing exempted from it.
inline void UseProxyPort(int port) {
    const std::string proxy = "http://127.0.0.1:" + std::to_string(port);
    setenv("http_proxy", proxy.c_str(), 1);
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");
}

// A loopback port that nothing listens on (taken and given back at once).
inline int ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

class LoopbackServer {
public:
    using Handler = std::function<Reply(const Request&)>;

    explicit LoopbackServer(Handler handler, std::chrono::seconds lifetime = std::chrono::seconds(60))
        : handler_(std::move(handler)), deadline_(std::chrono::steady_clock::now() + lifetime) {
        listen_ = socket(AF_INET, SOCK_STREAM, 0);
        const int yes = 1;
        setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK); // never reachable from outside
        if (bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listen_, 16) != 0 || pipe(wake_) != 0) {
            throw std::runtime_error("loopback server cannot listen");
        }
        socklen_t length = sizeof address;
        getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }

    ~LoopbackServer() {
        stop_ = true;
        const char byte = 0;
        (void)!write(wake_[1], &byte, 1);
        thread_.join();
        close(listen_);
        close(wake_[0]);
        close(wake_[1]);
    }

    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return port_; }

    std::vector<Request> Requests() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

    // Waits until n requests have arrived; false when they did not within the time.
    bool WaitForRequests(std::size_t n, std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        return arrived_.wait_for(lock, timeout, [&] { return requests_.size() >= n; });
    }

private:
    // Waits for fd to become readable; false when the server is stopping or out of time.
    bool WaitReadable(int fd) {
        while (!stop_) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline_ - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return false;
            }
            pollfd fds[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
            const int n = poll(fds, 2, static_cast<int>(std::min<long long>(left.count(), 1000)));
            if (n > 0 && (fds[1].revents & POLLIN)) {
                return false;
            }
            if (n > 0 && fds[0].revents) {
                return true;
            }
        }
        return false;
    }

    bool ReadRequest(int fd, Request& request) {
        std::string data;
        char buffer[4096];
        std::size_t headerEnd = std::string::npos;
        while (headerEnd == std::string::npos) {
            if (!WaitReadable(fd)) {
                return false;
            }
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                return false;
            }
            data.append(buffer, static_cast<std::size_t>(n));
            headerEnd = data.find("\r\n\r\n");
        }
        const std::string head = data.substr(0, headerEnd);
        std::size_t lineEnd = head.find("\r\n");
        const std::string first = head.substr(0, lineEnd);
        const auto s1 = first.find(' ');
        const auto s2 = first.find(' ', s1 + 1);
        request.method = first.substr(0, s1);
        request.target = first.substr(s1 + 1, s2 - s1 - 1);
        request.version = first.substr(s2 + 1);
        while (lineEnd != std::string::npos && lineEnd < head.size()) {
            const std::size_t next = head.find("\r\n", lineEnd + 2);
            const std::string line = head.substr(lineEnd + 2, next - lineEnd - 2);
            const auto colon = line.find(':');
            if (colon != std::string::npos) {
                std::string name = line.substr(0, colon);
                std::transform(name.begin(), name.end(), name.begin(), ::tolower);
                request.headers[name] = line.substr(line.find_first_not_of(' ', colon + 1));
            }
            lineEnd = next;
        }
        const std::size_t length =
            request.headers.count("content-length") ? std::stoul(request.headers["content-length"]) : 0;
        request.body = data.substr(headerEnd + 4);
        while (request.body.size() < length) {
            if (!WaitReadable(fd)) {
                return false;
            }
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                return false;
            }
            request.body.append(buffer, static_cast<std::size_t>(n));
        }
        return true;
    }

    void Serve() {
        std::vector<int> held; // connections left unanswered until the server stops
        while (WaitReadable(listen_)) {
            const int fd = accept(listen_, nullptr, nullptr);
            if (fd < 0) {
                continue;
            }
            Request request;
            if (!ReadRequest(fd, request)) {
                close(fd);
                continue;
            }
            const Reply reply = handler_(request);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(request);
            }
            arrived_.notify_all();
            if (reply.silent) {
                held.push_back(fd);
                continue;
            }
            std::size_t sent = 0;
            while (sent < reply.raw.size()) {
                const ssize_t n = send(fd, reply.raw.data() + sent, reply.raw.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) {
                    break;
                }
                sent += static_cast<std::size_t>(n);
            }
            shutdown(fd, SHUT_WR);
            close(fd);
        }
        for (const int fd : held) {
            close(fd);
        }
    }

    Handler handler_;
    std::chrono::steady_clock::time_point deadline_;
    int listen_ = -1;
    int wake_[2] = {-1, -1};
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Request> requests_;
};

} // namespace testnet
