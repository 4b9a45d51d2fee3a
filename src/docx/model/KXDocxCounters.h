#pragma once
// The counters of the DOCX document being written, set back when a document begins and never per
// page:
//   - the stacking counter of shapes and pictures (path, image, shading and pattern runs, and the
//     wrapper of floating tables), from −251657498 upward, so that they stand behind the text;
//   - the stacking counter of text boxes and text along paths, from 1 upward, in front of it;
//   - the number of VML shapes written so far, which names each shape: an id must be unique in the
//     whole document part, and the reading order that numbers a page's runs starts again on every
//     page.
// Used from the conversion thread only.

#include <cstdint>

struct KXDocxCounters {
    static constexpr std::int64_t kShapeZIndexStart = -251657498;

    std::int64_t KXDocxShapeZIndexCounter = kShapeZIndexStart;
    std::int64_t KXDocxPictZIndexCounter = 1;
    std::uint64_t KXDocxVMLShapeCounter = 0;

    static KXDocxCounters& sharedInstance();
    // All three back to their start.
    void begainWriteDocument() { *this = KXDocxCounters(); }

    // Each takes the counter's value and moves it on.
    std::int64_t nextShapeZIndex() { return KXDocxShapeZIndexCounter++; }
    std::int64_t nextPictZIndex() { return KXDocxPictZIndexCounter++; }
    std::uint64_t nextVMLShapeIndex() { return KXDocxVMLShapeCounter++; }
};
