#include "converter/commandline.h"

#include <filesystem>
#include <istream>
#include <ostream>
#include <system_error>

#include <getopt.h>
#include <unistd.h>

#include "converter/numbers.h"
#include "converter/tokenreader.h"

#ifndef HMAPCONV_VERSION
#define HMAPCONV_VERSION "unknown"
#endif

namespace {

const char* const shortUsage =
    "usage: hmapconv [-i FILE] [-o FILE] [-s VALUE] [--png FILE] [--raw16 FILE] [-q]\n";

enum longOnly { pngOption = 256, raw16Option, versionOption };

// Whether two paths name one file: the same text, or the same existing file.
bool sameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    std::error_code ignored;
    return std::filesystem::equivalent(a, b, ignored);
}

command usageError(std::string error) {
    command result;
    result.kind = commandKind::usageError;
    result.error = std::move(error);
    return result;
}

}  // namespace

std::string usageText() {
    return std::string(shortUsage) +
           "\n"
           "Turns a point list into a height map: reads the point list, asks for a\n"
           "scaling constant, and writes the grid of heights.\n"
           "\n"
           "  -i, --input FILE   the point list (default hmapASCII.txt); - reads standard\n"
           "                     input, and then needs --scale\n"
           "  -o, --output FILE  the height map (default hmap.txt)\n"
           "  -s, --scale VALUE  the scaling constant, instead of asking for it\n"
           "      --png FILE     also write the grid as a 16-bit grayscale PNG\n"
           "      --raw16 FILE   also write it as raw little-endian 16-bit heights\n"
           "  -q, --quiet        no warnings and no notes, only errors\n"
           "  -h, --help         show this help\n"
           "      --version      show the version\n";
}

command parseCommandLine(int argc, char** argv) {
    static const option longOptions[] = {
        {"input", required_argument, nullptr, 'i'},
        {"output", required_argument, nullptr, 'o'},
        {"scale", required_argument, nullptr, 's'},
        {"png", required_argument, nullptr, pngOption},
        {"raw16", required_argument, nullptr, raw16Option},
        {"quiet", no_argument, nullptr, 'q'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, versionOption},
        {nullptr, 0, nullptr, 0},
    };
    command result;
    runOptions& options = result.options;
    // getopt keeps its place in globals: start afresh, and let it print nothing.
    optind = 0;
    opterr = 0;
    for (;;) {
        const int c = getopt_long(argc, argv, ":i:o:s:qh", longOptions, nullptr);
        if (c == -1) break;
        switch (c) {
        case 'i':
            options.input = optarg;
            break;
        case 'o':
            options.output = optarg;
            break;
        case 's': {
            float scale = 0.0f;
            const std::string_view text = trimmed(optarg);
            if (parseFloat(text, scale) != numberStatus::ok) {
                return usageError("--scale needs a number in the single-precision range, not " +
                                  quoted(text));
            }
            options.scale = scale;
            break;
        }
        case pngOption:
            options.png = optarg;
            break;
        case raw16Option:
            options.raw16 = optarg;
            break;
        case 'q':
            options.quiet = true;
            break;
        case 'h':
            result.kind = commandKind::help;
            break;
        case versionOption:
            result.kind = commandKind::version;
            break;
        case ':':
            return usageError(std::string("option '") + argv[optind - 1] + "' needs a value");
        default:
            if (optopt != 0) return usageError(std::string("unknown option '-") + static_cast<char>(optopt) + "'");
            return usageError(std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    if (optind < argc) return usageError(std::string("unexpected argument '") + argv[optind] + "'");
    if (result.kind != commandKind::run) return result;

    if (options.input == "-" && !options.scale) {
        return usageError("reading the point list from standard input needs --scale");
    }
    struct named {
        const char* option;
        const std::string* path;  // null when not asked for
    };
    const named files[] = {{"--input", &options.input},
                           {"--output", &options.output},
                           {"--png", options.png ? &*options.png : nullptr},
                           {"--raw16", options.raw16 ? &*options.raw16 : nullptr}};
    for (std::size_t i = 0; i < std::size(files); ++i) {
        if (files[i].path == nullptr) continue;
        if (files[i].path->empty()) {
            return usageError(std::string(files[i].option) + " needs a file name");
        }
        for (std::size_t j = i + 1; j < std::size(files); ++j) {
            if (files[j].path != nullptr && *files[i].path != "-" &&
                sameFile(*files[i].path, *files[j].path)) {
                return usageError(std::string(files[i].option) + " and " + files[j].option +
                                  " name the same file '" + *files[i].path + "'");
            }
        }
    }
    return result;
}

int hmapconvMain(int argc, char** argv, std::istream& console, std::ostream& out,
                 std::ostream& diagnostics) {
    const command parsed = parseCommandLine(argc, argv);
    switch (parsed.kind) {
    case commandKind::help:
        out << usageText() << std::flush;
        return 0;
    case commandKind::version:
        out << "hmapconv " << HMAPCONV_VERSION << '\n' << std::flush;
        return 0;
    case commandKind::usageError:
        diagnostics << "hmapconv: " << parsed.error << '\n'
                    << shortUsage << "Try 'hmapconv --help' for more.\n"
                    << std::flush;
        return 2;
    case commandKind::run:
        break;
    }
    runOptions options = parsed.options;
    options.showProgress = ::isatty(2) == 1;
    return runConversion(options, console, out, diagnostics);
}
