#include "CommandLineHarness.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

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

LimitedRun runLimited(const std::vector<std::string>& arguments) {
    constexpr rlim_t kAddressSpace = rlim_t(1) << 30;
    LimitedRun r;
    const std::string errorsPath = pathJoin(tempDir(), "stderr-" + newUUIDString());
    const std::string exe = program();
    std::vector<std::string> args{exe};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit space{kAddressSpace, kAddressSpace};
        setrlimit(RLIMIT_AS, &space);
        const int out = open("/dev/null", O_WRONLY);
        const int err = open(errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0) _exit(126);
        dup2(out, 1);
        dup2(err, 2);
        alarm(60);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    if (pid < 0) return r;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.peakKilobytes = usage.ru_maxrss;
    r.errors = readFile(errorsPath).value_or("");
    removeFile(errorsPath);
    return r;
}

}  // namespace kx::test
