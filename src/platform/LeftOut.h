#pragma once
// What the bounds against crafted input leave out of the page being converted. A bound that
// leaves out a path, an image, text or part of a picture notes it here, on the thread that converts
// the page; the engine starts each page's record and, when the page is done, reports the page as
// converted with something left out (KXDocuvaneErrorPageIncomplete), which the command line names
// on standard error and counts in its exit status, and the application shows in the file's row.
//
// The record is the thread's own: a note made on any other thread reaches no page. Every exporter
// does a page's work, its pictures included, on the conversion's thread before its convertPDFPage
// returns; only the encoding of finished pictures into files runs on other threads
// (KXPictureWrites), and it leaves nothing out. Work that a bound may cut and that is moved to
// another thread has to take() the record there and note its items again on the page's thread.
// A result that is cut once and kept for later pages (an image decoded reduced, reused by every
// page that paints it) is noted by each page that uses it, not only by the one that made it.

#include <cstdint>
#include <string>
#include <vector>

namespace kx {

struct LeftOutItem {
    // What was left out, and by which bound, in a few words ("paths past the drawing budget of a
    // picture"); notes with the same words are counted together.
    std::string what;
    std::uint64_t count = 0;
};

class LeftOut {
public:
    // Notes `count` things left out, under `what`.
    static void note(const std::string& what, std::uint64_t count = 1);
    // Starts a new record for this thread (a page), forgetting what was noted before.
    static void begin();
    // What was noted on this thread since begin(), in the order first noted; clears the record.
    static std::vector<LeftOutItem> take();
    // One line for the record: "12 paths past the drawing budget of a picture; 1 image ...".
    static std::string describe(const std::vector<LeftOutItem>& items);
};

}  // namespace kx
