// The language of the program's texts: the choice from the locale settings, and the texts the
// dialogs, the prompt and the messages show, read through base::Tr after the same start-up call
// the programs make, each language in a process of its own (gettext's state is per process).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/RuntimeFailure.h"
#include "base/Texts.h"
#include "platform/posix/UserLanguage.h"
#include "platform/sdl/DialogTexts.h"
#include "presentation/Form1.h"
#include "settings/frmSetting.h"
#include "startup/Startup.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using platform::ChooseTextLanguage;
using platform::LocaleSettings;
using platform::TextLanguage;

TEST(UserLanguageTest, TheLocaleSettingsChooseInGettextsOrder) {
  struct Case {
    LocaleSettings settings;
    TextLanguage expected;
  };
  const Case cases[] = {
      {{}, TextLanguage::kSource},  // nothing set: the C locale
      {{nullptr, nullptr, "C"}, TextLanguage::kSource},
      {{nullptr, nullptr, "POSIX"}, TextLanguage::kSource},
      {{nullptr, nullptr, "C.UTF-8"}, TextLanguage::kSource},
      {{nullptr, nullptr, "ja_JP.UTF-8"}, TextLanguage::kSource},
      {{nullptr, nullptr, "ja_JP.eucJP"}, TextLanguage::kSource},
      {{nullptr, nullptr, "ja"}, TextLanguage::kSource},
      {{nullptr, nullptr, "en_US.UTF-8"}, TextLanguage::kEnglish},
      {{nullptr, nullptr, "en_GB"}, TextLanguage::kEnglish},
      {{nullptr, nullptr, "de_DE.UTF-8"}, TextLanguage::kEnglish},
      {{nullptr, nullptr, "fr_FR@euro"}, TextLanguage::kEnglish},
      // "jv" (Javanese) is not Japanese.
      {{nullptr, nullptr, "jv_ID.UTF-8"}, TextLanguage::kEnglish},
      // LC_ALL before LC_MESSAGES before LANG; an empty value counts as unset.
      {{"ja_JP.UTF-8", "en_US.UTF-8", "en_US.UTF-8"}, TextLanguage::kSource},
      {{"", "en_US.UTF-8", "ja_JP.UTF-8"}, TextLanguage::kEnglish},
      {{nullptr, "C", "en_US.UTF-8"}, TextLanguage::kSource},
      {{"C", nullptr, "de_DE.UTF-8", "en"}, TextLanguage::kSource},  // C ignores LANGUAGE
      // LANGUAGE: the first Japanese or English entry, else English.
      {{nullptr, nullptr, "de_DE.UTF-8", "de:ja:en"}, TextLanguage::kSource},
      {{nullptr, nullptr, "ja_JP.UTF-8", "en_US"}, TextLanguage::kEnglish},
      {{nullptr, nullptr, "ja_JP.UTF-8", "fr"}, TextLanguage::kEnglish},
      {{nullptr, nullptr, "C.UTF-8", "en"}, TextLanguage::kEnglish},
      {{nullptr, nullptr, "C.UTF-8", "de"}, TextLanguage::kSource},
      {{nullptr, nullptr, "de_DE.UTF-8", ""}, TextLanguage::kEnglish},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("LC_ALL=") + (c.settings.lc_all ? c.settings.lc_all : "-") +
                 " LC_MESSAGES=" + (c.settings.lc_messages ? c.settings.lc_messages : "-") +
                 " LANG=" + (c.settings.lang ? c.settings.lang : "-") +
                 " LANGUAGE=" + (c.settings.language ? c.settings.language : "-"));
    EXPECT_EQ(ChooseTextLanguage(c.settings), c.expected);
  }
}

// Every text a Linux user sees from the program itself, as the code holds it.
std::vector<const char*> SourceTexts() {
  namespace t = platform::texts;
  return {startup::kNoSettings,
          startup::kNoSettingsCaption,
          startup::kCannotRun,
          presentation::kFailureMessage,
          presentation::kFailureCaption,
          base::kOverflow,
          settings::kNotSaved,
          settings::kNotSavedCaption,
          t::kSettingsCaption,
          t::kFrameCaptions[0],
          t::kFrameCaptions[1],
          t::kOptionCaptions[0],
          t::kOptionCaptions[1],
          t::kCancel,
          t::kPasswordTitle,
          t::kNewPasswordLabel,
          t::kConfirmLabel,
          t::kProtectLabel,
          t::kMismatch,
          t::kNotStored,
          t::kPromptTitle,
          t::kPromptHint,
          t::kPromptChecking,
          t::kPromptWrong,
          t::kPromptUnreadable};
}

// The texts as base::Tr gives them in a process started with these locale variables (unset
// when null) and the build tree's catalogue.
std::vector<std::string> TextsUnder(const char* lang, const char* language = nullptr) {
  int pipe_ends[2];
  if (::pipe(pipe_ends) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe_ends[0]);
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    ::unsetenv("LANGUAGE");
    if (lang != nullptr) ::setenv("LANG", lang, 1);
    if (language != nullptr) ::setenv("LANGUAGE", language, 1);
    platform::UseUserLanguage(SCENESAVER_BINARY_DIR "/locale");
    std::string out;
    for (const char* text : SourceTexts()) {
      out += base::Tr(text);
      out += '\0';
    }
    const bool written =
        ::write(pipe_ends[1], out.data(), out.size()) == static_cast<ssize_t>(out.size());
    ::_exit(written ? 0 : 1);
  }
  ::close(pipe_ends[1]);
  std::string all;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipe_ends[0], buffer, sizeof buffer)) > 0;) all.append(buffer, n);
  ::close(pipe_ends[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::vector<std::string> texts;
  for (std::size_t start = 0, end; (end = all.find('\0', start)) != std::string::npos;
       start = end + 1) {
    texts.push_back(all.substr(start, end - start));
  }
  return texts;
}

bool HasJapanese(const std::string& text) {
  // Kana, kanji and the CJK punctuation all begin with a byte from E3 to E9 in UTF-8.
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0xE3 && byte <= 0xE9) return true;
  }
  return false;
}

TEST(UserLanguageTest, JapaneseAndCLocalesShowTheSourceTextsByteForByte) {
  std::vector<std::string> expected;
  for (const char* text : SourceTexts()) expected.emplace_back(text);
  EXPECT_EQ(TextsUnder("ja_JP.UTF-8"), expected);
  EXPECT_EQ(TextsUnder("C"), expected);
  EXPECT_EQ(TextsUnder("C.UTF-8"), expected);
  EXPECT_EQ(TextsUnder(nullptr), expected);
  EXPECT_EQ(TextsUnder("de_DE.UTF-8", "ja"), expected);
  // The texts the code holds are exactly the system's own.
  EXPECT_EQ(expected[0], "設定項目はありません");
  EXPECT_EQ(expected[1], "スクリーンセーバー");
  EXPECT_EQ(expected[20], "パスワードを入力してください。");
}

TEST(UserLanguageTest, EveryOtherLocaleShowsEnglish) {
  const std::vector<std::string> english = TextsUnder("en_US.UTF-8");
  ASSERT_EQ(english.size(), SourceTexts().size());
  for (std::size_t i = 0; i < english.size(); ++i) {
    SCOPED_TRACE(SourceTexts()[i]);
    EXPECT_NE(english[i], SourceTexts()[i]);
    EXPECT_FALSE(HasJapanese(english[i])) << english[i];
  }
  EXPECT_EQ(english[0], "This screen saver has no settings");
  EXPECT_EQ(english[1], "Screen Saver");
  EXPECT_EQ(english[3], "An unknown error has occurred.");
  EXPECT_EQ(english[4], "Error");
  EXPECT_EQ(english[20], "Enter your password.");
  EXPECT_EQ(english[21], "Enter: unlock    Esc: cancel");
  // A language without a catalogue, with or without its locale installed, also gets English;
  // so does C.UTF-8 with LANGUAGE=en.
  EXPECT_EQ(TextsUnder("de_DE.UTF-8"), english);
  EXPECT_EQ(TextsUnder("C.UTF-8", "en"), english);
  EXPECT_EQ(TextsUnder("ja_JP.UTF-8", "fr:en"), english);
}

TEST(UserLanguageTest, TextsOutsideTheCatalogueAndTheCaptionCorvantaStayAsTheyAre) {
  EXPECT_EQ(std::string(startup::kCannotRunCaption), "Corvanta");
  EXPECT_EQ(std::string(presentation::kFailureSource), "scenesaver");
  // Without a lookup installed (the Windows player, the other tests) Tr is the identity.
  EXPECT_STREQ(base::Tr("picture 'a.jpg': it was not extracted"),
               "picture 'a.jpg': it was not extracted");
}

}  // namespace
