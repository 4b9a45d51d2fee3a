#pragma once
// Guards a build that comes back to itself through the file (colour spaces inside colour spaces,
// functions inside functions): each build marks its object as in progress while it runs, so a
// chain deeper than a fixed cap, or one that leads back to an object already being built, is cut.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kx {

class NestingGuard {
public:
    // `inProgress` is the caller's (per-thread) list of the objects being built, innermost last.
    // ok() is false, and nothing is marked, when `allowed` is false, when the list already holds
    // `maxDepth` objects, or when it holds `id`.
    NestingGuard(std::vector<std::uintptr_t>& inProgress, std::uintptr_t id, std::size_t maxDepth,
                 bool allowed = true)
        : inProgress_(inProgress) {
        ok_ = allowed && inProgress.size() < maxDepth &&
              std::find(inProgress.begin(), inProgress.end(), id) == inProgress.end();
        if (ok_) inProgress.push_back(id);
    }
    ~NestingGuard() {
        if (ok_) inProgress_.pop_back();
    }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

    bool ok() const { return ok_; }

private:
    std::vector<std::uintptr_t>& inProgress_;
    bool ok_ = false;
};

}  // namespace kx
