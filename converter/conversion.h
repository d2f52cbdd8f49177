#pragma once

#include <iosfwd>

// The program's file names, in the working directory.
inline constexpr const char* inputFileName = "hmapASCII.txt";
inline constexpr const char* outputFileName = "hmap.txt";

// One whole run: reads and checks the point list, writes the grid's size to
// the height map, asks for the scaling constant on `console` (prompting on
// `prompt`), then writes the scale and the grid. Every message goes to
// `diagnostics`. Returns the exit status: 0 done, 1 failed; a failed run
// leaves no partial height map, and bad input leaves an earlier one alone.
int runConversion(std::istream& console, std::ostream& prompt, std::ostream& diagnostics);
