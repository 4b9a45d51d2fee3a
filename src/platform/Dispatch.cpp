#include "platform/Dispatch.h"

#include <atomic>

namespace kx {

namespace {

std::mutex& hookMutex() {
    static std::mutex m;
    return m;
}

MainQueue::Hook& hookStorage() {
    static MainQueue::Hook hook;
    return hook;
}

// Captured during static initialisation, which runs on the process's first thread.
std::thread::id gMainThreadId = std::this_thread::get_id();
std::mutex gMainThreadMutex;

}  // namespace

void MainQueue::setHook(Hook hook) {
    std::lock_guard lock(hookMutex());
    hookStorage() = std::move(hook);
}

void MainQueue::async(Block block) {
    Hook hook;
    {
        std::lock_guard lock(hookMutex());
        hook = hookStorage();
    }
    if (hook)
        hook(std::move(block));
    else
        RunLoop::main().post(std::move(block));
}

void MainQueue::runOrAsync(Block block) {
    if (isMainThread())
        block();
    else
        async(std::move(block));
}

bool MainQueue::isMainThread() {
    std::lock_guard lock(gMainThreadMutex);
    return std::this_thread::get_id() == gMainThreadId;
}

void MainQueue::setMainThread() {
    std::lock_guard lock(gMainThreadMutex);
    gMainThreadId = std::this_thread::get_id();
}

RunLoop& RunLoop::main() {
    static RunLoop loop;
    return loop;
}

void RunLoop::post(Block block) {
    {
        std::lock_guard lock(mutex_);
        blocks_.push_back(std::move(block));
    }
    cv_.notify_all();
}

bool RunLoop::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        Block next;
        {
            std::unique_lock lock(mutex_);
            if (!cv_.wait_until(lock, deadline, [&] { return !blocks_.empty(); })) return done();
            next = std::move(blocks_.front());
            blocks_.pop_front();
        }
        if (next) next();
    }
    return true;
}

void RunLoop::drain() {
    for (;;) {
        Block next;
        {
            std::lock_guard lock(mutex_);
            if (blocks_.empty()) return;
            next = std::move(blocks_.front());
            blocks_.pop_front();
        }
        if (next) next();
    }
}

WorkerThread::WorkerThread(std::string label, Block block) : label_(std::move(label)), thread_(std::move(block)) {}

WorkerThread::~WorkerThread() { join(); }

WorkerThread& WorkerThread::operator=(WorkerThread&& other) noexcept {
    if (this != &other) {
        join();
        label_ = std::move(other.label_);
        thread_ = std::move(other.thread_);
    }
    return *this;
}

void WorkerThread::join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
    else if (thread_.joinable()) thread_.detach();
}

}  // namespace kx
