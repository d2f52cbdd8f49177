#include "converter/tokenreader.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// The characters that formatted input skips as whitespace.
constexpr std::array<bool, 256> blankTable = [] {
    std::array<bool, 256> table{};
    for (const unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) table[c] = true;
    return table;
}();

bool isBlank(char c) { return blankTable[static_cast<unsigned char>(c)]; }

}  // namespace

tokenReader::tokenReader(int fd, std::size_t blockSize) : fd(fd), buffer(blockSize) {}

bool tokenReader::readMore() {
    if (atEnd) return false;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data() + filled, buffer.size() - filled);
        if (n > 0) {
            filled += static_cast<std::size_t>(n);
            return true;
        }
        if (n == 0) {
            atEnd = true;
            return false;
        }
        if (errno != EINTR) {
            error = errno;
            atEnd = true;
            return false;
        }
    }
}

tokenStatus tokenReader::next(std::string_view& token) {
    for (;;) {
        while (position < filled && isBlank(buffer[position])) {
            if (buffer[position] == '\n') ++line;
            ++position;
        }
        if (position < filled) break;
        position = filled = 0;
        if (!readMore()) return error != 0 ? tokenStatus::readFailed : tokenStatus::end;
    }
    lastTokenLine = line;
    std::size_t start = position;
    for (;;) {
        while (position < filled && !isBlank(buffer[position])) ++position;
        if (position < filled) break;
        // The token runs to the end of the block: move it to the front and
        // read on behind it.
        if (start == 0 && filled == buffer.size()) return tokenStatus::tooLong;
        std::memmove(buffer.data(), buffer.data() + start, filled - start);
        filled -= start;
        position = filled;
        start = 0;
        if (!readMore()) {
            if (error != 0) return tokenStatus::readFailed;
            break;
        }
    }
    token = std::string_view(buffer.data() + start, position - start);
    return tokenStatus::token;
}

std::string quoted(std::string_view token) {
    constexpr std::size_t shown = 40;
    std::string text = "'";
    for (std::size_t i = 0; i < token.size() && i < shown; ++i) {
        const unsigned char c = static_cast<unsigned char>(token[i]);
        text += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
    }
    if (token.size() > shown) text += "...";
    text += "'";
    return text;
}
