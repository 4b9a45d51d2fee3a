#pragma once
// The error record every failure travels in: a domain, an integer code and a failure reason, with
// what lay underneath when there is more to say.

#include <string>
#include <utility>

struct KXError {
    std::string domain;
    int code = 0;
    std::string failureReason;
    // The cause under the failure reason, in a few words ("permission denied", "not a PDF file");
    // empty when the failure reason says it all.
    std::string underlyingReason;

    KXError() = default;
    KXError(std::string domain, int code, std::string failureReason, std::string underlyingReason = {})
        : domain(std::move(domain)), code(code), failureReason(std::move(failureReason)),
          underlyingReason(std::move(underlyingReason)) {}

    bool operator==(const KXError&) const = default;
};
