#pragma once
// Pictures a package takes, encoded and written on worker threads while the conversion goes on
// with the next page. At most a few run at once and the pixels they hold stay within a bound:
// adding one more waits for the oldest. Everything added has run once wait() returns (or the
// object is destroyed), so nothing writes into a folder after its owner has removed it.
// Used from one thread (the conversion's).

#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <string>
#include <vector>

class KXPictureWrites {
public:
    // At most `maxRunning` writes at once (0: each runs at once on the caller's thread), holding
    // at most `maxBytes` between them (one larger picture still runs, alone).
    explicit KXPictureWrites(size_t maxRunning = defaultRunning(), size_t maxBytes = size_t(128) << 20);
    // As many as the machine has cores less one (the conversion's), at most four.
    static size_t defaultRunning();
    ~KXPictureWrites();
    KXPictureWrites(const KXPictureWrites&) = delete;
    KXPictureWrites& operator=(const KXPictureWrites&) = delete;

    // Runs `write` (true when the file was written) for the file at `path`, holding `bytes`.
    void add(const std::string& path, std::function<bool()> write, size_t bytes);
    // Waits for every write added; the paths whose write failed (or threw) since the last wait.
    std::vector<std::string> wait();

private:
    struct Running {
        std::string path;
        std::future<bool> result;
        size_t bytes = 0;
    };
    void finishOldest();
    void runHere(const std::string& path, const std::function<bool()>& write);

    size_t maxRunning_;
    size_t maxBytes_;
    size_t bytes_ = 0;
    std::deque<Running> running_;
    std::vector<std::string> failed_;
};
