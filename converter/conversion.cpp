#include "converter/conversion.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "converter/heightgrid.h"
#include "converter/heightimage.h"
#include "converter/numbers.h"
#include "converter/outputfile.h"
#include "converter/pointlist.h"
#include "converter/tokenreader.h"
#include "pvector/pvector.h"

namespace {

const char* const programName = "hmapconv";
const char* const promptText = "Enter a Scaling Constant:";

std::string systemError(const char* verb, const std::string& fileName, int error) {
    return std::string("cannot ") + verb + " '" + fileName + "': " + std::strerror(error);
}

// A whole number held in a double, with all its digits.
std::string wholeNumber(double value) {
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 0);
    return std::string(text, result.ptr);
}

// The shortest text that reads back as the same float.
std::string shortest(float value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// Messages on standard error, and the progress line that they first wipe.
class messages {
public:
    messages(std::ostream& out, bool showProgress) : out(out), showProgress(showProgress) {}

    void report(const std::string& message) {
        clearProgress();
        out << programName << ": " << message << '\n' << std::flush;
    }

    void progress(const std::string& what, std::uint64_t done, std::uint64_t total) {
        if (!showProgress || total == 0) return;
        const auto percent = static_cast<int>(std::min<std::uint64_t>(done * 100 / total, 100));
        if (percent == shownPercent && what == shownWhat) return;
        shownPercent = percent;
        shownWhat = what;
        const std::string text =
            std::string(programName) + ": " + what + " " + std::to_string(percent) + "%";
        out << '\r' << text;
        // Spaces over whatever a longer earlier line left.
        if (text.size() < width) out << std::string(width - text.size(), ' ') << '\r' << text;
        out << std::flush;
        width = std::max(width, text.size());
    }

    void clearProgress() {
        if (width == 0) return;
        out << '\r' << std::string(width, ' ') << '\r' << std::flush;
        width = 0;
        shownPercent = -1;
    }

private:
    std::ostream& out;
    bool showProgress;
    std::size_t width = 0;
    int shownPercent = -1;
    std::string shownWhat;
};

// The input's name in messages.
std::string inputLabel(const runOptions& options) {
    return options.input == "-" ? "<stdin>" : options.input;
}

// Reads and checks the whole point list; an empty message means success.
std::string loadPoints(const runOptions& options, messages& console,
                       std::vector<pvector>& points) {
    const bool standardInput = options.input == "-";
    const std::string label = inputLabel(options);
    const int fd = standardInput ? 0 : ::open(options.input.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return systemError("open", options.input, errno);
    struct stat status {};
    const std::int64_t fileSize =
        ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) ? status.st_size : -1;
    std::function<void(std::uint64_t)> progress;
    if (fileSize > 0 && static_cast<std::uint64_t>(fileSize) > options.progressThreshold) {
        progress = [&](std::uint64_t bytes) {
            console.progress("reading " + label, bytes, static_cast<std::uint64_t>(fileSize));
        };
    }
    std::string error = readPointList(fd, label, fileSize, points, progress);
    if (!standardInput) ::close(fd);
    console.clearProgress();
    return error;
}

void appendNumber(outputFile& output, double value) {
    char text[maxGeneralLength];
    output.append(std::string_view(text, formatGeneral(value, text)));
}

// The scaling constant from the console, re-prompting after each entry that
// is not a number; nothing when the input ends first.
std::optional<float> askScale(std::istream& input, std::ostream& prompt, messages& console) {
    prompt << promptText << std::endl;
    std::string line;
    while (std::getline(input, line)) {
        const std::string_view entry = trimmed(line);
        if (entry.empty()) continue;
        float scale = 0.0f;
        switch (parseFloat(entry, scale)) {
        case numberStatus::ok:
            return scale;
        case numberStatus::notNumber:
            console.report(quoted(entry) + " is not a number; enter the scaling constant again");
            break;
        case numberStatus::outOfRange:
            console.report(quoted(entry) +
                           " is beyond the single-precision range; enter the scaling constant "
                           "again");
            break;
        }
        prompt << promptText << std::endl;
    }
    return std::nullopt;
}

// One file the run writes, under the name the user gave it.
struct output {
    explicit output(std::string name) : name(std::move(name)) {}
    std::string name;
    outputFile file;
};

}  // namespace

int runConversion(const runOptions& options, std::istream& console, std::ostream& prompt,
                  std::ostream& diagnostics) {
    messages log(diagnostics, options.showProgress);
    const std::string input = inputLabel(options);

    std::vector<pvector> points;
    if (const std::string error = loadPoints(options, log, points); !error.empty()) {
        log.report(error);
        return 1;
    }

    const double rowsNeeded = truncatedMax(0, points) + 1.0;
    const double colsNeeded = truncatedMax(2, points) + 1.0;
    if (!gridFits(rowsNeeded, colsNeeded)) {
        log.report(input + ": the points need a grid of " + wholeNumber(rowsNeeded) +
                   " rows and " + wholeNumber(colsNeeded) + " cols, more than the limit of " +
                   std::to_string(maxGridSide) + " rows, " + std::to_string(maxGridSide) +
                   " cols and " + std::to_string(maxGridCells) + " cells");
        return 1;
    }
    const auto rows = static_cast<std::int32_t>(rowsNeeded);
    const auto cols = static_cast<std::int32_t>(colsNeeded);
    if (options.png && (rows == 0 || cols == 0)) {
        log.report(input + ": the grid has " + std::to_string(rows) + " rows and " +
                   std::to_string(cols) + " cols, and a PNG needs at least one pixel");
        return 1;
    }

    // The outputs are opened only now that the input is known to be good,
    // and emptied only once all of them are open; on any later failure all of
    // them go.
    output text(options.output);
    std::unique_ptr<output> png, raw16;
    if (options.png) png = std::make_unique<output>(*options.png);
    if (options.raw16) raw16 = std::make_unique<output>(*options.raw16);
    output* const outputs[] = {&text, png.get(), raw16.get()};
    const auto fail = [&](const std::string& message) {
        for (output* o : outputs) {
            if (o != nullptr) o->file.discard();
        }
        log.report(message);
        return 1;
    };
    const auto failedWrite = [&]() -> output* {
        for (output* o : outputs) {
            if (o != nullptr && o->file.error() != 0) return o;
        }
        return nullptr;
    };
    for (output* o : outputs) {
        if (o != nullptr && !o->file.open(o->name)) {
            return fail(systemError("create", o->name, o->file.error()));
        }
    }
    for (output* o : outputs) {
        if (o != nullptr) o->file.clear();
    }

    text.file.append(std::to_string(rows) + "\n" + std::to_string(cols) + "\n");
    // The size is on disk while the prompt waits.
    if (!text.file.flush()) return fail(systemError("write", text.name, text.file.error()));

    const std::optional<float> scale =
        options.scale ? options.scale : askScale(console, prompt, log);
    if (!scale) {
        return fail("the input ended before a scaling constant; " + text.name + " not written");
    }
    appendNumber(text.file, *scale);
    text.file.append("\n\n");

    std::size_t skipped = 0;
    std::vector<std::vector<float>> heightGrid;
    try {
        heightGrid = buildHeightGrid(rows, cols, points, *scale, skipped);
    } catch (const std::bad_alloc&) {
        return fail("not enough memory for a grid of " + std::to_string(rows) + " rows and " +
                    std::to_string(cols) + " cols");
    }
    const std::uint64_t cells = static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(cols);
    const bool writeProgress = 2 * cells > options.progressThreshold;
    const std::string writing = "writing " + text.name;
    for (std::size_t r = 0; r < heightGrid.size(); ++r) {
        for (const float cell : heightGrid[r]) {
            appendNumber(text.file, cell);
            text.file.append(" ");
        }
        text.file.append("\n");
        if (writeProgress) log.progress(writing, r + 1, heightGrid.size());
    }
    log.clearProgress();

    std::optional<heightRange> range;
    if (png || raw16) {
        range = findHeightRange(heightGrid);
        if (png) {
            if (const std::string error = writePng(png->file, heightGrid, *range); !error.empty()) {
                return fail("cannot write '" + png->name + "': " + error);
            }
        }
        if (raw16) writeRaw16(raw16->file, heightGrid, *range);
    }
    for (output* o : outputs) {
        if (o != nullptr) o->file.close();
    }
    if (output* broken = failedWrite()) {
        return fail(systemError("write", broken->name, broken->file.error()));
    }

    if (range && !options.quiet) {
        log.report(range->anyFinite && range->lowest < range->highest
                       ? "heights " + shortest(range->lowest) + " to " +
                             shortest(range->highest) + " are stored as 0 to 65535"
                       : "the heights are flat" +
                             (range->anyFinite ? " at " + shortest(range->lowest) : "") +
                             ", stored as 0");
    }

    if (skipped > 0 && !options.quiet) {
        log.report(input + ": warning: skipped " + std::to_string(skipped) +
                   (skipped == 1 ? " point" : " points") +
                   " with x or z at or below -1, which select no cell");
    }
    return 0;
}
