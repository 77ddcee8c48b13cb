#include "app/RunMode.h"

namespace lorent {

namespace {

bool IsWhiteSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

bool IsSilentToken(std::u16string_view token) {
  while (!token.empty() && IsWhiteSpace(token.back())) token.remove_suffix(1);
  return token.size() == 2 && (token[0] == u'-' || token[0] == u'/') && (token[1] == u's' || token[1] == u'S');
}

}  // namespace

bool HasSilentSwitch(std::u16string_view commandLine) {
  size_t pos = 0;
  while (pos < commandLine.size()) {
    if (commandLine[pos] == u' ') {
      ++pos;
      continue;
    }
    const size_t end = commandLine.find(u' ', pos);
    const std::u16string_view token =
        commandLine.substr(pos, end == std::u16string_view::npos ? std::u16string_view::npos : end - pos);
    if (IsSilentToken(token)) return true;
    if (end == std::u16string_view::npos) break;
    pos = end;
  }
  return false;
}

LaunchMode ChooseLaunchMode(const AgentValues& agent) {
  if (agent.keyOpened && agent.silentExecution == 1) return LaunchMode::AgentSilent;
  if (!agent.keyOpened || agent.launchInstaller != 1) return LaunchMode::Manual;
  if (agent.silentExecution == 0) return LaunchMode::Agent;
  return LaunchMode::None;
}

}  // namespace lorent
