#include "platform/net/Thread.h"

TThread::~TThread() {
    WaitFor();
}

void TThread::Resume() {
    if (thread_.joinable() || Finished()) {
        return;
    }
    thread_ = std::thread([this] { Run(); });
}

void TThread::Run() {
    try {
        Execute();
    } catch (...) {
        // A worker's failure is its own business; it must not end the program.
    }
    finished_.store(true, std::memory_order_release);
}

void TThread::WaitFor() {
    if (thread_.joinable()) {
        thread_.join();
    }
}
