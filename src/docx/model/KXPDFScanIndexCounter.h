#pragma once
// The order number of the text runs of a page: each new run takes the counter's value, then the
// counter moves on. The document writers set it to 0 when a document and when each page begins.
// Used from the conversion thread only, one conversion at a time.

#include <cstdint>

inline std::uint64_t KXPDFScanIndexCounter = 0;
