#include "pdf/state/ClipPathChain.h"

#include <utility>

#include "pdf/state/KXPDFClipPath.h"

namespace kx {

ClipPathChain::Link::Link(std::shared_ptr<Link> previous_, std::shared_ptr<const KXPDFClipPath> path_)
    : previous(std::move(previous_)), path(std::move(path_)), count(previous ? previous->count + 1 : 1) {}

ClipPathChain::Link::~Link() {
    // Releasing the links one inside the other would take a stack frame a link, and a page may nest
    // more clips than the stack holds frames: the links no other chain shares go one after another.
    std::shared_ptr<Link> next = std::move(previous);
    while (next && next.use_count() == 1) next = std::move(next->previous);
}

ClipPathChain::ClipPathChain(const Paths& paths) {
    for (const auto& path : paths) push_back(path);
}

void ClipPathChain::push_back(std::shared_ptr<const KXPDFClipPath> path) {
    last_ = std::make_shared<Link>(std::move(last_), std::move(path));
}

std::size_t ClipPathChain::size() const { return last_ ? last_->count : 0; }

const std::shared_ptr<const KXPDFClipPath>& ClipPathChain::front() const {
    const Link* link = last_.get();
    while (link->previous) link = link->previous.get();
    return link->path;
}

const std::shared_ptr<const KXPDFClipPath>& ClipPathChain::back() const { return last_->path; }

ClipPathChain::Paths ClipPathChain::paths() const {
    Paths paths(size());
    auto slot = paths.rbegin();
    for (const Link* link = last_.get(); link; link = link->previous.get()) *slot++ = link->path;
    return paths;
}

}  // namespace kx
