#pragma once
// Typed reads of the user's settings, each with its own default, and the unique output path.
//
// A read of a key that holds nothing stores the default there (and synchronises) before answering
// it, so the store always shows what the application used.

#include <cstdint>
#include <optional>
#include <string>

class KXCUtilities {
public:
    static bool boolValueForKey(const std::string& key, bool defaultValue);
    static std::int64_t integerValueForKey(const std::string& key, std::int64_t defaultValue);
    static float floatValueForKey(const std::string& key, float defaultValue);
    // With no default, an absent key answers nullopt and stays absent.
    static std::optional<std::string> stringValueForKey(const std::string& key,
                                                        const std::optional<std::string>& defaultValue);

    // A path at which nothing exists: the path itself when it is free, else the first free one of
    // "base 2.ext", "base 3.ext", ... ("base 2" without an extension). nullopt when every candidate
    // up to lastNumber is taken: the caller reports that rather than overwrite a file.
    static std::optional<std::string> getNewPathby(const std::string& path, int lastNumber = 999);
    // The same names, each claimed in one step by making an empty file there (an empty folder for
    // `folder`), so that another job or program picking a name in the same folder cannot take it
    // between the look and the write: the path claimed, which its user fills or removes again.
    // nullopt when every candidate is taken (`whyNot` left empty) or when none could be made in the
    // folder (`whyNot` says why).
    static std::optional<std::string> reserveNewPathBy(const std::string& path, bool folder,
                                                       std::string* whyNot = nullptr, int lastNumber = 999);
};
