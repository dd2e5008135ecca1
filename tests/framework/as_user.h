// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs part of a test as an unprivileged user, for what only permissions can
// show (root reads and writes everything). The part runs in a forked child,
// which reports its failures back as text.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

namespace asuser {

// The user a root test switches to.
constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;

// The uid the child will run as: nobody under root, ourselves otherwise.
inline uid_t ChildUid() { return geteuid() == 0 ? Nobody : geteuid(); }

// Lets the child's user own a path made by the test.
inline void GiveToChild(const std::string& path) {
    if (geteuid() == 0 && chown(path.c_str(), Nobody, NoGroup) != 0) std::perror(path.c_str());
}

// Runs body as an unprivileged user. nullopt when the switch is impossible (a
// root without the right to change user); otherwise the child's failure text,
// empty when everything held.
inline std::optional<std::string> Run(const std::function<std::string()>& body) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return std::string("pipe failed");
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) return std::string("fork failed");
    if (child == 0) {
        close(pipeFds[0]);
        if (geteuid() == 0) {
            const gid_t groups[] = {NoGroup};
            if (setgroups(1, groups) != 0 || setgid(NoGroup) != 0 || setuid(Nobody) != 0) _exit(77);
            if (setuid(0) == 0) _exit(77);  // the switch must be for good
        }
        const std::string failures = body();
        if (!failures.empty() && write(pipeFds[1], failures.data(), failures.size()) < 0) _exit(3);
        close(pipeFds[1]);
        _exit(failures.empty() ? 0 : 1);
    }
    close(pipeFds[1]);
    std::string failures;
    char buf[512];
    ssize_t n;
    while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) failures.append(buf, static_cast<size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return std::nullopt;
    if (!WIFEXITED(status)) return std::string("the child died with signal ") + std::to_string(WTERMSIG(status));
    if (WEXITSTATUS(status) != 0 && failures.empty()) return std::string("the child failed without saying why");
    return failures;
}

}  // namespace asuser
