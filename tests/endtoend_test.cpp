// Runs the built program in a fresh folder and checks what a user sees: the
// exit status, both output streams and the exact bytes of hmap.txt.

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const prompt = "Enter a Scaling Constant:\n";

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The program running in a folder, with pipes on its three standard streams.
class process {
public:
    // fileSizeLimit, when not 0, caps the size of any file the program writes.
    explicit process(const fs::path& folder, rlim_t fileSizeLimit = 0) {
        // A program that ends early closes its stdin; writing to it then must
        // fail rather than kill the test.
        ::signal(SIGPIPE, SIG_IGN);
        int in[2], out[2], err[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) std::abort();
        pid = ::fork();
        if (pid == 0) {
            ::signal(SIGPIPE, SIG_DFL);
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
            if (::chdir(folder.c_str()) != 0) ::_exit(126);
            if (fileSizeLimit != 0) {
                // Past the limit a write then fails with EFBIG, as on a full disk.
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{fileSizeLimit, fileSizeLimit};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            ::execl(HMAPCONV_PATH, HMAPCONV_PATH, static_cast<char*>(nullptr));
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
        const int ready = ::poll(fds, 2, 30000);
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

class EndToEnd : public ::testing::Test {
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
    result run(const std::string& typed, rlim_t fileSizeLimit = 0) {
        process program(folder, fileSizeLimit);
        program.type(typed);
        const int status = program.finish();
        return {status, program.out, program.err};
    }

    fs::path folder;
};

const std::string header = "Point Cloud Export Version 1 Fields Index X Y Z R G B\n";

TEST_F(EndToEnd, WritesTheHeightMap) {
    writeFile(folder / "hmapASCII.txt", header + "2\n1 0 5 0 0 0 0\n2 1 2 2 0 0 0\n");
    const result r = run("1.5\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, prompt);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readFile(folder / "hmap.txt"), "2\n3\n1.5\n\n7.5 0 0 \n0 0 3 \n");
}

TEST_F(EndToEnd, EmptyListGivesFourLines) {
    writeFile(folder / "hmapASCII.txt", header + "0\n");
    EXPECT_EQ(run("2\n").status, 0);
    EXPECT_EQ(readFile(folder / "hmap.txt"), "0\n0\n2\n\n");
}

TEST_F(EndToEnd, SizeIsInTheFileWhileThePromptWaits) {
    writeFile(folder / "hmap.txt", "an older height map\n");
    writeFile(folder / "hmapASCII.txt", header + "2\n1 0 5 0 0 0 0\n2 1 2 2 0 0 0\n");
    process program(folder);
    ASSERT_TRUE(program.waitForOutput(prompt));
    EXPECT_EQ(readFile(folder / "hmap.txt"), "2\n3\n");
    program.type("1.5\n");
    EXPECT_EQ(program.finish(), 0);
    EXPECT_EQ(readFile(folder / "hmap.txt"), "2\n3\n1.5\n\n7.5 0 0 \n0 0 3 \n");
}

TEST_F(EndToEnd, ConsoleSkipsBlankLinesAndAsksAgainAfterBadEntries) {
    writeFile(folder / "hmapASCII.txt", header + "1\n1 0 4 0 0 0 0\n");
    const result r = run("\n  \r\nabc\n1,5\n1e39\n\t-0.25 \r\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(prompt) + prompt + prompt + prompt);
    EXPECT_EQ(r.err,
              "hmapconv: 'abc' is not a number; enter the scaling constant again\n"
              "hmapconv: '1,5' is not a number; enter the scaling constant again\n"
              "hmapconv: '1e39' is beyond the single-precision range; enter the scaling "
              "constant again\n");
    EXPECT_EQ(readFile(folder / "hmap.txt"), "1\n1\n-0.25\n\n-1 \n");
}

TEST_F(EndToEnd, EndOfConsoleInputRemovesTheUnfinishedFile) {
    writeFile(folder / "hmapASCII.txt", header + "1\n1 0 4 0 0 0 0\n");
    const result r = run("abc\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "hmapconv: 'abc' is not a number; enter the scaling constant again\n"
              "hmapconv: the input ended before a scaling constant; hmap.txt not written\n");
    EXPECT_FALSE(fs::exists(folder / "hmap.txt"));
}

TEST_F(EndToEnd, PointsAtOrBelowMinusOneAreSkippedWithOneWarning) {
    writeFile(folder / "hmapASCII.txt",
              header + "4\n1 -1 9 0 0 0 0\n2 0 9 -3 0 0 0\n3 -0.5 2 -0.9 0 0 0\n4 1 1 1 0 0 0\n");
    const result r = run("1\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, prompt);
    EXPECT_EQ(r.err,
              "hmapconv: hmapASCII.txt: warning: skipped 2 points with x or z at or below -1, "
              "which select no cell\n");
    EXPECT_EQ(readFile(folder / "hmap.txt"), "2\n2\n1\n\n2 0 \n0 1 \n");
}

// Every way the input can be wrong stops the run before hmap.txt is touched.
TEST_F(EndToEnd, BadInputLeavesTheEarlierHeightMapAlone) {
    struct Case { const char* name; std::string input; std::string message; };
    const Case cases[] = {
        {"missing", "", "hmapconv: cannot open 'hmapASCII.txt': No such file or directory\n"},
        {"unreadable", "", "hmapconv: cannot read 'hmapASCII.txt': Is a directory\n"},
        {"short header", "a b c\nd e f\n",
         "hmapconv: hmapASCII.txt:2: the file ends after 6 of the 13 header words\n"},
        {"count 3.0", header + "3.0\n",
         "hmapconv: hmapASCII.txt:2: expected the record count, a whole number, found '3.0'\n"},
        {"count 12x", header + "12x\n",
         "hmapconv: hmapASCII.txt:2: expected the record count, a whole number, found '12x'\n"},
        {"count too big", header + "99999999999\n",
         "hmapconv: hmapASCII.txt:2: record count '99999999999' is beyond the 32-bit range\n"},
        {"bad token", header + "2\n1 0 5 0 0 0 0\n2 1 2 2\n0 0 12,5\n",
         "hmapconv: hmapASCII.txt:5: expected a number, found '12,5'\n"},
        {"out of range", header + "1\n1 0 5e38 0 0 0 0\n",
         "hmapconv: hmapASCII.txt:3: number '5e38' is beyond the single-precision range\n"},
        {"short", header + "3\n1 0 5 0 0 0 0\n2 1 2\n",
         "hmapconv: hmapASCII.txt:4: the file ends in record 2 of 3\n"},
        {"count beyond the file", header + "2000000000\n1 0 5 0 0 0 0\n",
         "hmapconv: hmapASCII.txt:3: the file ends after 1 of 2000000000 records\n"},
        {"rows too many", header + "1\n1 1e9 5 0 0 0 0\n",
         "hmapconv: hmapASCII.txt: the points need a grid of 1000000001 rows and 1 cols, more "
         "than the limit of 1048576 rows, 1048576 cols and 1073741824 cells\n"},
        {"cols beyond 32 bits", header + "1\n1 0 5 3e9 0 0 0\n",
         "hmapconv: hmapASCII.txt: the points need a grid of 1 rows and 3000000001 cols, more "
         "than the limit of 1048576 rows, 1048576 cols and 1073741824 cells\n"},
        {"cells too many", header + "2\n1 32767 0 0 0 0 0\n2 0 0 32768 0 0 0\n",
         "hmapconv: hmapASCII.txt: the points need a grid of 32768 rows and 32769 cols, more "
         "than the limit of 1048576 rows, 1048576 cols and 1073741824 cells\n"},
    };
    const std::string earlier = "5\n5\n1\n\nan earlier height map \n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder / "hmapASCII.txt");
        if (std::string(c.name) == "unreadable") {
            fs::create_directory(folder / "hmapASCII.txt");
        } else if (std::string(c.name) != "missing") {
            writeFile(folder / "hmapASCII.txt", c.input);
        }
        writeFile(folder / "hmap.txt", earlier);
        const result r = run("1\n");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(readFile(folder / "hmap.txt"), earlier);
    }
}

TEST_F(EndToEnd, OutputThatCannotBeCreated) {
    writeFile(folder / "hmapASCII.txt", header + "0\n");
    fs::create_directory(folder / "hmap.txt");
    const result r = run("1\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "hmapconv: cannot create 'hmap.txt': Is a directory\n");
    EXPECT_TRUE(fs::is_directory(folder / "hmap.txt"));
}

TEST_F(EndToEnd, OutputThatCannotBeWritten) {
    writeFile(folder / "hmapASCII.txt", header + "0\n");
    fs::create_symlink("/dev/full", folder / "hmap.txt");
    const result r = run("1\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "hmapconv: cannot write 'hmap.txt': No space left on device\n");
    // Not a file the run made, so it is left where it was.
    EXPECT_TRUE(fs::is_symlink(folder / "hmap.txt"));
}

TEST_F(EndToEnd, WriteFailureInTheGridRemovesTheUnfinishedFile) {
    // A 200 x 200 grid needs 80 kB of "0 " cells; the file may hold 16 kB.
    writeFile(folder / "hmapASCII.txt", header + "1\n1 199 1 199 0 0 0\n");
    const result r = run("1\n", 16384);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, prompt);
    EXPECT_EQ(r.err, "hmapconv: cannot write 'hmap.txt': File too large\n");
    EXPECT_FALSE(fs::exists(folder / "hmap.txt"));
}

// Each folder in examples/ holds a point list, what is typed at the prompt,
// and the height map it must give.
TEST_F(EndToEnd, Examples) {
    int checked = 0;
    for (const fs::directory_entry& example : fs::directory_iterator(EXAMPLES_DIR)) {
        if (!fs::exists(example.path() / "expected-hmap.txt")) continue;
        SCOPED_TRACE(example.path().string());
        fs::copy_file(example.path() / "hmapASCII.txt", folder / "hmapASCII.txt",
                      fs::copy_options::overwrite_existing);
        const result r = run(readFile(example.path() / "typed.txt"));
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, prompt);
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(readFile(folder / "hmap.txt") ==
                    readFile(example.path() / "expected-hmap.txt"));
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

}  // namespace
