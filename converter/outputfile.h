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

    // Opens path for writing, creating it if it does not exist. An existing
    // file keeps what it holds until clear(), so that a run which cannot open
    // all its outputs leaves the earlier ones as they were. false, with
    // error() set, when it cannot.
    bool open(const std::string& path);
    // Empties the file: it holds only what is appended from now on.
    void clear();

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
    // Closes the file and removes it if this made or emptied it, but only
    // while the path still names that regular file: never a device, a link or
    // another file. A file that was only opened stays as it was.
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
    bool changed = false;  // made by open() or emptied by clear()
    std::vector<char> buffer = std::vector<char>(std::size_t{1} << 20);
    std::size_t used = 0;
    int firstError = 0;
};
