// Loading a package: finds it by the file's last four bytes and reads it field by field,
// checking every count against the bytes that remain before anything is allocated.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "package/PackageFormat.h"
#include "platform/FileServices.h"

namespace scenesaver::package {
namespace {

// Random access to the bytes of one file.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Copies `n` bytes starting at `offset` to `dst`; false when they cannot be read.
  virtual bool ReadAt(std::uint64_t offset, std::uint8_t* dst, std::size_t n) = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::uint8_t* dst, std::size_t n) override {
    if (offset > bytes_.size() || n > bytes_.size() - offset) return false;
    if (n > 0) std::memcpy(dst, bytes_.data() + offset, n);
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

class FileSource final : public ByteSource {
 public:
  explicit FileSource(const platform::RandomAccessFile& file) : file_(file) {}
  std::uint64_t Size() const override { return file_.Size(); }
  bool ReadAt(std::uint64_t offset, std::uint8_t* dst, std::size_t n) override {
    return file_.ReadAt(offset, dst, n);
  }

 private:
  const platform::RandomAccessFile& file_;
};

// Sequential reads over [start, end) of a source. Small reads go through a buffer; large ones
// land directly in the caller's memory.
class Cursor {
 public:
  Cursor(ByteSource& source, std::uint64_t start, std::uint64_t end)
      : source_(source), pos_(start), end_(end) {}

  std::uint64_t pos() const { return pos_; }
  std::uint64_t remaining() const { return end_ - pos_; }

  // Reads exactly `n` bytes; false (and nothing consumed) when they are not there.
  bool Read(std::uint8_t* dst, std::uint64_t n) {
    if (n > remaining()) return false;
    while (n > 0) {
      if (pos_ >= buffer_start_ && pos_ < buffer_start_ + buffer_length_) {
        const std::uint64_t at = pos_ - buffer_start_;
        const std::uint64_t take = std::min<std::uint64_t>(n, buffer_length_ - at);
        std::memcpy(dst, buffer_.data() + at, take);
        dst += take;
        pos_ += take;
        n -= take;
      } else if (n >= kBufferSize) {
        if (!source_.ReadAt(pos_, dst, n)) return false;
        pos_ += n;
        n = 0;
      } else {
        const std::uint64_t length = std::min<std::uint64_t>(kBufferSize, remaining());
        if (buffer_.empty()) buffer_.resize(kBufferSize);
        if (!source_.ReadAt(pos_, buffer_.data(), length)) return false;
        buffer_start_ = pos_;
        buffer_length_ = length;
      }
    }
    return true;
  }

 private:
  static constexpr std::uint64_t kBufferSize = 64 * 1024;
  ByteSource& source_;
  std::uint64_t pos_;
  std::uint64_t end_;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t buffer_start_ = 0;
  std::uint64_t buffer_length_ = 0;
};

// Smallest serialized scene: two empty names, four Longs, two Integers, two absent arrays.
constexpr std::uint64_t kMinimumSceneLength = 2 + 2 + 4 * 4 + 2 + 2 + 2 + 2;

// A load may take the file's size in memory plus this much. Names and arrays never take more
// than their bytes in the file; the scene records that hold them can, since an empty scene
// takes 28 bytes in the file but several times that in memory.
constexpr std::uint64_t kLoadMemoryAllowance = 1024 * 1024;
// What the load itself uses besides the records: the read buffer and the problem texts.
constexpr std::uint64_t kLoadWorkingMemory = 128 * 1024;
constexpr std::uint64_t kSceneMemory = sizeof(SceneRecord) + sizeof(SceneLayout);

// Reads the fields of one package, stopping at the first problem.
class PackageParser {
 public:
  PackageParser(Cursor& cursor, std::uint64_t package_start, std::uint64_t file_size)
      : cursor_(cursor), start_(package_start), file_size_(file_size) {}

  const std::optional<PackageProblem>& problem() const { return problem_; }

  void Parse(Package& record, PackageLayout& layout) {
    const std::string no_prefix;
    FieldReader<PackageLayout> header{*this, layout, no_prefix};
    if (!VisitHeaderFields(record, header)) return;
    layout.Scenes = Relative();
    std::int32_t count = 0;
    std::int32_t lower_bound = 0;
    bool present = false;
    if (!ArrayHeader(present, count, lower_bound, kMinimumSceneLength, "Scenes")) return;
    if (!ScenesFitInMemory(count, layout.Scenes)) return;
    record.ScenesPresent = present;
    record.ScenesLowerBound = lower_bound;
    record.Scenes.reserve(static_cast<std::size_t>(count));
    layout.scenes.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
      SceneRecord scene;
      SceneLayout where;
      if (!Scene(scene, where, "scene " + std::to_string(i) + " ")) return;
      record.Scenes.push_back(std::move(scene));
      layout.scenes.push_back(where);
    }
    layout.PackageLength = Relative();
    if (!Long(record.PackageLength, "PackageLength")) return;
    if (cursor_.remaining() != 0) {
      Fail(cursor_.pos(), "the package ends " + std::to_string(cursor_.remaining()) +
                              " bytes before the end of the file");
    }
  }

 private:
  bool Scene(SceneRecord& scene, SceneLayout& where, const std::string& prefix) {
    FieldReader<SceneLayout> fields{*this, where, prefix};
    return VisitSceneFields(scene, fields);
  }

  // Reads the fields the field list names, recording where each variable one starts.
  template <typename Layout>
  struct FieldReader {
    PackageParser& parser;
    Layout& layout;
    const std::string& prefix;

    bool Mark(const Field<Layout>& field) {
      if (field.offset != nullptr) layout.*field.offset = parser.Relative();
      return true;
    }
    bool Long(std::int32_t& value, const Field<Layout>& field) {
      return Mark(field) && parser.Long(value, prefix + std::string(field.name));
    }
    bool Integer(std::int16_t& value, const Field<Layout>& field) {
      return Mark(field) && parser.Integer(value, prefix + std::string(field.name));
    }
    bool Text(AnsiString& text, const Field<Layout>& field) {
      return Mark(field) && parser.Text(text, prefix + std::string(field.name));
    }
    bool Bytes(ByteArray& array, const Field<Layout>& field) {
      return Mark(field) && parser.Bytes(array, prefix + std::string(field.name));
    }
  };

  std::uint64_t Relative() const { return cursor_.pos() - start_; }

  // True when `count` scene records, with every byte of the package held in memory besides,
  // stay within the file's size plus the allowance. `count` is below 2^31, so nothing overflows.
  bool ScenesFitInMemory(std::int32_t count, std::uint64_t header_offset) {
    const std::uint64_t package_length = Relative() + cursor_.remaining();
    const std::uint64_t needed =
        package_length + static_cast<std::uint64_t>(count) * kSceneMemory + kLoadWorkingMemory;
    if (needed <= file_size_ + kLoadMemoryAllowance) return true;
    return Fail(start_ + header_offset, "Scenes: " + std::to_string(count) + " scenes would need " +
                                            std::to_string(needed) +
                                            " bytes of memory, more than the file's " +
                                            std::to_string(file_size_) + " bytes plus 1 MiB");
  }

  bool Fail(std::uint64_t offset, std::string message) {
    if (!problem_) problem_ = PackageProblem{offset, std::move(message)};
    return false;
  }

  bool Raw(std::uint8_t* dst, std::uint64_t n, const std::string& field) {
    const std::uint64_t at = cursor_.pos();
    if (n > cursor_.remaining()) {
      return Fail(at, field + ": truncated, needs " + std::to_string(n) + " bytes but " +
                          std::to_string(cursor_.remaining()) + " remain");
    }
    if (!cursor_.Read(dst, n)) return Fail(at, field + ": the file could not be read");
    return true;
  }

  bool Long(std::int32_t& value, const std::string& field) {
    std::uint8_t b[4] = {};
    if (!Raw(b, 4, field)) return false;
    value = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
        static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24);
    return true;
  }

  bool Integer(std::int16_t& value, const std::string& field) {
    std::uint8_t b[2] = {};
    if (!Raw(b, 2, field)) return false;
    value = static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | b[1] << 8));
    return true;
  }

  bool Text(AnsiString& text, const std::string& field) {
    const std::uint64_t at = cursor_.pos();
    std::int16_t stored = 0;
    if (!Integer(stored, field)) return false;
    const auto n = static_cast<std::uint16_t>(stored);
    if (n > cursor_.remaining()) {
      return Fail(at, field + ": byte count " + std::to_string(n) + " runs past the end (" +
                          std::to_string(cursor_.remaining()) + " bytes remain)");
    }
    // Made at its exact size: growing a string may double its capacity.
    AnsiString read(n, '\0');
    if (!Raw(reinterpret_cast<std::uint8_t*>(read.data()), n, field)) return false;
    text = std::move(read);
    return true;
  }

  // Reads a dimension count and, when it is 1, the element count and lower bound. Any lower
  // bound is taken, as long as the last index stays a Long. Checks that `count` elements of at
  // least `element_size` bytes can still follow.
  bool ArrayHeader(bool& present, std::int32_t& count, std::int32_t& lower_bound,
                   std::uint64_t element_size, const std::string& field) {
    const std::uint64_t at = cursor_.pos();
    std::int16_t dimensions = 0;
    if (!Integer(dimensions, field)) return false;
    if (dimensions == 0) {
      present = false;
      count = 0;
      lower_bound = 0;
      return true;
    }
    if (dimensions != 1) {
      return Fail(at, field + ": dimension count " +
                          std::to_string(static_cast<std::uint16_t>(dimensions)) +
                          " (an array has 0 or 1)");
    }
    if (!Long(count, field + " element count")) return false;
    if (!Long(lower_bound, field + " lower bound")) return false;
    if (count < 0) return Fail(at, field + ": negative element count " + std::to_string(count));
    const std::int64_t last_index = std::int64_t{lower_bound} + count - 1;
    if (last_index > std::numeric_limits<std::int32_t>::max()) {
      return Fail(at, field + ": lower bound " + std::to_string(lower_bound) + " and " +
                          std::to_string(count) + " elements run past index " +
                          std::to_string(std::numeric_limits<std::int32_t>::max()));
    }
    // count < 2^31 and element_size is small, so the product cannot overflow 64 bits.
    if (static_cast<std::uint64_t>(count) * element_size > cursor_.remaining()) {
      return Fail(at, field + ": element count " + std::to_string(count) + " runs past the end (" +
                          std::to_string(cursor_.remaining()) + " bytes remain)");
    }
    present = true;
    return true;
  }

  bool Bytes(ByteArray& array, const std::string& field) {
    std::int32_t count = 0;
    std::int32_t lower_bound = 0;
    bool present = false;
    if (!ArrayHeader(present, count, lower_bound, 1, field)) return false;
    array.present = present;
    array.lower_bound = lower_bound;
    array.bytes.resize(static_cast<std::size_t>(count));
    if (Raw(array.bytes.data(), array.bytes.size(), field)) return true;
    array = ByteArray{};
    return false;
  }

  Cursor& cursor_;
  std::uint64_t start_;
  std::uint64_t file_size_;
  std::optional<PackageProblem> problem_;
};

LoadResult Load(ByteSource& source) {
  LoadResult result;
  const std::uint64_t size = source.Size();
  result.file_size = size;
  if (size < 4) {
    result.problem = PackageProblem{0, "the file is shorter than 4 bytes: no package"};
    return result;
  }
  std::uint8_t trailer[4];
  if (!source.ReadAt(size - 4, trailer, 4)) {
    result.problem = PackageProblem{size - 4, "the last four bytes could not be read"};
    return result;
  }
  const auto length = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(trailer[0]) | static_cast<std::uint32_t>(trailer[1]) << 8 |
      static_cast<std::uint32_t>(trailer[2]) << 16 | static_cast<std::uint32_t>(trailer[3]) << 24);
  if (length == 0) {
    result.problem = PackageProblem{size - 4, "the last four bytes are 0: no package appended"};
    return result;
  }
  if (length < 0) {
    result.problem =
        PackageProblem{size - 4, "PackageLength " + std::to_string(length) + " is negative"};
    return result;
  }
  if (static_cast<std::uint64_t>(length) > size) {
    result.problem = PackageProblem{size - 4, "PackageLength " + std::to_string(length) +
                                                  " is larger than the file (" +
                                                  std::to_string(size) + " bytes)"};
    return result;
  }
  const std::uint64_t start = size - static_cast<std::uint64_t>(length);
  result.found = true;
  result.package_offset = start;
  Cursor cursor(source, start, size);
  PackageParser parser(cursor, start, size);
  parser.Parse(result.record, result.layout);
  result.problem = parser.problem();
  return result;
}

}  // namespace

LoadResult LoadPackageFromFile(const std::string& path) {
  const base::Result<platform::RandomAccessFile> file = platform::RandomAccessFile::Open(path);
  if (!file) {
    LoadResult result;
    result.problem = PackageProblem{0, file.error()};
    return result;
  }
  FileSource source(file.value());
  return Load(source);
}

LoadResult LoadPackageFromBytes(std::span<const std::uint8_t> file) {
  MemorySource source(file);
  return Load(source);
}

}  // namespace scenesaver::package
