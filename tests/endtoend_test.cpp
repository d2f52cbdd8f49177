// Runs the built program in a fresh folder and checks what a user sees: the
// exit status, both output streams and the exact bytes of hmap.txt.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/program.h"

namespace {

using EndToEnd = ProgramTest;

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

// Extreme files still give a clear message, at once and in little memory.
TEST_F(EndToEnd, LimitsGiveClearMessages) {
    const std::string record = "1\n1 ";
    struct Case { const char* name; std::string input; std::string message; };
    const Case cases[] = {
        {"only whitespace", " \n\t\r\n\v\f \n",
         "hmapconv: hmapASCII.txt:1: the file ends after 0 of the 13 header words\n"},
        {"NUL byte", header + record + std::string("2\0 3 4 5 6 7\n", 13),
         "hmapconv: hmapASCII.txt:3: expected a number, found '2?'\n"},
        {"megabyte number", header + record + std::string(1000000, '1') + " 2 3 4 5 6 7\n",
         "hmapconv: hmapASCII.txt:3: number '" + std::string(40, '1') +
             "...' is beyond the single-precision range\n"},
        {"word over a mebibyte", header + record + std::string(1 << 20, '7') + " 2\n",
         "hmapconv: hmapASCII.txt:3: a word longer than 1048575 characters; is this a text "
         "point list?\n"},
        {"one row over the limit", header + record + "1048576 0 0 0 0 0\n",
         "hmapconv: hmapASCII.txt: the points need a grid of 1048577 rows and 1 cols, more "
         "than the limit of 1048576 rows, 1048576 cols and 1073741824 cells\n"},
        {"one col over the limit", header + record + "0 0 1048576.5 0 0 0\n",
         "hmapconv: hmapASCII.txt: the points need a grid of 1 rows and 1048577 cols, more "
         "than the limit of 1048576 rows, 1048576 cols and 1073741824 cells\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(folder / "hmapASCII.txt", c.input);
        const result r = run("1\n");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.message);
        EXPECT_FALSE(fs::exists(folder / "hmap.txt"));
    }
}

TEST_F(EndToEnd, GridAtTheSideLimitIsBuilt) {
    // 1048576 rows of one cell; a megabyte-long number of zeros is just 1.
    writeFile(folder / "hmapASCII.txt",
              header + "2\n1 1048575.5 1 0 0 0 0\n2 0 1." + std::string(1000000, '0') +
                  " 0 0 0 0\n");
    const result r = run("2\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::string map = readFile(folder / "hmap.txt");
    EXPECT_EQ(map.size(), 13 + 3 * std::size_t{1048576});
    EXPECT_EQ(map.substr(0, 16), "1048576\n1\n2\n\n2 \n");
    EXPECT_EQ(map.substr(map.size() - 6), "0 \n2 \n");
}

// Past 50 MB a terminal shows how far the reading is, and the line is wiped
// at the end; a pipe gets nothing of it.
TEST_F(EndToEnd, ProgressLineOnlyOnATerminal) {
    std::string list = header + "800000\n";
    for (int i = 0; i < 800000; ++i) {
        list += std::to_string(100000 + i) + " " + std::to_string(i % 13) +
                ".345678 123.456789 12.345678 0.123456 0.123456 0.123456\n";
    }
    ASSERT_GT(list.size(), 50000000u);
    writeFile(folder / "hmapASCII.txt", list);

    const result onTerminal = run("", {"-s", "1"}, launch{0, false, true});
    EXPECT_EQ(onTerminal.status, 0);
    const std::string& shown = onTerminal.err;
    const std::string last = "\rhmapconv: reading hmapASCII.txt 100%";
    const std::size_t end = shown.rfind(last);
    ASSERT_NE(end, std::string::npos) << shown.substr(0, 200);
    std::string wipe(last.size() + 1, ' ');
    wipe.front() = wipe.back() = '\r';
    EXPECT_EQ(shown.substr(end + last.size()), wipe);
    std::size_t updates = 0;
    for (std::size_t at = shown.find("\rhmapconv: reading"); at != std::string::npos;
         at = shown.find("\rhmapconv: reading", at + 1)) {
        ++updates;
    }
    EXPECT_GT(updates, 20u);
    EXPECT_EQ(shown.find('\n'), std::string::npos);

    const result onPipe = run("", {"-s", "1"});
    EXPECT_EQ(onPipe.status, 0);
    EXPECT_EQ(onPipe.err, "");
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

TEST_F(EndToEnd, FilesWithoutPermission) {
    fs::permissions(folder, fs::perms::all);
    writeFile(folder / "hmapASCII.txt", header + "0\n");
    writeFile(folder / "hmap.txt", "kept\n");
    fs::permissions(folder / "hmap.txt", fs::perms::owner_read | fs::perms::group_read |
                                             fs::perms::others_read);
    const result readOnly = run("1\n", {}, launch{0, true});
    EXPECT_EQ(readOnly.status, 1);
    EXPECT_EQ(readOnly.err, "hmapconv: cannot create 'hmap.txt': Permission denied\n");
    EXPECT_EQ(readFile(folder / "hmap.txt"), "kept\n");

    fs::permissions(folder / "hmapASCII.txt", fs::perms::none);
    const result unreadable = run("1\n", {}, launch{0, true});
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_EQ(unreadable.err, "hmapconv: cannot open 'hmapASCII.txt': Permission denied\n");
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
    const result r = run("1\n", {}, launch{16384});
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
