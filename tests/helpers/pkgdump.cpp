// pkgdump.exe OUTDIR
//
// Reads the package bound to this very executable with the stub's reader,
// consumes the data area in order as the stub does, and writes each entry to
// OUTDIR\NAME (marker group) or OUTDIR\GROUP\NAME, complemented back where the
// stub would. Prints its own path length, the status and each entry. Exit
// code: 0 whole package, 1 none, 2 damaged, 3 an output could not be written.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/Handle.h"
#include "framework/Utf.h"
#include "framework/WinText.h"
#include "package/PackageReader.h"

using namespace lorent;

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: pkgdump OUTDIR\n", stderr);
    return 2;
  }
  const std::wstring self = GetOwnExecutablePath();
  std::printf("self-length=%zu\n", self.size());
  UniqueStream file(_wfopen(self.c_str(), L"rb"));
  if (!file) return 1;
  package::PackageTable table;
  package::PackageInfo info;
  if (!ReadPackageTable(file.Get(), table, &info)) {
    std::puts("status=absent");
    return 1;
  }
  std::printf("status=%s\n", info.status == package::PackageStatus::Complete ? "complete" : "truncated");
  std::printf("data-offset=%lld\n", static_cast<long long>(_ftelli64(file.Get())) - static_cast<long long>(info.packageOffset));

  const std::wstring outdir = std::wstring(argv[1]) + L"\\";
  std::vector<unsigned char> block(65536);
  for (const auto& placed : package::PlaceEntries(table, info.dataOffset)) {
    std::wstring path = outdir;
    if (!package::IsMarkerGroup(*placed.group)) {
      path += AsWide(*placed.group);
      CreateDirectoryW(path.c_str(), nullptr);
      path += L"\\";
    }
    path += AsWide(placed.entry->name);
    std::printf("entry %s/%s %u\n", Utf16ToUtf8Lossy(*placed.group).c_str(),
                Utf16ToUtf8Lossy(placed.entry->name).c_str(), placed.entry->size);
    UniqueStream out(_wfopen(path.c_str(), L"wb"));
    if (!out) return 3;
    const bool complemented = package::StoredComplemented(AsU16(path));
    uint64_t left = placed.entry->size;
    while (left > 0) {
      const size_t take = left < block.size() ? static_cast<size_t>(left) : block.size();
      const size_t got = std::fread(block.data(), 1, take, file.Get());
      if (complemented) package::Complement(block.data(), got);
      std::fwrite(block.data(), 1, got, out.Get());
      left -= take;
    }
  }
  return info.status == package::PackageStatus::Complete ? 0 : 2;
}
