#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pvector/pvector.h"

// Reads a whole point list from fd: 13 header words, a record count N, then
// N records of seven numbers of which the 2nd, 3rd and 4th are a point's x, y
// and z. Nothing after the N-th record is read. fileSize, when known (else
// -1), bounds the memory reserved for a count larger than the file can hold.
// Returns an empty string on success, else what is wrong, with the place
// ("hmapASCII.txt:7: ..."), for fileName.
std::string readPointList(int fd, std::string_view fileName, std::int64_t fileSize,
                          std::vector<pvector>& points);
