// The worker thread: suspended until Resume, Execute once, the finished flag, and the join.
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "platform/net/Thread.h"

namespace {

class CountingThread : public TThread {
public:
    explicit CountingThread(bool throws = false) : throws_(throws) {}
    ~CountingThread() override { WaitFor(); }

    std::atomic<int> runs{0};
    int written = 0; // plain: visible to the poller only through the finished flag

protected:
    void Execute() override {
        ++runs;
        written = 42;
        if (throws_) {
            throw std::runtime_error("worker failed");
        }
    }

private:
    bool throws_;
};

void WaitUntilFinished(const TThread& thread) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!thread.Finished() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
}

TEST(WorkerThread, ANeverStartedThreadRunsNothingAndIsDestroyedAtOnce) {
    auto* thread = new CountingThread;
    EXPECT_FALSE(thread->Finished());
    const int runs = thread->runs;
    delete thread;
    EXPECT_EQ(runs, 0);
}

TEST(WorkerThread, ResumeRunsExecuteOnceAndItsResultIsSeenWhenFinished) {
    CountingThread thread;
    thread.Resume();
    thread.Resume();
    WaitUntilFinished(thread);
    ASSERT_TRUE(thread.Finished());
    EXPECT_EQ(thread.written, 42);
    thread.Resume();
    EXPECT_EQ(thread.runs, 1);
}

TEST(WorkerThread, AnExceptionFromExecuteStillFinishesTheThread) {
    CountingThread thread(true);
    thread.Resume();
    WaitUntilFinished(thread);
    EXPECT_TRUE(thread.Finished());
}

TEST(WorkerThread, DestroyingARunningThreadWaitsForItsExecute) {
    struct SlowThread : TThread {
        explicit SlowThread(std::atomic<bool>& ended) : ended_(ended) {}
        ~SlowThread() override { WaitFor(); }
        void Execute() override {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ended_ = true;
        }
        std::atomic<bool>& ended_;
    };
    std::atomic<bool> ended{false};
    auto* thread = new SlowThread(ended);
    thread->Resume();
    delete thread;
    EXPECT_TRUE(ended);
}

} // namespace
