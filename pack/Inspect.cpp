#include "pack/Inspect.h"

#include <cinttypes>
#include <cstdio>

#include "framework/Utf.h"
#include "pack/Description.h"
#include "pack/FileSource.h"

namespace lorent::pack {

namespace {

std::string Format(const char* format, uint64_t a, uint64_t b = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

}  // namespace

int InspectPackage(const std::filesystem::path& installer, std::ostream& out, std::ostream& err) {
  FileSource source(installer);
  if (!source.IsOpen()) {
    err << "lorent-pack: cannot read " << PathToUtf8(installer) << "\n";
    return 1;
  }
  package::PackageTable table;
  const package::PackageInfo info = package::ReadPackage(source, table);
  if (info.status == package::PackageStatus::Absent) {
    err << "lorent-pack: " << PathToUtf8(installer) << " carries no package\n";
    return 1;
  }
  const uint64_t dataEnd = info.dataOffset + info.dataSize;
  out << "installer     " << PathToUtf8(installer) << " (" << source.Size() << " bytes)\n";
  out << "package at    " << Format("0x%08" PRIX64 " (%" PRIu64 ")", info.packageOffset, info.packageOffset) << "\n";
  out << "table         " << info.dataOffset - info.packageOffset << " bytes, " << table.size() << " group(s)\n";
  out << "data area at  " << Format("0x%08" PRIX64 " (package + %" PRIu64 ")", info.dataOffset,
                                    info.dataOffset - info.packageOffset)
      << ", " << info.dataSize << " bytes\n";
  if (source.Size() > dataEnd) out << "after data    " << source.Size() - dataEnd << " bytes (not read by the stub)\n";

  const auto placed = package::PlaceEntries(table, info.dataOffset);
  const std::u16string* group = nullptr;
  for (const auto& item : placed) {
    if (item.group != group) {
      group = item.group;
      const bool marker = package::IsMarkerGroup(*group);
      out << "\ngroup \"" << Utf16ToUtf8Lossy(*group) << "\""
          << (marker ? " (marker: into the working folder)" : "") << ", " << table.at(*group).size()
          << " entr" << (table.at(*group).size() == 1 ? "y" : "ies") << "\n";
      out << "  offset            size  name\n";
    }
    out << "  " << Format("0x%08" PRIX64 " %12" PRIu64, item.offset, item.entry->size) << "  "
        << Utf16ToUtf8Lossy(item.entry->name)
        << (package::IsCabinetEntry(item.entry->name) ? "  (cabinet, stored complemented)" : "") << "\n";
  }
  // Groups without entries have no place in the data area; list them too.
  for (const auto& [name, entries] : table) {
    if (entries.empty())
      out << "\ngroup \"" << Utf16ToUtf8Lossy(name) << "\"" << (package::IsMarkerGroup(name) ? " (marker)" : "")
          << ", no entries\n";
  }
  if (!table.count(std::u16string(package::kMarkerGroup)))
    out << "\nwarning: no marker group: the stub extracts nothing\n";
  if (info.status == package::PackageStatus::Truncated) {
    err << "lorent-pack: the package is damaged: its table or data run past the end of the file"
           " (only the entries that lie wholly inside are listed)\n";
    return 1;
  }
  return 0;
}

}  // namespace lorent::pack
