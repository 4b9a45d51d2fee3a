// The clock that dates a package's document properties.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "ooxml/KXDocumentProperties.h"

TEST(KXDocumentProperties, SourceDateEpochFixesTheTimeWhenItIsAWholeNumberOfSeconds) {
    struct Case {
        const char* value;                // nullptr: unset
        std::optional<std::time_t> want;  // none: now
    } cases[] = {
        {"1700000000", 1700000000}, {"0", 0},           {nullptr, std::nullopt}, {"-5", std::nullopt},
        {"soon", std::nullopt},     {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        if (c.value)
            ::setenv("SOURCE_DATE_EPOCH", c.value, 1);
        else
            ::unsetenv("SOURCE_DATE_EPOCH");
        const std::time_t before = std::time(nullptr);
        const std::time_t got = kx::documentTime();
        if (c.want)
            EXPECT_EQ(got, *c.want);
        else
            EXPECT_TRUE(got >= before && got <= std::time(nullptr));
    }
    ::unsetenv("SOURCE_DATE_EPOCH");
}
