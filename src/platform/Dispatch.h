#pragma once
// Threads of a conversion. Each conversion runs its block on a worker thread of its own; reports go
// back to the main thread through the main queue. The main queue is a hook the caller installs: the
// desktop application posts into its event loop, the command line and the tests drive RunLoop.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace kx {

using Block = std::function<void()>;

class MainQueue {
public:
    using Hook = std::function<void(Block)>;

    // Installs how blocks reach the main thread; an empty hook restores RunLoop::main().
    static void setHook(Hook hook);
    // Queues a block to the main thread (first in, first out).
    static void async(Block block);
    // Runs the block now on the main thread, else queues it.
    static void runOrAsync(Block block);

    static bool isMainThread();
    // Declares the calling thread the main thread (the thread that started the process by default).
    static void setMainThread();
};

// A first-in, first-out queue of blocks that one thread drains: the main queue of the command line
// and the tests.
class RunLoop {
public:
    static RunLoop& main();

    void post(Block block);
    // Runs queued blocks on the calling thread until done() holds after a block, or the timeout
    // passes. Returns done().
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds timeout = std::chrono::hours(24 * 365));
    // Runs what is queued now, without waiting.
    void drain();

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Block> blocks_;
};

// One worker thread that runs one block; joined on destruction (a dispatch queue created per
// conversion).
class WorkerThread {
public:
    WorkerThread() = default;
    WorkerThread(std::string label, Block block);
    ~WorkerThread();
    WorkerThread(WorkerThread&&) noexcept = default;
    WorkerThread& operator=(WorkerThread&& other) noexcept;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void join();
    bool joinable() const { return thread_.joinable(); }
    const std::string& label() const { return label_; }

private:
    std::string label_;
    std::thread thread_;
};

}  // namespace kx
