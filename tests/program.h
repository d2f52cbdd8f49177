#pragma once

// Runs the built program in a folder of its own, with pipes on its standard
// streams, for tests that check what a user sees.

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

inline const char* const prompt = "Enter a Scaling Constant:\n";

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// How long the program may stay silent before it counts as hung: a large
// file under valgrind, unoptimised, takes a while.
#ifdef HMAPCONV_MEMCHECK
inline constexpr int silenceLimitMs = 240000;
#else
inline constexpr int silenceLimitMs = 60000;
#endif

// How to start the program, besides its folder and arguments.
struct launch {
    rlim_t fileSizeLimit = 0;     // when not 0, caps the size of each file it writes
    bool asNobody = false;        // without root's right to ignore permissions
    bool terminalStderr = false;  // standard error on a terminal, not a pipe
};

// The program running in a folder, with pipes on its three standard streams.
class process {
public:
    explicit process(const fs::path& folder, const std::vector<std::string>& arguments = {},
                     const launch& how = {}) {
        std::vector<char*> argv;
#ifdef HMAPCONV_MEMCHECK
        // The same tests, with the program under valgrind's memcheck: any
        // error it finds changes the exit status.
        for (const char* option : {HMAPCONV_MEMCHECK, "--quiet", "--vgdb=no",
                                   "--error-exitcode=99", "--leak-check=full",
                                   "--errors-for-leak-kinds=definite"}) {
            argv.push_back(const_cast<char*>(option));
        }
#endif
        // Another user may not reach the build folder: give it a copy.
        const std::string program =
            how.asNobody ? (folder / "hmapconv").string() : std::string(HMAPCONV_PATH);
        if (how.asNobody) {
            fs::copy_file(HMAPCONV_PATH, program, fs::copy_options::overwrite_existing);
        }
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        // A program that ends early closes its stdin; writing to it then must
        // fail rather than kill the test.
        ::signal(SIGPIPE, SIG_IGN);
        int in[2], out[2], err[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) std::abort();
        if (how.terminalStderr ? ::openpty(&err[0], &err[1], nullptr, nullptr, nullptr) != 0
                               : ::pipe(err) != 0) {
            std::abort();
        }
        pid = ::fork();
        if (pid == 0) {
            ::signal(SIGPIPE, SIG_DFL);
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
            if (::chdir(folder.c_str()) != 0) ::_exit(126);
            if (how.asNobody && ::geteuid() == 0 &&
                (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                ::_exit(125);
            }
            if (how.fileSizeLimit != 0) {
                // Past the limit a write then fails with EFBIG, as on a full disk.
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{how.fileSizeLimit, how.fileSizeLimit};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        ::close(err[1]);
        input = in[1];
        output = out[0];
        errors = err[0];
    }
    ~process() {
        if (pid > 0) finish();
    }

    void type(const std::string& text) {
        if (input >= 0 && ::write(input, text.data(), text.size()) < 0) closeInput();
    }
    void closeInput() {
        if (input >= 0) ::close(input);
        input = -1;
    }

    // Collects output until stdout holds `text` or the program closes it.
    bool waitForOutput(const std::string& text) {
        while (out.find(text) == std::string::npos) {
            if (!pump()) return false;
        }
        return true;
    }

    // Closes stdin, collects the rest and returns the exit status. A program
    // that hangs is killed, and that fails the test.
    int finish() {
        closeInput();
        while (pump()) {
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        pid = -1;
        for (int fd : {output, errors}) {
            if (fd >= 0) ::close(fd);
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string out, err;

private:
    // Reads whatever either stream has; false once both are closed.
    bool pump() {
        pollfd fds[2] = {{output, POLLIN, 0}, {errors, POLLIN, 0}};
        if (fds[0].fd < 0 && fds[1].fd < 0) return false;
        const int ready = ::poll(fds, 2, silenceLimitMs);
        if (ready == 0) {
            ADD_FAILURE() << "the program hangs";
            ::kill(pid, SIGKILL);
            return false;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[65536];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                (i == 0 ? out : err).append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                int& fd = i == 0 ? output : errors;
                ::close(fd);
                fd = -1;
            }
        }
        return true;
    }

    pid_t pid = -1;
    int input = -1;
    int output = -1;
    int errors = -1;
};

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/hmapconv-test-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        folder = name;
    }
    void TearDown() override { fs::remove_all(folder); }

    struct result {
        int status;
        std::string out, err;
    };
    result run(const std::string& typed, const std::vector<std::string>& arguments = {},
               const launch& how = {}) {
        process program(folder, arguments, how);
        program.type(typed);
        const int status = program.finish();
        return {status, program.out, program.err};
    }

    fs::path folder;
};

