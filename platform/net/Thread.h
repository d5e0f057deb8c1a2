#pragma once
// A worker thread as the class library shaped it: created suspended, started by Resume, running
// Execute once on a thread of its own. The creator polls Finished(); what Execute wrote is visible
// to the creator once Finished() is true (release on the worker's side, acquire on the poll).
//
// The thread is joined, never detached. A derived class whose Execute uses its own members must
// call WaitFor() first thing in its destructor (after making Execute end soon, if it may block),
// since those members are gone by the time ~TThread runs.

#include <atomic>
#include <thread>

class TThread {
public:
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    virtual ~TThread();

    // Starts Execute on a new thread; does nothing once started. Throws std::system_error when
    // no thread can be made.
    void Resume();

    // True once Execute has returned (or thrown; what it throws goes no further).
    bool Finished() const { return finished_.load(std::memory_order_acquire); }

protected:
    TThread() = default;

    virtual void Execute() = 0;

    // Returns once the thread has ended; at once when it never started.
    void WaitFor();

private:
    void Run();

    std::thread thread_;
    std::atomic<bool> finished_{false};
};
