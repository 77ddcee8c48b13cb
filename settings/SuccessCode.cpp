#include "settings/SuccessCode.h"

namespace lorent {

namespace {

bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

int32_t ParseItem(std::u16string_view item) {
  size_t i = 0;
  while (i < item.size() && IsSpace(item[i])) ++i;
  bool negative = false;
  if (i < item.size() && (item[i] == u'+' || item[i] == u'-')) negative = item[i++] == u'-';
  int64_t value = 0;  // magnitude, held at 2^31 once it gets there
  for (; i < item.size() && item[i] >= u'0' && item[i] <= u'9'; ++i) {
    value = value * 10 + (item[i] - u'0');
    if (value > 2147483648LL) value = 2147483648LL;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace

std::vector<int32_t> ParseSuccessCodes(std::u16string_view text) {
  std::vector<int32_t> codes;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u';', start);
    if (end == std::u16string_view::npos) end = text.size();
    if (end > start) codes.push_back(ParseItem(text.substr(start, end - start)));
    start = end + 1;
  }
  return codes;
}

bool IsSuccessExitCode(std::u16string_view successCode, uint32_t exitCode) {
  const auto code = static_cast<int32_t>(exitCode);
  for (const int32_t item : ParseSuccessCodes(successCode))
    if (item == code) return true;
  return false;
}

}  // namespace lorent
