#include "converter/pointlist.h"

#include <algorithm>
#include <cstring>

#include "converter/numbers.h"
#include "converter/tokenreader.h"

namespace {

constexpr int headerWords = 13;
constexpr int fieldsPerRecord = 7;
// The shortest record: seven one-character numbers, each after a blank.
constexpr std::int64_t shortestRecordBytes = 2 * fieldsPerRecord;

std::string place(std::string_view fileName, long line) {
    return std::string(fileName) + ":" + std::to_string(line) + ": ";
}

// The message for a token that next() did not deliver.
std::string missingToken(tokenStatus status, const tokenReader& reader,
                         std::string_view fileName, const std::string& expected) {
    switch (status) {
    case tokenStatus::readFailed:
        return "cannot read '" + std::string(fileName) + "': " + std::strerror(reader.readError());
    case tokenStatus::tooLong:
        return place(fileName, reader.currentLine()) + "a word longer than " +
               std::to_string(reader.maxTokenLength()) +
               " characters; is this a text point list?";
    default:
        return place(fileName, reader.tokenLine()) + "the file ends " + expected;
    }
}

}  // namespace

std::string readPointList(int fd, std::string_view fileName, std::int64_t fileSize,
                          std::vector<pvector>& points,
                          const std::function<void(std::uint64_t)>& progress,
                          std::size_t blockSize) {
    tokenReader reader(fd, blockSize);
    reader.onBlock = progress;
    std::string_view token;
    tokenStatus status = tokenStatus::token;

    for (int word = 0; word < headerWords; ++word) {
        if ((status = reader.next(token)) != tokenStatus::token) {
            return missingToken(status, reader, fileName,
                                "after " + std::to_string(word) + " of the " +
                                    std::to_string(headerWords) + " header words");
        }
    }

    if ((status = reader.next(token)) != tokenStatus::token) {
        return missingToken(status, reader, fileName, "before the record count");
    }
    std::int32_t recordCount = 0;
    switch (parseInt32(token, recordCount)) {
    case numberStatus::ok:
        break;
    case numberStatus::notNumber:
        return place(fileName, reader.tokenLine()) +
               "expected the record count, a whole number, found " + quoted(token);
    case numberStatus::outOfRange:
        return place(fileName, reader.tokenLine()) + "record count " + quoted(token) +
               " is beyond the 32-bit range";
    }

    points.clear();
    if (recordCount > 0) {
        std::int64_t fits = recordCount;
        if (fileSize >= 0) fits = std::min(fits, fileSize / shortestRecordBytes + 1);
        points.reserve(static_cast<std::size_t>(fits));
    }

    // Fields 2 to 4 are the point; the others need only be numbers.
    float point[3] = {};
    for (std::int32_t record = 0; record < recordCount; ++record) {
        for (int field = 0; field < fieldsPerRecord; ++field) {
            if ((status = reader.next(token)) != tokenStatus::token) {
                const std::string of = " of " + std::to_string(recordCount);
                return missingToken(status, reader, fileName,
                                    field == 0
                                        ? "after " + std::to_string(record) + of + " records"
                                        : "in record " + std::to_string(record + 1) + of);
            }
            const bool kept = field >= 1 && field <= 3;
            switch (kept ? parseFloat(token, point[field - 1]) : checkFloat(token)) {
            case numberStatus::ok:
                break;
            case numberStatus::notNumber:
                return place(fileName, reader.tokenLine()) + "expected a number, found " +
                       quoted(token);
            case numberStatus::outOfRange:
                return place(fileName, reader.tokenLine()) + "number " + quoted(token) +
                       " is beyond the single-precision range";
            }
        }
        points.emplace_back(point[0], point[1], point[2]);
    }
    return {};
}
