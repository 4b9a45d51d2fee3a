#pragma once
// The error record every failure travels in: a domain, an integer code and a failure reason.

#include <string>

struct KXError {
    std::string domain;
    int code = 0;
    std::string failureReason;

    bool operator==(const KXError&) const = default;
};
