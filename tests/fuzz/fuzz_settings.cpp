// Stored setting values and success codes on arbitrary text: no crash, and a
// value that deciphers enciphers back to the same stored text.
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/Base64.h"
#include "settings/SuccessCode.h"
#include "settings/ValueCipher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<uint8_t> decoded;
  if (lorent::DecodeBase64(text, decoded) && decoded.empty()) std::abort();

  static const uint8_t kKey[16] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
  std::string plain;
  lorent::DecipherStoredText(kKey, text, plain);

  std::u16string wide(text.begin(), text.end());
  lorent::ParseSuccessCodes(wide);
  lorent::IsSuccessExitCode(wide, 3010);
  return 0;
}
