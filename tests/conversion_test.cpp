#include "converter/conversion.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class Conversion : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/hmapconv-run-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        folder = name;
        options.input = (folder / "points.txt").string();
        options.output = (folder / "map.txt").string();
        options.scale = 1.0f;
        std::ofstream(options.input) << "a b c d e f g h i j k l m 2\n1 0 5 0 0 0 0\n2 1 2 2 0 0 0\n";
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
    runOptions options;
};

// The progress line redraws itself with carriage returns and is wiped at the
// end, so a terminal shows nothing of it afterwards.
TEST_F(Conversion, ProgressLineIsRedrawnAndWipedOnlyWhenAskedFor) {
    options.showProgress = true;
    options.progressThreshold = 0;
    std::istringstream console;
    std::ostringstream prompt, diagnostics;
    ASSERT_EQ(runConversion(options, console, prompt, diagnostics), 0);
    const std::string shown = diagnostics.str();
    const std::string reading = "\rhmapconv: reading " + options.input + " 100%";
    const std::string writing = "\rhmapconv: writing " + options.output + " 100%";
    EXPECT_NE(shown.find(reading), std::string::npos) << shown;
    EXPECT_NE(shown.find(writing), std::string::npos) << shown;
    std::string wipe(writing.size() + 1, ' ');
    wipe.front() = wipe.back() = '\r';
    ASSERT_GE(shown.size(), wipe.size());
    EXPECT_EQ(shown.substr(shown.size() - wipe.size()), wipe);
    EXPECT_EQ(shown.find('\n'), std::string::npos);

    options.showProgress = false;
    std::ostringstream quiet;
    ASSERT_EQ(runConversion(options, console, prompt, quiet), 0);
    EXPECT_EQ(quiet.str(), "");
}

TEST_F(Conversion, ProgressOnlyForLargeFiles) {
    options.showProgress = true;
    std::istringstream console;
    std::ostringstream prompt, diagnostics;
    ASSERT_EQ(runConversion(options, console, prompt, diagnostics), 0);
    EXPECT_EQ(diagnostics.str(), "");
}

TEST_F(Conversion, MessagesWipeTheProgressLineFirst) {
    options.showProgress = true;
    options.progressThreshold = 0;
    std::ofstream(options.input) << "a b c d e f g h i j k l m 2\n1 0 5 0 0 0 0\n2 1 x";
    std::istringstream console;
    std::ostringstream prompt, diagnostics;
    ASSERT_EQ(runConversion(options, console, prompt, diagnostics), 1);
    const std::string shown = diagnostics.str();
    const std::string message = "hmapconv: " + options.input + ":3: expected a number, found 'x'\n";
    ASSERT_GE(shown.size(), message.size());
    EXPECT_EQ(shown.substr(shown.size() - message.size()), message);
    EXPECT_EQ(shown[shown.size() - message.size() - 1], '\r');
}

}  // namespace
