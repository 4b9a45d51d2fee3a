#pragma once
// The numeric operands of a content operator, popped off the scanner's operand stack.

#include <vector>

#include "platform/pdf/PDFContentScanner.h"

// Pops n numbers (the last operand first) into entries 0, 1, ...: when only the first pop succeeds,
// every entry takes that value; when a later pop fails, the entries after it are 0; when the first
// fails, all are 0. n below 1 gives an empty result.
std::vector<double> popOperandNumbers(kx::PDFScanner& scanner, int n);
