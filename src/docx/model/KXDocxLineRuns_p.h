#pragma once
// The fusion of neighbouring runs of a line, on a range of an array so that a line build walks its
// runs once instead of copying what is left of them after every group.

#include <cstddef>
#include <memory>

#include "docx/model/KXDocxRunText.h"

namespace kx::detail {

// One past the last run of the fusion group that starts at `start` (runs in reading order).
std::size_t fusionGroupEnd(const KXDocxRunTextArray& runs, std::size_t start);
// runs[begin] absorbs runs[begin + 1 .. end) and is returned; null for an empty range.
std::shared_ptr<KXDocxRunText> fuseRuns(const KXDocxRunTextArray& runs, std::size_t begin, std::size_t end);

}  // namespace kx::detail
