#include "platform/errors.h"

#include "platform/utf.h"

namespace velnor {

Error::Error(std::wstring message)
    : std::runtime_error(WideToUtf8(message)), message_(std::move(message)) {}

EFOpenError MakeOpenError(const std::wstring& path, const std::wstring& cause) {
    return EFOpenError(L"ファイル " + path + L" は開けません。 " + cause + L" ");
}

EFCreateError MakeCreateError(const std::wstring& path, const std::wstring& cause) {
    return EFCreateError(L"ファイル \"" + path + L"\" を作成できません。" + cause);
}

std::wstring TrimSystemMessage(std::wstring text) {
    while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
    return text;
}

std::wstring ErrorBoxText(const std::wstring& message) {
    if (!message.empty() && message.back() > L'.') return message + L".";
    return message;
}

}  // namespace velnor
