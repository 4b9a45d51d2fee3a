#include "app/jobs/KXSystemInformation.h"

#include <cstdio>

#include "platform/FileSystem.h"

namespace kx {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string systemVersionFromOsRelease(std::string_view osRelease) {
    int numbers[3] = {0, 0, 0};
    size_t lineStart = 0;
    while (lineStart < osRelease.size()) {
        size_t lineEnd = osRelease.find('\n', lineStart);
        if (lineEnd == std::string_view::npos) lineEnd = osRelease.size();
        std::string_view line = trimmed(osRelease.substr(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;
        constexpr std::string_view key = "VERSION_ID=";
        if (line.substr(0, key.size()) != key) continue;
        std::string_view value = line.substr(key.size());
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        // Dot-separated numbers; reading stops at the first part that is not one.
        for (int& number : numbers) {
            size_t digits = 0;
            long long n = 0;
            while (digits < value.size() && value[digits] >= '0' && value[digits] <= '9' && n < 1000000000)
                n = n * 10 + (value[digits++] - '0');
            if (digits == 0) break;
            number = static_cast<int>(n);
            if (digits >= value.size() || value[digits] != '.') break;
            value.remove_prefix(digits + 1);
        }
        break;
    }
    char text[40];
    std::snprintf(text, sizeof text, "%d.%d.%d", numbers[0], numbers[1], numbers[2]);
    return text;
}

std::string hardwareModelFromFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        std::optional<std::string> contents = readFile(path);
        if (!contents || contents->empty()) continue;
        std::string model = contents->substr(0, contents->find_first_of(std::string("\n\0", 2)));
        return std::string(trimmed(model));
    }
    return "Unknow device";
}

}  // namespace kx

std::string KXSystemVersionString() {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"})
        if (std::optional<std::string> text = kx::readFile(path)) return kx::systemVersionFromOsRelease(*text);
    return kx::systemVersionFromOsRelease("");
}

std::string KXHardwareModelString() {
    return kx::hardwareModelFromFiles({"/sys/devices/virtual/dmi/id/product_name", "/sys/firmware/devicetree/base/model"});
}
