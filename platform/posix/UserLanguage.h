// The language of the program's own texts, chosen from the user's locale settings, and the
// English catalogue (gettext, domain "scenesaver") that serves every language but Japanese.
//
// The Japanese texts are the source texts: they stay for Japanese and for the C/POSIX locale.
// Any other language gets English, also when the user's locale is not installed on the machine
// or has no catalogue of its own (German, say), which plain gettext would answer with the
// source texts.
#pragma once

#include <string>

namespace scenesaver::platform {

enum class TextLanguage { kSource, kEnglish };

// The user's settings: the environment variables LC_ALL, LC_MESSAGES, LANG and LANGUAGE (null
// or empty when unset).
struct LocaleSettings {
  const char* lc_all = nullptr;
  const char* lc_messages = nullptr;
  const char* lang = nullptr;
  const char* language = nullptr;
};
LocaleSettings LocaleSettingsFromEnvironment();

// gettext's own order: the first set of LC_ALL, LC_MESSAGES, LANG names the locale; the C and
// POSIX locales keep the source texts whatever LANGUAGE says; otherwise LANGUAGE (a list, first
// choice first), or else the locale, decides: the first Japanese or English entry wins, and a
// list of neither language gets English. The C.UTF-8 locale alone keeps the source texts.
TextLanguage ChooseTextLanguage(const LocaleSettings& settings);

// Where the catalogues are: $SCENESAVER_LOCALEDIR when set (the build tree's, for tests),
// else the installed share/locale.
std::string CatalogueFolder();

// Chooses the language from the environment and, for English, points gettext at the catalogue
// in `catalogue_folder` and installs it as the lookup of base::Tr. Call once at the program's
// start, before any thread and any dialog. Returns the language chosen.
TextLanguage UseUserLanguage(const std::string& catalogue_folder);

}  // namespace scenesaver::platform
