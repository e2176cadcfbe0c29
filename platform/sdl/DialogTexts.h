// The texts of the desktop backend's own windows: the settings dialog, the password-change
// dialog and the password prompt over the show. Each is shown through base::Tr.
#pragma once

#include <array>

#include "base/Texts.h"

namespace scenesaver::platform::texts {

// The settings dialog: its caption, the frames "BGM" and "Sound", the option buttons of each
// frame, and the two buttons.
inline constexpr const char* kSettingsCaption = base::Translatable("設定");
inline constexpr std::array<const char*, 2> kFrameCaptions{base::Translatable("BGM"),
                                                           base::Translatable("Sound")};
inline constexpr std::array<const char*, 2> kOptionCaptions{base::Translatable("ON"),
                                                            base::Translatable("OFF")};
inline constexpr const char* kOk = "OK";
inline constexpr const char* kCancel = base::Translatable("キャンセル");

// The password-change dialog (/A).
inline constexpr const char* kPasswordTitle = base::Translatable("パスワードの変更");
inline constexpr const char* kNewPasswordLabel = base::Translatable("新しいパスワード:");
inline constexpr const char* kConfirmLabel = base::Translatable("新しいパスワードの確認入力:");
inline constexpr const char* kProtectLabel = base::Translatable("パスワードで保護する");
inline constexpr const char* kMismatch =
    base::Translatable("新しいパスワードと確認入力が一致しません。");
inline constexpr const char* kNotStored = base::Translatable("パスワードを保存できませんでした。");

// The password prompt drawn over the show.
inline constexpr const char* kPromptTitle = base::Translatable("パスワードを入力してください。");
inline constexpr const char* kPromptHint = base::Translatable("Enter: 解除    Esc: 取り消し");
inline constexpr const char* kPromptChecking = base::Translatable("確認しています…");
inline constexpr const char* kPromptWrong =
    base::Translatable("パスワードが違います。少しお待ちください。");
inline constexpr const char* kPromptUnreadable =
    base::Translatable("保存されたパスワードを読み取れないため、\n解除できません。");

}  // namespace scenesaver::platform::texts
