#pragma once
// One entry of the marked-content stack: whether the content carries replacement text, and whether
// it is optional content.

#include <cstdint>

class KXPDFMarkedContent {
public:
    // 1 marks content that carries replacement text (ActualText).
    std::int32_t kind() const { return kind_; }
    void setKind(std::int32_t kind) { kind_ = kind; }
    // 2 after creation; 1 for optional content.
    std::uint8_t ocSuppressed() const { return ocSuppressed_; }
    void setOcSuppressed(std::uint8_t value) { ocSuppressed_ = value; }

private:
    std::int32_t kind_ = 0;
    std::uint8_t ocSuppressed_ = 2;
};
