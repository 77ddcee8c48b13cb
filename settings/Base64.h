// Base64 with the standard alphabet, as the settings values store it.
// Portable: no Windows API.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lorent {

// Decodes a stored value into its cipher data. The data length D comes from
// the text's length alone: with "==" anywhere in the text D = (L - 4) / 4 * 3 + 1,
// else with "=" anywhere D = (L - 4) / 4 * 3 + 2, else D = L / 4 * 3; the length
// divided must be a multiple of 4. Decoding stops as soon as D bytes are
// complete, so trailing padding is never read; any character outside the
// alphabet met before that (an "=", white space, a byte of 128 or more) fails.
// On success `data` holds D + 1 bytes, the last one zero. On failure `data`
// is emptied.
bool DecodeBase64(std::string_view text, std::vector<uint8_t>& data);

// Standard Base64 with "=" padding, which DecodeBase64 reads back.
std::string EncodeBase64(const uint8_t* data, size_t size);

}  // namespace lorent
