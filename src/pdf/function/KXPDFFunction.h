#pragma once
// PDF functions: m input numbers to n output numbers. They are the tint transforms of Separation
// and DeviceN colour spaces and the colour functions of shadings. A function is immutable once
// parsed and shared by whatever uses it.
//
// The factory builds the subclass of the dictionary's FunctionType (0 sampled, 2 exponential,
// 3 stitching, 4 PostScript calculator) or the identity function for the name "Identity", and
// returns nothing for anything it cannot parse completely.

#include <array>
#include <cstdint>
#include <memory>

#include "platform/pdf/PDFObject.h"

class KXPDFFunction {
public:
    // At most 32 inputs and 32 outputs; domain and range hold a min/max pair per input or output.
    static constexpr int kMaxValues = 32;
    using Values = std::array<double, kMaxValues>;
    using Pairs = std::array<double, 2 * kMaxValues>;

    KXPDFFunction() = default;
    virtual ~KXPDFFunction() = default;
    KXPDFFunction(const KXPDFFunction&) = default;
    KXPDFFunction& operator=(const KXPDFFunction&) = default;

    virtual std::int64_t getType() const { return 0; }
    // Reads Domain and Range (the subclasses read the rest); false at the first step that fails.
    virtual bool parse(const kx::PDFObject& object, const kx::PDFObject& funcDict);
    // Inputs 0 to m - 1 are read; outputs 0 to n - 1 are written (the base writes 32 zeros).
    virtual void transformInput(const Values& input, Values& output) const;

    std::int64_t type() const { return type_; }
    void setType(std::int64_t type) { type_ = type; }
    std::int64_t m_input() const { return m_; }
    std::int64_t n_output() const { return n_; }
    const Pairs& domain() const { return domain_; }
    const Pairs& range() const { return range_; }
    bool hasRange() const { return hasRange_; }

    // A function from a function dictionary or stream, or the name Identity; nullptr when the
    // object is none of these, the type is unknown or the parse fails. Functions that nest
    // functions (stitching) are read with a depth cap and refuse to contain themselves.
    static std::shared_ptr<const KXPDFFunction> FuntionWithObject(const kx::PDFObject& object);

protected:
    // x clamped to the domain pair of input i.
    double clampToDomain(double x, int i) const;
    // y clamped to the range pair of output j (when a Range was given).
    double clampToRange(double y, int j) const;

    std::int64_t type_ = 0;
    std::int64_t m_ = 0;
    std::int64_t n_ = 0;
    Pairs domain_{};
    Pairs range_{};
    bool hasRange_ = false;
};
