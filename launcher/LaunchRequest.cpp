#include "launcher/LaunchRequest.h"

namespace lorent::launcher {

namespace {
bool Blank(char16_t c) { return c == u' ' || c == u'\t'; }
}  // namespace

std::u16string_view ParameterString(std::u16string_view commandLine) {
  size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == u'"') {
    const size_t close = commandLine.find(u'"', 1);
    i = close == std::u16string_view::npos ? commandLine.size() : close + 1;
  }
  while (i < commandLine.size() && !Blank(commandLine[i])) ++i;
  while (i < commandLine.size() && Blank(commandLine[i])) ++i;
  return commandLine.substr(i);
}

std::optional<LaunchRequest> ParseLaunchRequest(std::u16string_view parameters) {
  const size_t first = parameters.find(u'|');
  if (first == std::u16string_view::npos) return std::nullopt;
  const std::u16string_view kind = parameters.substr(0, first);
  LaunchRequest request;
  if (kind == u"Yes") request.programFile = true;
  else if (kind != u"No") return std::nullopt;
  const size_t second = parameters.find(u'|', first + 1);
  request.program = std::u16string(parameters.substr(first + 1, second == std::u16string_view::npos
                                                                    ? std::u16string_view::npos
                                                                    : second - first - 1));
  if (second != std::u16string_view::npos) request.arguments = std::u16string(parameters.substr(second + 1));
  if (request.program.empty()) return std::nullopt;
  return request;
}

std::optional<ProgramParts> SplitProgram(std::u16string_view program) {
  ProgramParts parts;
  if (!program.empty() && program[0] == u'"') {
    const size_t close = program.find(u'"', 1);
    if (close == std::u16string_view::npos || close == 1) return std::nullopt;
    parts.path = std::u16string(program.substr(1, close - 1));
    size_t rest = close + 1;
    while (rest < program.size() && Blank(program[rest])) ++rest;
    parts.arguments = std::u16string(program.substr(rest));
  } else {
    parts.path = std::u16string(program);
  }
  return parts;
}

std::u16string TargetCommandLine(const ProgramParts& parts, std::u16string_view arguments) {
  std::u16string line = u"\"" + parts.path + u"\"";
  if (!parts.arguments.empty()) line += u" " + parts.arguments;
  if (!arguments.empty()) line += u" " + std::u16string(arguments);
  return line;
}

}  // namespace lorent::launcher
