#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What tokenReader::next found.
enum class tokenStatus { token, end, tooLong, readFailed };

// Splits a file into runs of non-whitespace characters, as formatted input
// does, reading it in blocks so that memory stays fixed whatever the file's
// size. Counts line ends as it skips whitespace, so each token knows its line.
class tokenReader {
public:
    // Reads from fd, which stays open and owned by the caller. A token must
    // be shorter than the block, for the blank after it to fit too.
    explicit tokenReader(int fd, std::size_t blockSize = 1 << 20);

    // Called with the number of bytes read so far after each block.
    std::function<void(std::uint64_t)> onBlock;

    // The next token, valid until the next call. On readFailed, readError()
    // holds the errno value.
    tokenStatus next(std::string_view& token);

    // Line of the last token returned, counted from 1; before any, line 1.
    long tokenLine() const { return lastTokenLine; }
    // Line the reader stands on now; at the end, one past a final line end.
    long currentLine() const { return line; }
    int readError() const { return error; }
    std::size_t maxTokenLength() const { return capacity - 1; }

private:
    // Reads more input after the first `filled` bytes; false at the end or on
    // an error.
    bool readMore();

    int fd;
    std::vector<char> buffer;
    std::size_t capacity;
    std::size_t position = 0;
    std::size_t filled = 0;
    long line = 1;
    long lastTokenLine = 1;
    int error = 0;
    bool atEnd = false;
    std::uint64_t bytesRead = 0;
};

// text without the whitespace around it.
std::string_view trimmed(std::string_view text);

// A token as a message quotes it: cut short when long, and with characters
// that a terminal would not show as such replaced by '?'.
std::string quoted(std::string_view token);
