// The package reader on arbitrary bytes: no crash, no allocation driven by a
// count or length (libFuzzer's malloc limit catches those), and whatever the
// table keeps lies inside the file.
#include <cstdlib>

#include "package/PackageFormat.h"

using namespace lorent::package;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemorySource source(data, size);
  PackageTable table;
  const PackageInfo info = ReadPackage(source, table);
  if (info.status == PackageStatus::Absent && !table.empty()) std::abort();
  uint64_t end = info.dataOffset;
  for (const auto& placed : PlaceEntries(table, info.dataOffset)) {
    if (placed.offset != end || placed.offset + placed.entry->size > size) std::abort();
    end += placed.entry->size;
  }
  if (info.status != PackageStatus::Absent && end != info.dataOffset + info.dataSize) std::abort();
  for (const auto& [group, entries] : table) {
    CheckName(group);
    for (const auto& entry : entries) CheckName(entry.name);
  }
  return 0;
}
