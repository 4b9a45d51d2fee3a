#include "util/KXPictureWrites.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>

KXPictureWrites::KXPictureWrites(size_t maxRunning, size_t maxBytes) : maxRunning_(maxRunning), maxBytes_(maxBytes) {}

size_t KXPictureWrites::defaultRunning() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 1 ? std::min<size_t>(cores - 1, 4) : 0;
}

KXPictureWrites::~KXPictureWrites() {
    while (!running_.empty()) finishOldest();
}

void KXPictureWrites::finishOldest() {
    Running oldest = std::move(running_.front());
    running_.pop_front();
    bytes_ -= oldest.bytes;
    bool written = false;
    try {
        written = oldest.result.get();
    } catch (...) {
        written = false;
    }
    if (!written) failed_.push_back(std::move(oldest.path));
}

void KXPictureWrites::runHere(const std::string& path, const std::function<bool()>& write) {
    bool written = false;
    try {
        written = write();
    } catch (...) {
        written = false;
    }
    if (!written) failed_.push_back(path);
}

void KXPictureWrites::add(const std::string& path, std::function<bool()> write, size_t bytes) {
    if (!write) return;
    if (maxRunning_ == 0) return runHere(path, write);
    while (!running_.empty() && (running_.size() >= maxRunning_ || bytes_ + bytes > maxBytes_)) finishOldest();
    std::future<bool> result;
    try {
        result = std::async(std::launch::async, write);
    } catch (const std::system_error&) {
        // No thread to be had: the write runs here.
        return runHere(path, write);
    }
    running_.push_back({path, std::move(result), bytes});
    bytes_ += bytes;
}

std::vector<std::string> KXPictureWrites::wait() {
    while (!running_.empty()) finishOldest();
    std::vector<std::string> failed;
    failed.swap(failed_);
    return failed;
}
