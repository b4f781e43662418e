#include "RunProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace hostsim_test {
namespace {

// A temporary file removed when this object goes away.
class TempFile {
  public:
    explicit TempFile(const std::string& contents) {
        char name[] = "/tmp/hostsim-run-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) throw std::runtime_error("mkstemp failed");
        path_ = name;
        const char* data = contents.data();
        std::size_t left = contents.size();
        while (left > 0) {
            const ssize_t n = write(fd, data, left);
            if (n <= 0) break;
            data += n;
            left -= static_cast<std::size_t>(n);
        }
        close(fd);
    }
    ~TempFile() { std::remove(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& path() const { return path_; }
    std::string read() const {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

  private:
    std::string path_;
};

}  // namespace

ProcessOutcome runProcess(const std::vector<std::string>& argv, const std::string& input) {
    TempFile in(input), out(""), err("");
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int i = open(in.path().c_str(), O_RDONLY);
        const int o = open(out.path().c_str(), O_WRONLY | O_TRUNC);
        const int e = open(err.path().c_str(), O_WRONLY | O_TRUNC);
        if (i < 0 || o < 0 || e < 0) _exit(126);
        dup2(i, 0);
        dup2(o, 1);
        dup2(e, 2);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    ProcessOutcome outcome;
    outcome.exited = WIFEXITED(status);
    outcome.status = outcome.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    outcome.out = out.read();
    outcome.err = err.read();
    return outcome;
}

}  // namespace hostsim_test
