#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "pvector/pvector.h"

// Reads a whole point list from fd: 13 header words, a record count N, then
// N records of seven numbers of which the 2nd, 3rd and 4th are a point's x, y
// and z. Nothing after the N-th record is read. fileSize, when known (else
// -1), bounds the memory reserved for a count larger than the file can hold.
// Returns an empty string on success, else what is wrong, with the place
// ("hmapASCII.txt:7: ..."), for fileName. progress, if set, hears the
// number of bytes read after each block; a word must be shorter than a block.
std::string readPointList(int fd, std::string_view fileName, std::int64_t fileSize,
                          std::vector<pvector>& points,
                          const std::function<void(std::uint64_t)>& progress = {},
                          std::size_t blockSize = std::size_t{1} << 20);
