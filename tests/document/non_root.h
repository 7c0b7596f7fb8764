#pragma once

#include <filesystem>
#include <functional>
#include <grp.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace velquor::test {

struct NonRootRun
{
    bool skipped = false; // the privileges could not be dropped
    bool passed = false; // the body returned true
    std::string why;
};

// Runs body in a child process as a user who is not root, since root may write any file: as
// the user itself when the test does not run as root, otherwise as "nobody" (65534), to whom the
// folder and everything in it are then given.
inline NonRootRun runAsNonRoot(const std::filesystem::path& folder, const std::function<bool()>& body)
{
    constexpr uid_t Nobody = 65534;
    constexpr int CannotDrop = 77;
    const bool root = ::geteuid() == 0;
    if (root) {
        [[maybe_unused]] int ignored = ::chown(folder.c_str(), Nobody, Nobody);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            ignored = ::lchown(entry.path().c_str(), Nobody, Nobody);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (root
            && (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0
                || ::geteuid() == 0))
            ::_exit(CannotDrop);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    NonRootRun run;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        run.why = "the child process did not end normally";
    } else if (WEXITSTATUS(status) == CannotDrop) {
        run.skipped = true;
        run.why = "running as root and cannot change to the user nobody (65534)";
    } else {
        run.passed = WEXITSTATUS(status) == 0;
        run.why = root ? "run as the user nobody" : "run as the user itself";
    }
    return run;
}

} // namespace velquor::test
