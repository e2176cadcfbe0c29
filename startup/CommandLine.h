// Reading the argument text: the switch that picks the mode, and the parent window handle that
// may follow "/A".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scenesaver::startup {

enum class StartMode { kNone, kShow, kSettings, kPasswordChange, kPreview };

// The first two characters of the argument text, upper-cased ("/S", "/c:1234" -> "/C").
std::string SwitchOf(std::string_view argument_text);

// The mode the switch selects; anything but the four switches (also an empty text) is kNone.
StartMode ModeOf(std::string_view argument_text);

// The number after "/A": the text from its third character, trimmed of blanks, read as the
// leading decimal number (blanks inside it ignored, 0 when there is none) and rounded to the
// nearest 32-bit integer, halves to even. nullopt when the number does not fit 32 bits.
std::optional<std::int32_t> ParentWindowHandle(std::string_view argument_text);

// The window after "/P": the decimal number that follows the switch after blanks or a colon,
// as the system's screen-saver settings write a window handle (up to 4294967295, the handle's
// 32 bits read as a signed value). nullopt when there is no such number or it is 0.
std::optional<std::int32_t> PreviewWindowHandle(std::string_view argument_text);

// The argument text as the program receives it: the arguments after the program's own name,
// joined by single blanks.
std::string JoinArguments(int argc, const char* const* argv);

}  // namespace scenesaver::startup
