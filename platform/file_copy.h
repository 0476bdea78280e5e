#pragma once
// Copying bytes between open files in bounded chunks: memory stays flat whatever the size.

#include <cstdint>
#include <functional>

namespace tamberlin {

class BinaryFile;

/// Called after each chunk with the bytes copied so far and the total.
using CopyProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

constexpr std::size_t kCopyChunk = 1 << 20;
/// Bytes handed to the system's own copy per call (progress is reported between calls).
constexpr std::int64_t kFastCopyChunk = 8 << 20;

/// Copies `count` bytes from position `from` of `src` to position `to` of `dst`: inside the
/// system where the files offer it (BinaryFile::copyRangeTo), else by read and write through one
/// buffer of at most kCopyChunk bytes. A source that ends early is error 62 (Input past end of
/// file).
void copyBytes(BinaryFile& src, std::int64_t from, BinaryFile& dst, std::int64_t to,
               std::int64_t count, const CopyProgress& progress = {});

}  // namespace tamberlin
