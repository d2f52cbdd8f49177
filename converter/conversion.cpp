#include "converter/conversion.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "converter/heightgrid.h"
#include "converter/numbers.h"
#include "converter/outputfile.h"
#include "converter/pointlist.h"
#include "converter/tokenreader.h"
#include "pvector/pvector.h"

namespace {

const char* const programName = "hmapconv";
const char* const promptText = "Enter a Scaling Constant:";

void report(std::ostream& diagnostics, const std::string& message) {
    diagnostics << programName << ": " << message << '\n' << std::flush;
}

std::string systemError(const char* verb, const char* fileName, int error) {
    return std::string("cannot ") + verb + " '" + fileName + "': " + std::strerror(error);
}

// A whole number held in a double, with all its digits.
std::string wholeNumber(double value) {
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 0);
    return std::string(text, result.ptr);
}

// Reads and checks the whole point list; an empty message means success.
std::string loadPoints(std::vector<pvector>& points) {
    const int fd = ::open(inputFileName, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return systemError("open", inputFileName, errno);
    struct stat status {};
    const std::int64_t fileSize =
        ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) ? status.st_size : -1;
    std::string error = readPointList(fd, inputFileName, fileSize, points);
    ::close(fd);
    return error;
}

void appendNumber(outputFile& output, double value) {
    char text[maxGeneralLength];
    output.append(std::string_view(text, formatGeneral(value, text)));
}

// The scaling constant from the console, re-prompting after each entry that
// is not a number; nothing when the input ends first.
std::optional<float> askScale(std::istream& console, std::ostream& prompt,
                              std::ostream& diagnostics) {
    prompt << promptText << std::endl;
    std::string line;
    while (std::getline(console, line)) {
        const std::size_t first = line.find_first_not_of(" \t\r\v\f");
        if (first == std::string::npos) continue;
        const std::size_t last = line.find_last_not_of(" \t\r\v\f");
        const std::string_view entry = std::string_view(line).substr(first, last - first + 1);
        float scale = 0.0f;
        switch (parseFloat(entry, scale)) {
        case numberStatus::ok:
            return scale;
        case numberStatus::notNumber:
            report(diagnostics, quoted(entry) + " is not a number; enter the scaling constant again");
            break;
        case numberStatus::outOfRange:
            report(diagnostics, quoted(entry) +
                                    " is beyond the single-precision range; enter the scaling "
                                    "constant again");
            break;
        }
        prompt << promptText << std::endl;
    }
    return std::nullopt;
}

}  // namespace

int runConversion(std::istream& console, std::ostream& prompt, std::ostream& diagnostics) {
    std::vector<pvector> points;
    if (const std::string error = loadPoints(points); !error.empty()) {
        report(diagnostics, error);
        return 1;
    }

    const double rowsNeeded = truncatedMax(0, points) + 1.0;
    const double colsNeeded = truncatedMax(2, points) + 1.0;
    if (!gridFits(rowsNeeded, colsNeeded)) {
        report(diagnostics, std::string(inputFileName) + ": the points need a grid of " +
                                wholeNumber(rowsNeeded) + " rows and " + wholeNumber(colsNeeded) +
                                " cols, more than the limit of " + std::to_string(maxGridSide) +
                                " rows, " + std::to_string(maxGridSide) + " cols and " +
                                std::to_string(maxGridCells) + " cells");
        return 1;
    }
    const auto rows = static_cast<std::int32_t>(rowsNeeded);
    const auto cols = static_cast<std::int32_t>(colsNeeded);

    outputFile output;
    const auto fail = [&](const std::string& message) {
        output.discard();
        report(diagnostics, message);
        return 1;
    };
    if (!output.create(outputFileName)) {
        return fail(systemError("create", outputFileName, output.error()));
    }
    output.append(std::to_string(rows) + "\n" + std::to_string(cols) + "\n");
    // The size is on disk while the prompt waits.
    if (!output.flush()) return fail(systemError("write", outputFileName, output.error()));

    const std::optional<float> scale = askScale(console, prompt, diagnostics);
    if (!scale) {
        return fail(std::string("the input ended before a scaling constant; ") + outputFileName +
                    " not written");
    }
    appendNumber(output, *scale);
    output.append("\n\n");

    std::size_t skipped = 0;
    std::vector<std::vector<float>> heightGrid;
    try {
        heightGrid = buildHeightGrid(rows, cols, points, *scale, skipped);
    } catch (const std::bad_alloc&) {
        return fail("not enough memory for a grid of " + std::to_string(rows) + " rows and " +
                    std::to_string(cols) + " cols");
    }
    for (const std::vector<float>& row : heightGrid) {
        for (const float cell : row) {
            appendNumber(output, cell);
            output.append(" ");
        }
        output.append("\n");
    }
    if (!output.close()) return fail(systemError("write", outputFileName, output.error()));

    if (skipped > 0) {
        report(diagnostics, std::string(inputFileName) + ": warning: skipped " +
                                std::to_string(skipped) +
                                (skipped == 1 ? " point" : " points") +
                                " with x or z at or below -1, which select no cell");
    }
    return 0;
}
