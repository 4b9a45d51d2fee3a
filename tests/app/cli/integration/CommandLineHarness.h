#pragma once
// Runs the built KXDocuvane program the way a user's shell does, and looks at what it leaves.

#include <string>
#include <vector>

namespace kx::test {

std::string shellQuoted(const std::string& s);
// The built program.
std::string program();

struct Outcome {
    int status = -1;     // the exit status; 128 + the signal for a process a signal ended
    std::string output;  // standard output and standard error, as a terminal shows them
    std::string errors;  // standard error alone (runSplit only)
};

// Runs the program with the arguments (shell syntax) and a time limit.
Outcome run(const std::string& arguments, int seconds = 120);
// The same, with standard error kept apart in `errors` (and `output` holding standard output only).
Outcome runSplit(const std::string& arguments, int seconds = 120);

// A run of the program in a child process whose address space is held to 1 GiB and whose time is
// held to a minute: what it ended with and the most it held.
struct LimitedRun {
    int status = -1;          // the exit status; 128 + the signal for a process a signal ended
    std::string errors;       // standard error (standard output is thrown away)
    long peakKilobytes = 0;   // the most memory it held (resident)
    double seconds = 0;
};
LimitedRun runLimited(const std::vector<std::string>& arguments);

// A new folder under the test's temporary folder.
std::string freshFolder(const std::string& name);

}  // namespace kx::test
