#include <gtest/gtest.h>

#include <memory>

#include "platform/file_copy.h"
#include "platform/file_system.h"
#include "platform/runtime_error.h"
#include "support/archive_fixture.h"
#include "support/fault_file_system.h"

namespace tamberlin {
namespace {

using test::pattern;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

class CopyBytes : public ::testing::Test {
 protected:
  void SetUp() override {
    src = dir.file("src.bin");
    dst = dir.file("dst.bin");
    data = pattern(7, 3 * kCopyChunk + 1234);
    writeBytes(src, data);
    writeBytes(dst, std::string(100, 'd'));
  }

  /// Copies `count` bytes from `from` to `to` through `fs`; returns the last progress seen.
  std::uint64_t copy(FileSystem& fs, std::int64_t from, std::int64_t to, std::int64_t count) {
    auto in = fs.open(src, OpenMode::Read);
    auto out = fs.open(dst, OpenMode::ReadWriteExisting);
    std::uint64_t last = 0;
    copyBytes(*in, from, *out, to, count, [&](std::uint64_t done, std::uint64_t total) {
      EXPECT_EQ(total, static_cast<std::uint64_t>(count));
      EXPECT_GT(done, last);
      last = done;
    });
    out->close();
    return last;
  }

  /// What dst must hold after copying `count` bytes from `from` to `to` over 100 bytes of 'd'.
  std::string expected(std::int64_t from, std::int64_t to, std::int64_t count) const {
    std::string out(100, 'd');
    auto at = static_cast<std::size_t>(to - 1);
    if (out.size() < at) out.resize(at, '\0');
    out.resize(std::max(out.size(), at + static_cast<std::size_t>(count)));
    out.replace(at, static_cast<std::size_t>(count),
                data.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(count)));
    return out;
  }

  TempDir dir;
  std::string src, dst, data;
};

TEST_F(CopyBytes, TheSystemsOwnCopyPutsTheBytesWhereAsked) {
  const std::int64_t count = static_cast<std::int64_t>(data.size()) - 999;
  EXPECT_EQ(copy(realFileSystem(), 1000, 51, count), static_cast<std::uint64_t>(count));
  EXPECT_EQ(readBytes(dst), expected(1000, 51, count));
}

TEST_F(CopyBytes, ReadAndWriteGiveTheSameBytesWhereThereIsNoSystemCopy) {
  FaultFileSystem wrapped(realFileSystem());  // its files offer no in-system copy
  const std::int64_t count = static_cast<std::int64_t>(data.size()) - 999;
  EXPECT_EQ(copy(wrapped, 1000, 5000, count), static_cast<std::uint64_t>(count));
  EXPECT_EQ(readBytes(dst), expected(1000, 5000, count));
  EXPECT_GE(wrapped.calls(FsCall::Write), 4);  // chunk by chunk
}

#ifdef __linux__
TEST_F(CopyBytes, LinuxFilesCopyInsideTheSystem) {
  auto in = realFileSystem().open(src, OpenMode::Read);
  auto out = realFileSystem().open(dst, OpenMode::ReadWriteExisting);
  EXPECT_EQ(in->copyRangeTo(11, *out, 1, 4096), 4096);
  // At the end of the source it copies what there is.
  auto size = static_cast<std::int64_t>(data.size());
  EXPECT_EQ(in->copyRangeTo(size - 9, *out, 1, 4096), 10);
}
#endif

TEST_F(CopyBytes, ASourceThatEndsEarlyIsInputPastEnd) {
  FaultFileSystem wrapped(realFileSystem());
  for (FileSystem* fs : {&realFileSystem(), static_cast<FileSystem*>(&wrapped)}) {
    auto in = fs->open(src, OpenMode::Read);
    auto out = fs->open(dst, OpenMode::ReadWriteExisting);
    try {
      copyBytes(*in, static_cast<std::int64_t>(data.size()) - 10, *out, 1, 100);
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), err::kInputPastEnd);
      EXPECT_EQ(e.detail(), src);
    }
  }
}

}  // namespace
}  // namespace tamberlin
