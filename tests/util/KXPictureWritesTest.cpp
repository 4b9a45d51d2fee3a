// Pictures written on worker threads: every write has run when wait() returns or the object goes,
// failed and throwing writes are named once, and no more writes run at once (or hold more bytes)
// than the bounds allow.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "util/KXPictureWrites.h"

namespace {

struct Gauge {
    std::atomic<int> running{0}, most{0}, done{0};
    std::function<bool()> write(bool result = true) {
        return [this, result] {
            const int now = ++running;
            for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            --running;
            ++done;
            return result;
        };
    }
};

}  // namespace

TEST(KXPictureWrites, EveryWriteRunsWithinTheBoundsAndFailuresAreNamedOnce) {
    struct Case {
        const char* name;
        size_t maxRunning, maxBytes, bytesEach;
        int mostAtOnce;
    };
    const Case cases[] = {
        {"two at a time", 2, size_t(1) << 30, 10, 2},
        {"the byte bound allows one", 3, 15, 10, 1},
        {"a picture above the byte bound still runs", 3, 5, 10, 1},
        {"none at once: on the caller's thread", 0, size_t(1) << 30, 10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gauge gauge;
        std::vector<std::string> failed;
        {
            KXPictureWrites writes(c.maxRunning, c.maxBytes);
            for (int i = 0; i < 6; ++i) writes.add("ok-" + std::to_string(i), gauge.write(), c.bytesEach);
            writes.add("fails", gauge.write(false), c.bytesEach);
            writes.add("throws", [] () -> bool { throw std::runtime_error("no"); }, c.bytesEach);
            writes.add("empty", {}, c.bytesEach);
            failed = writes.wait();
            EXPECT_EQ(gauge.done, 7);
            EXPECT_TRUE(writes.wait().empty()) << "named once";
            writes.add("after", gauge.write(), c.bytesEach);
        }
        EXPECT_EQ(gauge.done, 8) << "the object waits for what is left when it goes";
        EXPECT_EQ(failed, (std::vector<std::string>{"fails", "throws"}));
        EXPECT_LE(gauge.most, c.mostAtOnce);
    }
}
