#include "platform/posix/UserLanguage.h"

#include <libintl.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "base/Texts.h"

#ifndef SCENESAVER_LOCALEDIR
#define SCENESAVER_LOCALEDIR "/usr/share/locale"
#endif

namespace scenesaver::platform {
namespace {

constexpr const char* kDomain = "scenesaver";

bool IsSet(const char* value) { return value != nullptr && value[0] != '\0'; }

bool IsCLocale(std::string_view name) { return name == "C" || name == "POSIX"; }

// "ja", "ja_JP.UTF-8", "ja_JP@..." are Japanese; "en..." English.
bool IsLanguage(std::string_view entry, std::string_view code) {
  if (entry.substr(0, code.size()) != code) return false;
  return entry.size() == code.size() || entry[code.size()] == '_' || entry[code.size()] == '.' ||
         entry[code.size()] == '@';
}

const char* LookUp(const char* source) { return dgettext(kDomain, source); }

}  // namespace

LocaleSettings LocaleSettingsFromEnvironment() {
  return {std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"),
          std::getenv("LANGUAGE")};
}

TextLanguage ChooseTextLanguage(const LocaleSettings& settings) {
  const char* locale = IsSet(settings.lc_all)        ? settings.lc_all
                       : IsSet(settings.lc_messages) ? settings.lc_messages
                       : IsSet(settings.lang)        ? settings.lang
                                                     : "C";
  if (IsCLocale(locale)) return TextLanguage::kSource;
  std::string_view choices = IsSet(settings.language) ? settings.language : locale;
  while (!choices.empty()) {
    const std::size_t colon = choices.find(':');
    const std::string_view entry = choices.substr(0, colon);
    if (IsLanguage(entry, "ja")) return TextLanguage::kSource;
    if (IsLanguage(entry, "en")) return TextLanguage::kEnglish;
    choices = colon == std::string_view::npos ? std::string_view() : choices.substr(colon + 1);
  }
  // C.UTF-8 and its kin are the C locale with UTF-8 text.
  if (IsLanguage(locale, "C")) return TextLanguage::kSource;
  return TextLanguage::kEnglish;
}

std::string CatalogueFolder() {
  const char* folder = std::getenv("SCENESAVER_LOCALEDIR");
  return IsSet(folder) ? folder : SCENESAVER_LOCALEDIR;
}

TextLanguage UseUserLanguage(const std::string& catalogue_folder) {
  const TextLanguage language = ChooseTextLanguage(LocaleSettingsFromEnvironment());
  if (language != TextLanguage::kEnglish) return language;
  // gettext reads LANGUAGE on every lookup (GTK's own texts follow it too). It ignores LANGUAGE
  // in the plain C locale, which is what LC_MESSAGES stays at when the user's locale is not
  // installed: C.UTF-8 is always there and lets it through.
  setenv("LANGUAGE", "en", 1);
  const char* messages = std::setlocale(LC_MESSAGES, "");
  if (messages == nullptr || IsCLocale(messages)) std::setlocale(LC_MESSAGES, "C.UTF-8");
  bindtextdomain(kDomain, catalogue_folder.c_str());
  bind_textdomain_codeset(kDomain, "UTF-8");
  base::SetTextLookup(LookUp);
  return language;
}

}  // namespace scenesaver::platform
