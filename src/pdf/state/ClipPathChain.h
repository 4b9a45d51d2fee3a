#pragma once
// The clip paths of a render state, first added first. A state saved with q shares the paths of
// the state it was copied from instead of copying them: each added path links to the chain it was
// added to, so a clip nested in many saved states costs one link per path, and copying a chain
// (a saved state, a run that keeps its clip) costs one pointer.

#include <cstddef>
#include <memory>
#include <vector>

class KXPDFClipPath;

namespace kx {

class ClipPathChain {
public:
    using Paths = std::vector<std::shared_ptr<const KXPDFClipPath>>;

    ClipPathChain() = default;
    // The paths in the order given.
    explicit ClipPathChain(const Paths& paths);

    // Adds a path after the others; the chains this one was copied from keep theirs.
    void push_back(std::shared_ptr<const KXPDFClipPath> path);

    bool empty() const { return !last_; }
    std::size_t size() const;
    // The path added first and the one added last; neither may be asked of an empty chain.
    const std::shared_ptr<const KXPDFClipPath>& front() const;
    const std::shared_ptr<const KXPDFClipPath>& back() const;
    // Every path, first added first.
    Paths paths() const;

    // The same chain: the same paths added in the same order to the same start. Chains built
    // apart are different even when their paths look alike.
    bool operator==(const ClipPathChain& other) const { return last_ == other.last_; }

private:
    struct Link {
        Link(std::shared_ptr<Link> previous, std::shared_ptr<const KXPDFClipPath> path);
        ~Link();
        Link(const Link&) = delete;
        Link& operator=(const Link&) = delete;

        std::shared_ptr<Link> previous;
        std::shared_ptr<const KXPDFClipPath> path;
        // The number of links up to this one, this one included.
        std::size_t count;
    };
    std::shared_ptr<Link> last_;
};

}  // namespace kx
