#pragma once
// What the technical-support message tells about the machine: the system's version and the
// machine's model.

#include <string>
#include <string_view>
#include <vector>

// The running system's version as "major.minor.patch", from the VERSION_ID of os-release ("12" gives
// "12.0.0", "22.04" gives "22.4.0"); a number that cannot be read stays 0.
std::string KXSystemVersionString();
// The machine's model as the firmware names it; "Unknow device" when no model can be read, "" when
// the firmware gives an empty one.
std::string KXHardwareModelString();

namespace kx {

// The version out of the text of an os-release file.
std::string systemVersionFromOsRelease(std::string_view osRelease);
// The model out of the first of the files that has something in it (a model ends at a newline or a
// NUL); "Unknow device" when none has.
std::string hardwareModelFromFiles(const std::vector<std::string>& paths);

}  // namespace kx
