// Binds a package to a stub.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "pack/Description.h"

namespace lorent::pack {

struct BuildResult {
  uint64_t packageOffset = 0;
  uint64_t tableSize = 0;
  uint64_t dataSize = 0;
  uint64_t fileSize = 0;
  size_t entries = 0;
};

// Writes description.output: the stub with the package offset in its DOS
// header, the group tables and the data in extraction order. The output is
// written beside its final place and renamed over it only when complete, so a
// failed build leaves no half-written installer. The settings files are made
// from the description's plain values (see PrepareSettings). Returns false
// with a message in `error` on bad input.
bool BuildPackage(const PackageDescription& description, BuildResult& result, std::string& error);

// Checks that the bytes are a PE image that carries no package and no
// signature. Returns an empty text when they are, else what is wrong.
std::string CheckStub(const std::string& image);

}  // namespace lorent::pack
