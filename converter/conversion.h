#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

// The program's file names when none are given, in the working directory.
inline constexpr const char* inputFileName = "hmapASCII.txt";
inline constexpr const char* outputFileName = "hmap.txt";

struct runOptions {
    std::string input = inputFileName;  // "-" is standard input
    std::string output = outputFileName;
    std::optional<float> scale;  // asked for on the console when absent
    std::optional<std::string> png;
    std::optional<std::string> raw16;
    bool quiet = false;  // no warnings and no notes
    // A progress line on diagnostics, for files larger than the threshold;
    // for a terminal only, as it redraws one line.
    bool showProgress = false;
    std::uint64_t progressThreshold = 50'000'000;
};

// One whole run: reads and checks the point list, writes the grid's size to
// the height map, takes the scaling constant from the options or asks for it
// on `console` (prompting on `prompt`), then writes the scale and the grid,
// and the images asked for. Every message goes to `diagnostics`. Returns the
// exit status: 0 done, 1 failed. A failed run leaves no partial output, and
// bad input leaves earlier outputs alone.
int runConversion(const runOptions& options, std::istream& console, std::ostream& prompt,
                  std::ostream& diagnostics);
