#include "startup/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace scenesaver::startup {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the leading number of `text`, skipping blanks anywhere inside it: an optional sign,
// digits, an optional fraction and an optional exponent. 0 when the text holds no number.
double LeadingNumber(std::string_view text) {
  std::string number;
  std::size_t i = 0;
  const auto skip_blanks = [&] {
    while (i < text.size() && IsBlank(text[i])) ++i;
  };
  const auto take_digits = [&] {
    bool any = false;
    for (skip_blanks(); i < text.size() && IsDigit(text[i]); skip_blanks()) {
      number += text[i++];
      any = true;
    }
    return any;
  };
  skip_blanks();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number += text[i++];
  bool digits = take_digits();
  if (i < text.size() && text[i] == '.') {
    number += text[i++];
    digits = take_digits() || digits;
  }
  if (!digits) return 0.0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::string exponent = "e";
    std::size_t j = i + 1;
    while (j < text.size() && IsBlank(text[j])) ++j;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
    bool exponent_digits = false;
    for (; j < text.size() && (IsDigit(text[j]) || IsBlank(text[j])); ++j) {
      if (IsDigit(text[j])) {
        exponent += text[j];
        exponent_digits = true;
      }
    }
    if (exponent_digits) number += exponent;
  }
  if (number.front() == '+') number.erase(0, 1);
  double value = 0.0;  // from_chars ignores the locale, unlike strtod
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc::result_out_of_range) return std::numeric_limits<double>::infinity();
  return error == std::errc() ? value : 0.0;
}

}  // namespace

std::string SwitchOf(std::string_view argument_text) {
  std::string result(argument_text.substr(0, 2));
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

StartMode ModeOf(std::string_view argument_text) {
  const std::string mode = SwitchOf(argument_text);
  if (mode == "/S") return StartMode::kShow;
  if (mode == "/C") return StartMode::kSettings;
  if (mode == "/A") return StartMode::kPasswordChange;
  if (mode == "/P") return StartMode::kPreview;
  return StartMode::kNone;
}

std::optional<std::int32_t> ParentWindowHandle(std::string_view argument_text) {
  std::string_view rest = argument_text.size() > 2 ? argument_text.substr(2) : std::string_view();
  const double value = std::nearbyint(LeadingNumber(rest));  // ties to even
  if (!(value >= std::numeric_limits<std::int32_t>::min() &&
        value <= std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> PreviewWindowHandle(std::string_view argument_text) {
  std::size_t i = std::min<std::size_t>(2, argument_text.size());
  while (i < argument_text.size() && (IsBlank(argument_text[i]) || argument_text[i] == ':')) ++i;
  std::uint64_t value = 0;
  std::size_t digits = 0;
  for (; i < argument_text.size() && IsDigit(argument_text[i]); ++i, ++digits) {
    value = value * 10 + static_cast<std::uint64_t>(argument_text[i] - '0');
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  }
  if (i < argument_text.size() && !IsBlank(argument_text[i])) return std::nullopt;
  if (digits == 0 || value == 0) return std::nullopt;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::string JoinArguments(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

}  // namespace scenesaver::startup
