#include "settings/SettingCipher.h"

#include <windows.h>

#include "app/RunState.h"
#include "framework/FileSystem.h"
#include "framework/WinText.h"
#include "package/PackageFormat.h"
#include "settings/Base64.h"
#include "settings/ValueCipher.h"

namespace lorent {

namespace {

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  if (size <= 0) return {};
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                      nullptr);
  return bytes;
}

std::wstring Widen(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (size <= 0) return {};
  std::wstring text(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
  return text;
}

}  // namespace

bool ComputeKeyText(CWorkerContext& context) {
  const std::wstring path = context.strWorkFolder + std::wstring(AsWide(package::kSetupLauncher));
  if (!PathExists(path)) return false;
  context.strKeyText = context.heldLauncher.DigestText(path);
  return true;
}

bool DecipherSettingValue(CWorkerContext& context, const std::wstring& stored, std::wstring& plain) {
  if (stored.empty()) {
    plain.clear();
    return true;
  }
  std::vector<uint8_t> data;
  if (!DecodeBase64(Narrow(stored), data)) return false;
  if (!ComputeKeyText(context) || context.strKeyText.empty()) return false;
  // The key text is hexadecimal digits, the same single bytes in every ANSI
  // code page.
  uint8_t key[16];
  const std::string keyText = Narrow(context.strKeyText);
  if (!KeyFromKeyText(keyText, key)) return false;
  std::string bytes;
  if (!DecipherCipherData(key, data, bytes)) return false;
  plain = Widen(bytes);
  return true;
}

}  // namespace lorent
