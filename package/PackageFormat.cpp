// Writing the serialized package: the exact inverse of the loader.
#include "package/PackageFormat.h"

#include <limits>
#include <stdexcept>

namespace scenesaver::package {
namespace {

constexpr std::uint64_t kMaxText = std::numeric_limits<std::uint16_t>::max();
constexpr std::uint64_t kMaxArray = std::numeric_limits<std::int32_t>::max();

std::uint64_t TextLength(const AnsiString& text, const char* field) {
  if (text.size() > kMaxText) {
    throw std::invalid_argument(std::string(field) + " is longer than 65,535 bytes");
  }
  return 2 + text.size();
}

std::uint64_t ArrayHeaderLength(bool present, std::uint64_t count, const char* field) {
  if (!present) {
    if (count != 0) throw std::invalid_argument(std::string(field) + " is absent but not empty");
    return 2;
  }
  if (count > kMaxArray) {
    throw std::invalid_argument(std::string(field) + " holds more than 2^31 - 1 elements");
  }
  return 10;
}

std::uint64_t BytesLength(const ByteArray& array, const char* field) {
  return ArrayHeaderLength(array.present, array.bytes.size(), field) + array.bytes.size();
}

// Adds up the serialized length of the fields it visits, checking that the format can hold them.
class LengthCounter {
 public:
  template <typename F>
  bool Long(std::int32_t, F) {
    length += 4;
    return true;
  }
  template <typename F>
  bool Integer(std::int16_t, F) {
    length += 2;
    return true;
  }
  template <typename F>
  bool Text(const AnsiString& text, F field) {
    length += TextLength(text, std::string(field.name).c_str());
    return true;
  }
  template <typename F>
  bool Bytes(const ByteArray& array, F field) {
    length += BytesLength(array, std::string(field.name).c_str());
    return true;
  }
  std::uint64_t length = 0;
};

class Writer {
 public:
  explicit Writer(std::vector<std::uint8_t>& out) : out_(out) {}

  template <typename F>
  bool Long(std::int32_t value, F) {
    Long(value);
    return true;
  }
  template <typename F>
  bool Integer(std::int16_t value, F) {
    Integer(value);
    return true;
  }
  template <typename F>
  bool Text(const AnsiString& text, F) {
    Text(text);
    return true;
  }
  template <typename F>
  bool Bytes(const ByteArray& array, F) {
    Bytes(array);
    return true;
  }

  void Long(std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    out_.insert(out_.end(),
                {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                 static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)});
  }
  void Integer(std::int16_t value) {
    const auto v = static_cast<std::uint16_t>(value);
    out_.insert(out_.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
  }
  void Text(const AnsiString& text) {
    Integer(static_cast<std::int16_t>(static_cast<std::uint16_t>(text.size())));
    out_.insert(out_.end(), text.begin(), text.end());
  }
  void ArrayHeader(bool present, std::uint64_t count, std::int32_t lower_bound) {
    Integer(present ? 1 : 0);
    if (!present) return;
    Long(static_cast<std::int32_t>(count));
    Long(lower_bound);
  }
  void Bytes(const ByteArray& array) {
    ArrayHeader(array.present, array.bytes.size(), array.lower_bound);
    out_.insert(out_.end(), array.bytes.begin(), array.bytes.end());
  }

 private:
  std::vector<std::uint8_t>& out_;
};

}  // namespace

std::uint64_t SerializedLength(const Package& record) {
  LengthCounter counter;
  VisitHeaderFields(record, counter);
  counter.length += ArrayHeaderLength(record.ScenesPresent, record.Scenes.size(), "Scenes");
  for (const SceneRecord& scene : record.Scenes) VisitSceneFields(scene, counter);
  return counter.length + 4;  // PackageLength
}

std::vector<std::uint8_t> SerializePackage(const Package& record) {
  std::vector<std::uint8_t> out;
  out.reserve(SerializedLength(record));  // also validates the whole record first
  Writer w(out);
  VisitHeaderFields(record, w);
  w.ArrayHeader(record.ScenesPresent, record.Scenes.size(), record.ScenesLowerBound);
  for (const SceneRecord& scene : record.Scenes) VisitSceneFields(scene, w);
  w.Long(record.PackageLength);
  return out;
}

std::vector<std::uint8_t> SerializeWithLength(Package& record) {
  const std::uint64_t length = SerializedLength(record);
  if (length > kMaxArray) throw std::invalid_argument("the package is larger than 2^31 - 1 bytes");
  record.PackageLength = static_cast<std::int32_t>(length);
  return SerializePackage(record);
}

}  // namespace scenesaver::package
