// Names stored inside a cabinet archive: relative paths with backslashes.
#pragma once

#include <string>
#include <string_view>

namespace lorent::package {

// Why a stored path may not be expanded under a target folder, or an empty
// text when it may. A stored path is a chain of names separated by "\" (or
// "/"); it may not be absolute, carry a drive or stream, climb with "..", or
// hold a name that Windows would not keep inside the target (see CheckName).
std::string CheckStoredPath(std::u16string_view path);

}  // namespace lorent::package
