#include "platform/LeftOut.h"

#include <utility>

namespace kx {
namespace {
// A few kinds of things are ever noted on one page; a crafted page notes the same few again.
constexpr size_t kMostKinds = 64;
thread_local std::vector<LeftOutItem> tLeftOut;
}  // namespace

void LeftOut::note(const std::string& what, std::uint64_t count) {
    if (count == 0) return;
    for (LeftOutItem& item : tLeftOut) {
        if (item.what == what) {
            item.count += count;
            return;
        }
    }
    if (tLeftOut.size() < kMostKinds) tLeftOut.push_back({what, count});
}

void LeftOut::begin() { tLeftOut.clear(); }

std::vector<LeftOutItem> LeftOut::take() { return std::exchange(tLeftOut, {}); }

std::string LeftOut::describe(const std::vector<LeftOutItem>& items) {
    std::string line;
    for (const LeftOutItem& item : items) {
        if (!line.empty()) line += "; ";
        line += std::to_string(item.count) + " " + item.what;
    }
    return line;
}

}  // namespace kx
