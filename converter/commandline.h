#pragma once

#include <iosfwd>
#include <string>

#include "converter/conversion.h"

// What the command line asks for.
enum class commandKind { run, help, version, usageError };

struct command {
    commandKind kind = commandKind::run;
    runOptions options;
    std::string error;  // for usageError: what is wrong, in a few words
};

// Reads the options; argv[0] is the program's name.
command parseCommandLine(int argc, char** argv);

// The text --help prints.
std::string usageText();

// The program: parses the command line, then runs, on the given streams.
// Returns the exit status: 0 done, 1 the run failed, 2 a usage error.
int hmapconvMain(int argc, char** argv, std::istream& console, std::ostream& out,
                 std::ostream& diagnostics);
