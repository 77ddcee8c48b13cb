#include "package/StoredPath.h"

#include "package/PackageFormat.h"

namespace lorent::package {

std::string CheckStoredPath(std::u16string_view path) {
  if (path.empty()) return "is empty";
  if (path.front() == u'\\' || path.front() == u'/') return "is absolute";
  if (path.size() >= 2 && path[1] == u':') return "carries a drive";
  size_t start = 0;
  for (;;) {
    const size_t end = path.find_first_of(u"\\/", start);
    const std::u16string_view name = path.substr(start, end == std::u16string_view::npos ? end : end - start);
    if (name == u"..") return "climbs out of the target folder";
    const std::string why = CheckName(name);
    if (!why.empty()) return "has a part that " + why;
    if (end == std::u16string_view::npos) return {};
    start = end + 1;
  }
}

}  // namespace lorent::package
