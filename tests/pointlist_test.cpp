#include "converter/pointlist.h"

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "converter/tokenreader.h"

namespace {

// A file holding text, read from its start.
class textFile {
public:
    explicit textFile(const std::string& text) : file(std::tmpfile()) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fflush(file);
        ::lseek(fd(), 0, SEEK_SET);
    }
    ~textFile() { std::fclose(file); }
    int fd() const { return fileno(file); }

private:
    std::FILE* file;
};

const std::string header = "a b c d e f g h i j k l m\n";

std::string read(const std::string& text, std::vector<pvector>& points) {
    const textFile file(text);
    return readPointList(file.fd(), "hmapASCII.txt", static_cast<std::int64_t>(text.size()),
                         points);
}

TEST(TokenReader, TokensSpanBlocksAndKnowTheirLines) {
    const textFile file("alpha  beta\r\n\n\tgamma-d\n  z");
    tokenReader reader(file.fd(), 8);
    struct Expected { const char* token; long line; };
    for (const Expected& e : {Expected{"alpha", 1}, Expected{"beta", 1},
                              Expected{"gamma-d", 3}, Expected{"z", 4}}) {
        std::string_view token;
        ASSERT_EQ(reader.next(token), tokenStatus::token) << e.token;
        EXPECT_EQ(token, e.token);
        EXPECT_EQ(reader.tokenLine(), e.line) << e.token;
    }
    std::string_view token;
    EXPECT_EQ(reader.next(token), tokenStatus::end);
    EXPECT_EQ(reader.next(token), tokenStatus::end);
}

TEST(TokenReader, TokenLongerThanTheBlock) {
    const textFile file("short 0123456789abcdef");
    tokenReader reader(file.fd(), 8);
    std::string_view token;
    ASSERT_EQ(reader.next(token), tokenStatus::token);
    EXPECT_EQ(reader.next(token), tokenStatus::tooLong);
}

TEST(TokenReader, ReadErrorIsReported) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    tokenReader reader(ends[1], 8);  // a write end cannot be read
    std::string_view token;
    EXPECT_EQ(reader.next(token), tokenStatus::readFailed);
    EXPECT_NE(reader.readError(), 0);
    ::close(ends[1]);
}

TEST(ReadPointList, TakesFieldsTwoToFourWhateverTheLayout) {
    // Header words that look like numbers, records split across lines and
    // several to a line, CRLF and tabs, and junk after the last record.
    const std::string text =
        "1 2 3\r\n4 5 6 7 8\n9\t10 11 12 13\r\n2\n"
        "1 0.5 7 0.25\n-3 1e9 2\n"
        "2 1.5 -2 2.75 8 8 8\n"
        "this is not read";
    std::vector<pvector> points;
    ASSERT_EQ(read(text, points), "");
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0], pvector(0.5f, 7, 0.25f));
    EXPECT_EQ(points[1], pvector(1.5f, -2, 2.75f));
}

TEST(ReadPointList, ZeroOrNegativeCountReadsNoRecords) {
    for (const char* count : {"0", "-5"}) {
        std::vector<pvector> points{pvector(1, 1, 1)};
        EXPECT_EQ(read(header + count + "\nnot numbers\n", points), "") << count;
        EXPECT_TRUE(points.empty()) << count;
    }
}

TEST(ReadPointList, BadInputNamesFileLineAndToken) {
    struct Case { std::string text; std::string message; };
    const Case cases[] = {
        {"", "hmapASCII.txt:1: the file ends after 0 of the 13 header words"},
        {"a b c\nd e", "hmapASCII.txt:2: the file ends after 5 of the 13 header words"},
        {header, "hmapASCII.txt:1: the file ends before the record count"},
        {header + "3.0\n",
         "hmapASCII.txt:2: expected the record count, a whole number, found '3.0'"},
        {header + "12x\n",
         "hmapASCII.txt:2: expected the record count, a whole number, found '12x'"},
        {header + "99999999999\n",
         "hmapASCII.txt:2: record count '99999999999' is beyond the 32-bit range"},
        {header + "2\n1 2 3 4 5 6 7\n\n1 2 3\n",
         "hmapASCII.txt:5: the file ends in record 2 of 2"},
        {header + "3\n1 2 3 4 5 6 7\n", "hmapASCII.txt:3: the file ends after 1 of 3 records"},
        {header + "2\n1 2 3 4 5 6 7\n\n1 2 12,5 4 5 6 7\n",
         "hmapASCII.txt:5: expected a number, found '12,5'"},
        {header + "1\n1 2 3 4 5 6 nan\n", "hmapASCII.txt:3: expected a number, found 'nan'"},
        {header + "1\n1 2 3 1.5abc 5 6 7\n",
         "hmapASCII.txt:3: expected a number, found '1.5abc'"},
        {header + "1\n1 2 1e39 4 5 6 7\n",
         "hmapASCII.txt:3: number '1e39' is beyond the single-precision range"},
        {header + "1\n1 2 3 " + std::string(60, '7') + "x 5 6 7\n",
         "hmapASCII.txt:3: expected a number, found '" + std::string(40, '7') + "...'"},
        {header + "1\n1 2 3 \x01\xff 5 6 7\n", "hmapASCII.txt:3: expected a number, found '?" "?'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<pvector> points;
        EXPECT_EQ(read(c.text, points), c.message);
    }
}

TEST(ReadPointList, CountBeyondTheFileReservesOnlyWhatFits) {
    std::vector<pvector> points;
    EXPECT_EQ(read(header + "2000000000\n1 2 3 4 5 6 7\n", points),
              "hmapASCII.txt:3: the file ends after 1 of 2000000000 records");
    EXPECT_LT(points.capacity(), 100u);
}

}  // namespace
