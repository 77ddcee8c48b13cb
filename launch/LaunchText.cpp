#include "launch/LaunchText.h"

namespace lorent {

std::u16string_view ExtensionOf(std::u16string_view path) {
  const size_t dot = path.rfind(u'.');
  return dot == std::u16string_view::npos ? std::u16string_view() : path.substr(dot);
}

namespace {

std::u16string_view TrimSpaces(std::u16string_view text, bool front, bool back) {
  while (front && !text.empty() && text.front() == u' ') text.remove_prefix(1);
  while (back && !text.empty() && text.back() == u' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::u16string BuildLauncherParameters(bool programFile, std::u16string_view program,
                                       std::u16string_view arguments) {
  std::u16string text = programFile ? u"Yes|" : u"No|";
  text += program;
  if (!arguments.empty()) {
    text += u'|';
    text += arguments;
  }
  text.resize(TrimSpaces(text, false, true).size());
  return text;
}

std::u16string BuildParameterString(std::u16string_view modeParameter, std::u16string_view commandLine) {
  std::u16string text;
  if (!modeParameter.empty()) text.append(modeParameter).append(u" ");
  if (!commandLine.empty()) text.append(commandLine).append(u" ");
  return text;
}

bool CutOpenCommand(std::u16string_view command, std::u16string_view path, std::u16string& program,
                    std::u16string& arguments) {
  const size_t quoted = command.find(u"\"%1\"");
  const size_t placeholder = quoted != std::u16string_view::npos ? quoted : command.find(u"%1");
  command = placeholder == std::u16string_view::npos ? std::u16string_view() : command.substr(0, placeholder);
  // A command of nothing but spaces before its placeholder names no program
  // either: the file is then started itself.
  command = TrimSpaces(command, true, true);
  if (command.empty()) return false;

  const std::u16string quotedPath = u"\"" + std::u16string(path) + u"\"";
  const size_t slash = command.find(u'/');
  if (slash == std::u16string_view::npos) {
    program = std::u16string(command);
    arguments += quotedPath;
  } else {
    arguments = std::u16string(command.substr(slash)) + u" " + quotedPath;
    program = std::u16string(TrimSpaces(command.substr(0, slash), false, true));
  }
  return true;
}

}  // namespace lorent
