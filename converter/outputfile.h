#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

// A file written through a large buffer, which keeps the first error so that
// a caller can check once, after the last write.
class outputFile {
public:
    outputFile() = default;
    outputFile(const outputFile&) = delete;
    outputFile& operator=(const outputFile&) = delete;
    ~outputFile();

    // Creates path, or empties it if it exists; false, with error() set, when
    // it cannot.
    bool create(const std::string& path);

    void append(std::string_view text) {
        if (buffer.size() - used < text.size()) drain();
        if (buffer.size() - used < text.size()) {
            writeAll(text.data(), text.size());
            return;
        }
        text.copy(buffer.data() + used, text.size());
        used += text.size();
    }

    // Hands everything appended so far to the system; false if any write
    // has failed.
    bool flush();
    // Flushes and closes; false if a write or the close failed.
    bool close();
    // Closes and removes the file, but only while the path still names the
    // regular file that create() made: never a device, a link or another file.
    void discard();

    // The errno value of the first failure, 0 when none.
    int error() const { return firstError; }

private:
    void drain();
    void writeAll(const char* data, std::size_t size);

    std::string path;
    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;
    bool regular = false;
    std::vector<char> buffer = std::vector<char>(std::size_t{1} << 20);
    std::size_t used = 0;
    int firstError = 0;
};
