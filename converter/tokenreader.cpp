#include "converter/tokenreader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// The characters that formatted input skips as whitespace.
constexpr std::array<bool, 256> blankTable = [] {
    std::array<bool, 256> table{};
    for (const char c : {' ', '\t', '\n', '\v', '\f', '\r'}) table[static_cast<unsigned char>(c)] = true;
    return table;
}();

bool isBlank(char c) { return blankTable[static_cast<unsigned char>(c)]; }

// Bytes readable past the block's end, so that the scan below may look at a
// whole vector at a time.
constexpr std::size_t slack = 16;

// Offset of the first blank in [from, to), or of `to` when there is none.
// Numbers are a few characters long, so one vector usually holds the token's
// end, and no per-character branch mispredicts on it.
std::size_t findBlank(const char* data, std::size_t from, std::size_t to) {
#ifdef __SSE2__
    const __m128i space = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i four = _mm_set1_epi8(4);
    while (from < to) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
        // '\t' to '\r' are 9 to 13: below 5 once 9 is taken off, unsigned.
        const __m128i offset = _mm_sub_epi8(bytes, tab);
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(offset, four), offset);
        const __m128i blank = _mm_or_si128(control, _mm_cmpeq_epi8(bytes, space));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(blank));
        if (mask != 0) return std::min(to, from + static_cast<std::size_t>(__builtin_ctz(mask)));
        from += 16;
    }
    return to;
#else
    while (from < to && !isBlank(data[from])) ++from;
    return from;
#endif
}

}  // namespace

tokenReader::tokenReader(int fd, std::size_t blockSize)
    : fd(fd), buffer(blockSize + slack), capacity(blockSize) {}

bool tokenReader::readMore() {
    if (atEnd) return false;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data() + filled, capacity - filled);
        if (n > 0) {
            filled += static_cast<std::size_t>(n);
            bytesRead += static_cast<std::uint64_t>(n);
            if (onBlock) onBlock(bytesRead);
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
        const char* const data = buffer.data();
        std::size_t at = position;
        while (at < filled && isBlank(data[at])) {
            if (data[at] == '\n') ++line;
            ++at;
        }
        position = at;
        if (position < filled) break;
        position = filled = 0;
        if (!readMore()) return error != 0 ? tokenStatus::readFailed : tokenStatus::end;
    }
    lastTokenLine = line;
    std::size_t start = position;
    for (;;) {
        position = findBlank(buffer.data(), position, filled);
        if (position < filled) break;
        // The token runs to the end of the block: move it to the front and
        // read on behind it.
        if (start == 0 && filled == capacity) return tokenStatus::tooLong;
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

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
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
