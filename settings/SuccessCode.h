// The SuccessCode setting: decimal exit codes separated by ";". Portable.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace lorent {

// The exit codes a SuccessCode text lists. Empty items are skipped. An item is
// read as a 32-bit signed decimal number: leading white space skipped, an
// optional sign, digits up to the first other character; no digits give 0,
// and a number beyond the 32-bit range gives the nearest limit.
std::vector<int32_t> ParseSuccessCodes(std::u16string_view text);

// Whether the setup launcher's exit code, taken as a 32-bit signed number,
// is one the SuccessCode text lists. An empty text lists none.
bool IsSuccessExitCode(std::u16string_view successCode, uint32_t exitCode);

}  // namespace lorent
