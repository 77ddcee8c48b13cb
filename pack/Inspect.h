// Prints what a bound installer carries.
#pragma once

#include <filesystem>
#include <ostream>

namespace lorent::pack {

// Prints the package table, sizes and data offsets. Returns 0 for a whole
// package, 1 when there is none or it is damaged (what could be read is printed).
int InspectPackage(const std::filesystem::path& installer, std::ostream& out, std::ostream& err);

}  // namespace lorent::pack
