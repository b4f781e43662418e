#include "RunProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace skrw::test {
namespace {

// The wait status of the child `pid`, waited for through interruptions; -1 when there is none.
int waitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return status;
}

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

// An unnamed temporary file holding `contents`, removed by the system once closed.
File tempFile(const std::string& contents) {
    File file(std::tmpfile(), &std::fclose);
    if (!file) throw std::runtime_error("tmpfile failed");
    ::fcntl(fileno(file.get()), F_SETFD, FD_CLOEXEC);  // only the dup2 copies reach the child
    std::fwrite(contents.data(), 1, contents.size(), file.get());
    std::fflush(file.get());
    std::rewind(file.get());
    return file;
}

std::string readAll(FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    return text;
}

}  // namespace

ProcessOutcome runProcess(const std::vector<std::string>& argv, const std::string& input) {
    File in = tempFile(input), out = tempFile(""), err = tempFile("");
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(fileno(in.get()), 0);
        ::dup2(fileno(out.get()), 1);
        ::dup2(fileno(err.get()), 2);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    const int status = waitFor(pid);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readAll(out.get()), readAll(err.get())};
}

std::string runAsUser(unsigned id, const std::function<std::string()>& work) {
    File out = tempFile("");
    std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(id, id, id) != 0 ||
            ::setresuid(id, id, id) != 0) {
            ::_exit(2);
        }
        // The child is a copy of the test: nothing of it may unwind into the test's own code.
        try {
            const std::string text = work();
            ::_exit(::write(fileno(out.get()), text.data(), text.size()) ==
                            static_cast<ssize_t>(text.size())
                        ? 0
                        : 3);
        } catch (...) {
            ::_exit(4);
        }
    }
    const int status = waitFor(pid);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "child failed: status " + std::to_string(status);
    }
    return readAll(out.get());
}

}  // namespace skrw::test
