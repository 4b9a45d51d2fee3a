#include "CommandLineHarness.h"

#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace kx::test {

std::string shellQuoted(const std::string& s) {
    std::string quoted = "'";
    for (char c : s) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string program() { return pathJoin(binDir(), "KXDocuvane"); }

Outcome run(const std::string& arguments, int seconds) {
    Outcome r;
    r.status = runCommand("timeout " + std::to_string(seconds) + " " + shellQuoted(program()) + " " + arguments, &r.output);
    return r;
}

Outcome runSplit(const std::string& arguments, int seconds) {
    const std::string errors = pathJoin(tempDir(), "stderr-" + newUUIDString());
    Outcome r;
    r.status = runCommand("{ timeout " + std::to_string(seconds) + " " + shellQuoted(program()) + " " + arguments +
                              " 2>" + shellQuoted(errors) + "; }",
                          &r.output);
    r.errors = readFile(errors).value_or("");
    removeFile(errors);
    return r;
}

std::string freshFolder(const std::string& name) {
    std::string dir = pathJoin(tempDir(), name + "-" + newUUIDString());
    createDirectories(dir);
    return dir;
}

}  // namespace kx::test
