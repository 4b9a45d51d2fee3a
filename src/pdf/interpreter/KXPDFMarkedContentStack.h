#pragma once
// The marked-content sequences of one run of a content stream (BMC and BDC push an entry).

#include <vector>

#include "pdf/interpreter/KXPDFMarkedContent.h"

class KXPDFMarkedContentStack {
public:
    KXPDFMarkedContentStack() { reset(); }

    // Empties the stack and pushes one fresh entry.
    void reset();
    // True when any entry has a non-zero ocSuppressed.
    bool contentIsHidden() const;
    // The last entry; nullptr when the stack is empty.
    KXPDFMarkedContent* tophMarkedContent();
    KXPDFMarkedContent& pushMarkedContent();
    KXPDFMarkedContent& pushMarkedContent(const KXPDFMarkedContent& entry);
    // Removes the last entry; false when the stack is empty.
    bool popMarkedContent(KXPDFMarkedContent* removed = nullptr);
    const std::vector<KXPDFMarkedContent>& stack() const { return stack_; }
    void setStack(std::vector<KXPDFMarkedContent> stack) { stack_ = std::move(stack); }

private:
    std::vector<KXPDFMarkedContent> stack_;
};
