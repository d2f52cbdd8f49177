// The options, run through the built program.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/pngfile.h"
#include "tests/program.h"

namespace {

using CommandLine = ProgramTest;

const std::string pointList =
    "Point list of three points; fields: index x y z nx ny nz\n3\n"
    "1 0 5 0 0 1 0\n2 1 2 2 0 1 0\n3 1.5 -3 0.5 0 1 0\n";
const std::string heightMap = "2\n3\n2\n\n10 0 0 \n-6 0 4 \n";

TEST_F(CommandLine, WithoutArgumentsItIsThePlainRun) {
    writeFile(folder / "hmapASCII.txt", pointList);
    const result r = run("2\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, prompt);
    EXPECT_EQ(readFile(folder / "hmap.txt"), heightMap);
}

TEST_F(CommandLine, NamedFilesAndScaleNeedNoPrompt) {
    fs::create_directory(folder / "in");
    writeFile(folder / "in" / "points.txt", pointList);
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-i", "in/points.txt", "-o", "out.txt", "-s", "2"},
          std::vector<std::string>{"--input=in/points.txt", "--output", "out.txt", "--scale= 2\t"}}) {
        SCOPED_TRACE(arguments[0]);
        fs::remove(folder / "out.txt");
        const result r = run("this is not read\n", arguments);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(readFile(folder / "out.txt"), heightMap);
        EXPECT_FALSE(fs::exists(folder / "hmap.txt"));
    }
}

TEST_F(CommandLine, PointListFromStandardInput) {
    const result r = run(pointList, {"-i", "-", "-s", "2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readFile(folder / "hmap.txt"), heightMap);
    const result bad = run("a b c\n", {"-i", "-", "-s", "2"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "hmapconv: <stdin>:1: the file ends after 3 of the 13 header words\n");
}

TEST_F(CommandLine, MessagesNameTheGivenInput) {
    writeFile(folder / "mine.txt", pointList + "junk");
    writeFile(folder / "bad.txt", "a b c d e f g h i j k l m 1 1 2 x");
    const result r = run("", {"-i", "bad.txt", "-s", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "hmapconv: bad.txt:1: expected a number, found 'x'\n");
    const result missing = run("", {"-i", "nowhere.txt", "-s", "1"});
    EXPECT_EQ(missing.err, "hmapconv: cannot open 'nowhere.txt': No such file or directory\n");
}

TEST_F(CommandLine, PngAndRaw16HoldTheGridAsSixteenBitLevels) {
    writeFile(folder / "hmapASCII.txt", pointList);
    const result r = run("", {"-s", "2", "--png", "map.png", "--raw16", "map.r16"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "hmapconv: heights -6 to 10 are stored as 0 to 65535\n");
    EXPECT_EQ(readFile(folder / "hmap.txt"), heightMap);
    // Cells 10 0 0 / -6 0 4 over the span -6..10: 0 sits at 6/16 of it.
    const std::vector<std::uint16_t> levels = {65535, 24576, 24576, 0, 24576, 40959};
    const decodedPng image = readPng((folder / "map.png").c_str());
    ASSERT_TRUE(image.ok);
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    EXPECT_EQ(image.bitDepth, 16);
    EXPECT_EQ(image.colorType, PNG_COLOR_TYPE_GRAY);
    EXPECT_EQ(image.samples, levels);
    std::string raw;
    for (const std::uint16_t level : levels) {
        raw += static_cast<char>(level & 0xff);
        raw += static_cast<char>(level >> 8);
    }
    EXPECT_EQ(readFile(folder / "map.r16"), raw);
}

TEST_F(CommandLine, QuietDropsWarningsAndNotesButNotErrors) {
    writeFile(folder / "hmapASCII.txt", pointList + "");
    writeFile(folder / "skips.txt",
              "a b c d e f g h i j k l m 2\n1 -2 1 0 0 0 0\n2 0 1 0 0 0 0\n");
    EXPECT_EQ(run("", {"-q", "-i", "skips.txt", "-s", "1", "--png", "p.png"}).err, "");
    EXPECT_NE(run("", {"-i", "skips.txt", "-s", "1"}).err, "");
    EXPECT_EQ(run("", {"--quiet", "-i", "missing.txt", "-s", "1"}).err,
              "hmapconv: cannot open 'missing.txt': No such file or directory\n");
}

TEST_F(CommandLine, HelpAndVersion) {
    for (const char* option : {"-h", "--help"}) {
        const result r = run("", {option});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out.rfind("usage: hmapconv ", 0), 0u) << r.out;
        for (const char* listed : {"--input", "--output", "--scale", "--png", "--raw16",
                                   "--quiet", "--help", "--version"}) {
            EXPECT_NE(r.out.find(listed), std::string::npos) << listed;
        }
    }
    const result r = run("", {"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "hmapconv 1.0.0\n");
}

TEST_F(CommandLine, UsageErrorsWriteNothing) {
    struct Case { std::vector<std::string> arguments; std::string message; };
    const Case cases[] = {
        {{"-x"}, "unknown option '-x'"},
        {{"--colour"}, "unknown option '--colour'"},
        {{"--png"}, "option '--png' needs a value"},
        {{"-o"}, "option '-o' needs a value"},
        {{"points.txt"}, "unexpected argument 'points.txt'"},
        {{"-s", "abc"}, "--scale needs a number in the single-precision range, not 'abc'"},
        {{"-s", "1e39"}, "--scale needs a number in the single-precision range, not '1e39'"},
        {{"-i", "-"}, "reading the point list from standard input needs --scale"},
        {{"-o", ""}, "--output needs a file name"},
        {{"-o", "a.txt", "--png", "a.txt"}, "--output and --png name the same file 'a.txt'"},
        {{"--png", "x", "--raw16", "./x"}, "--png and --raw16 name the same file 'x'"},
        {{"-o", "hmapASCII.txt"},
         "--input and --output name the same file 'hmapASCII.txt'"},
    };
    writeFile(folder / "hmapASCII.txt", pointList);
    writeFile(folder / "x", "mine");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const result r = run("2\n", c.arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "hmapconv: " + c.message +
                             "\nusage: hmapconv [-i FILE] [-o FILE] [-s VALUE] [--png FILE] "
                             "[--raw16 FILE] [-q]\nTry 'hmapconv --help' for more.\n");
        EXPECT_EQ(readFile(folder / "hmapASCII.txt"), pointList);
        EXPECT_EQ(readFile(folder / "x"), "mine");
        EXPECT_FALSE(fs::exists(folder / "hmap.txt"));
        EXPECT_FALSE(fs::exists(folder / "a.txt"));
    }
}

TEST_F(CommandLine, BadInputLeavesEveryEarlierOutputAlone) {
    writeFile(folder / "hmapASCII.txt", "a b c d e f g h i j k l m 1 1 2 3,5 4 5 6 7\n");
    for (const char* name : {"hmap.txt", "map.png", "map.r16"}) writeFile(folder / name, name);
    const result r = run("", {"-s", "1", "--png", "map.png", "--raw16", "map.r16"});
    EXPECT_EQ(r.status, 1);
    for (const char* name : {"hmap.txt", "map.png", "map.r16"}) {
        EXPECT_EQ(readFile(folder / name), name);
    }
}

TEST_F(CommandLine, EmptyGridMakesNoPng) {
    writeFile(folder / "hmapASCII.txt", "a b c d e f g h i j k l m 0\n");
    const result r = run("", {"-s", "1", "--png", "map.png"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "hmapconv: hmapASCII.txt: the grid has 0 rows and 0 cols, and a PNG needs at "
              "least one pixel\n");
    EXPECT_FALSE(fs::exists(folder / "map.png"));
    EXPECT_FALSE(fs::exists(folder / "hmap.txt"));
    // Without the PNG an empty grid is fine, and so is its raw form.
    EXPECT_EQ(run("", {"-s", "1", "--raw16", "map.r16"}).status, 0);
    EXPECT_EQ(readFile(folder / "map.r16"), "");
}

// Outputs are emptied only once all of them could be opened.
TEST_F(CommandLine, AnOutputThatCannotBeCreatedLeavesTheOthersAlone) {
    writeFile(folder / "hmapASCII.txt", pointList);
    writeFile(folder / "hmap.txt", "earlier map\n");
    writeFile(folder / "map.r16", "earlier raw");
    const result r = run("", {"-s", "2", "--raw16", "map.r16", "--png", "missing/map.png"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "hmapconv: cannot create 'missing/map.png': No such file or directory\n");
    EXPECT_EQ(readFile(folder / "hmap.txt"), "earlier map\n");
    EXPECT_EQ(readFile(folder / "map.r16"), "earlier raw");
}

// A failed write removes every file the run made, and never a device.
TEST_F(CommandLine, FailedWritesLeaveNothingBehind) {
    writeFile(folder / "hmapASCII.txt", pointList);
    struct Case { std::vector<std::string> arguments; rlim_t limit; std::string message; };
    const Case cases[] = {
        {{"-o", "/dev/full", "--png", "map.png", "--raw16", "map.r16"}, 0,
         "cannot write '/dev/full': No space left on device"},
        {{"--png", "/dev/full", "--raw16", "map.r16"}, 0,
         "cannot write '/dev/full': No space left on device"},
        {{"--raw16", "/dev/full", "--png", "map.png"}, 0,
         "cannot write '/dev/full': No space left on device"},
        {{"--png", "map.png", "--raw16", "map.r16"}, 10,
         "cannot write 'hmap.txt': File too large"},
        {{"--png", "map.png", "--raw16", "map.r16"}, 30,
         "cannot write 'map.png': File too large"},
        {{"--png", "missing/map.png"}, 0,
         "cannot create 'missing/map.png': No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"-s", "2"});
        const result r = run("", arguments, launch{c.limit});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "hmapconv: " + c.message + "\n");
        for (const char* name : {"hmap.txt", "map.png", "map.r16"}) {
            EXPECT_FALSE(fs::exists(folder / name)) << name;
        }
    }
}

}  // namespace
