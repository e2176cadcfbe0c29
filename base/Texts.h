// The program's own texts in the user's language. The texts in the code are the source texts:
// the Japanese ones, shown as they are unless a program installs a catalogue's lookup at its
// start (the Linux programs do; the Windows player keeps the source texts).
#pragma once

namespace scenesaver::base {

// Returns the text to show for `source`; `source` itself when the catalogue has none.
using TextLookup = const char* (*)(const char* source);

inline TextLookup& InstalledTextLookup() {
  static TextLookup lookup = nullptr;
  return lookup;
}

// Installed once, before the first text is shown.
inline void SetTextLookup(TextLookup lookup) { InstalledTextLookup() = lookup; }

// `source` in the user's language. Marks the text for the catalogue (xgettext --keyword=Tr).
inline const char* Tr(const char* source) {
  const TextLookup lookup = InstalledTextLookup();
  return lookup != nullptr ? lookup(source) : source;
}

// Marks a text for the catalogue where it is defined (xgettext --keyword=Translatable); it is
// looked up with Tr where it is shown.
constexpr const char* Translatable(const char* source) { return source; }

}  // namespace scenesaver::base
