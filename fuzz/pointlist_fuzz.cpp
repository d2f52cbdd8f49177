// Feeds arbitrary bytes to the point-list reader and the grid sizing, and
// checks every list the reader accepts against formatted stream input.
//
// The first byte picks the reader's block size: below 128 a small one, so
// that tokens cross block ends and overflow blocks, else the usual one. The
// rest is the file.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "converter/heightgrid.h"
#include "converter/pointlist.h"

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

bool sameFloat(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// What std::istream >> reads from the same text: the 13 words, the count,
// and each record's seven numbers.
void compareWithStreamInput(const std::string& text, const std::vector<pvector>& points) {
    std::istringstream in(text);
    std::string token;
    for (int i = 0; i < 13; ++i) require(static_cast<bool>(in >> token), "header word");
    int count = 0;
    require(static_cast<bool>(in >> token), "count token");
    {
        std::istringstream number(token);
        require(static_cast<bool>(number >> count) && number.peek() == EOF, "count reads alike");
    }
    require(points.size() == static_cast<std::size_t>(std::max(count, 0)), "point count");
    for (const pvector& p : points) {
        float fields[7];
        for (float& field : fields) {
            require(static_cast<bool>(in >> token), "record token");
            std::istringstream number(token);
            require(static_cast<bool>(number >> field) && number.peek() == EOF,
                    "a number the reader takes, formatted input takes whole");
        }
        for (int axis = 0; axis < 3; ++axis) {
            require(sameFloat(p[axis], fields[axis + 1]), "the same value, bit for bit");
        }
    }
}

void checkGrid(const std::vector<pvector>& points) {
    const double rows = truncatedMax(0, points) + 1.0;
    const double cols = truncatedMax(2, points) + 1.0;
    require(rows >= 0 && cols >= 0, "extents are never negative");
    if (!gridFits(rows, cols) || rows * cols > 1e6) return;
    std::size_t skipped = 0;
    const auto grid = buildHeightGrid(static_cast<std::int32_t>(rows),
                                      static_cast<std::int32_t>(cols), points, 1.0f, skipped);
    require(grid.size() == static_cast<std::size_t>(rows), "row count");
    std::size_t outside = 0;
    for (const pvector& p : points) outside += !(p[0] > -1.0f) || !(p[2] > -1.0f);
    require(skipped == outside, "exactly the points at or below -1 are skipped");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t blockSize = data[0] < 128 ? 2 + data[0] % 64 : std::size_t{1} << 20;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    const int fd = ::memfd_create("points", MFD_CLOEXEC);
    require(fd >= 0, "memfd");
    require(::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()), "write");
    ::lseek(fd, 0, SEEK_SET);
    std::vector<pvector> points;
    const std::string error = readPointList(fd, "fuzz", static_cast<std::int64_t>(text.size()),
                                            points, {}, blockSize);
    ::close(fd);

    if (error.empty()) {
        compareWithStreamInput(text, points);
        checkGrid(points);
    } else {
        require(error.rfind("fuzz", 0) == 0 || error.rfind("cannot", 0) == 0,
                "every message names the file");
    }
    return 0;
}
