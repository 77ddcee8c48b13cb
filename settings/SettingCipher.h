// Deciphering one stored setting value in the run's working folder.
#pragma once

#include <string>

namespace lorent {

struct CWorkerContext;

// Sets the context's key text to the digest text of the working folder's
// setup launcher. False, with the key text unchanged, when the launcher does
// not exist. The launcher is hashed once per run and held open from then on
// (CWorkerContext::heldLauncher), so every value is deciphered with the digest
// of the same, unchanged file. A launcher that cannot be read gives an empty
// key text.
bool ComputeKeyText(CWorkerContext& context);

// Deciphers `stored` into `plain`: an empty stored text gives an empty plain
// text; otherwise the text is narrowed with the thread's ANSI code page,
// decoded, its first block deciphered with the key from ComputeKeyText, and
// the bytes up to the first zero widened with the same code page. False, with
// `plain` unchanged, when the text does not decode, holds fewer than 16 bytes,
// or no key could be made.
bool DecipherSettingValue(CWorkerContext& context, const std::wstring& stored, std::wstring& plain);

}  // namespace lorent
