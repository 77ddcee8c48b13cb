// settings_bench.exe: figures for the setting-value cipher under Windows (or Wine).
//
//   settings_bench digest FILE [ROUNDS]
//       FileDigestText of FILE, best of ROUNDS (3), with its throughput.
//   settings_bench settings FOLDER
//       FOLDER holds a setup launcher (UpdateModuleSetup.exe) and setup.exe.
//       Writes the settings files for them as lorent-pack does, then times
//       one digest of the launcher against reading every setting of a run
//       (the 14 reads of the extraction and the run sequence), once with the
//       launcher held and hashed once, and once hashing it for every value.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/RunState.h"
#include "framework/Utf.h"
#include "framework/WinText.h"
#include "pack/Description.h"
#include "pack/Settings.h"
#include "settings/Md5.h"
#include "settings/SettingsFile.h"

using namespace lorent;

namespace {

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

uint64_t FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

int Digest(const std::wstring& path, int rounds) {
  const double mib = static_cast<double>(FileSize(path)) / (1024.0 * 1024.0);
  double best = 1e30;
  std::wstring text;
  for (int i = 0; i < rounds; ++i) {
    const double start = Now();
    text = CMD5Checksum::FileDigestText(path);
    const double seconds = Now() - start;
    if (seconds < best) best = seconds;
    std::printf("round %d: %.3f s\n", i + 1, seconds);
  }
  if (text.empty()) {
    std::fprintf(stderr, "cannot read the file\n");
    return 1;
  }
  std::printf("digest %ls\nsize %.1f MiB\nbest %.3f s\nthroughput %.1f MiB/s\n", text.c_str(), mib, best, mib / best);
  return 0;
}

// The reads of one run, in the order the extraction and the run sequence make them.
void ReadEverySetting(CWorkerContext& context, bool rehashEachValue) {
  const wchar_t* const assist[] = {L"ExtractPathByUser", L"UseZEKACheck",  L"ExecuteFileName", L"ParamManual",
                                   L"ParamDAM",          L"ParamDAAU",     L"ProductName",     L"UseZEKACheck",
                                   L"Elevation",         L"ShowResult",    L"SuccessCode",     L"enc_data"};
  const std::wstring assistPath = AssistFilePath(context);
  const std::wstring messagePath = MessageSettingPath(context);
  std::wstring value;
  for (const wchar_t* key : assist) {
    if (rehashEachValue) context.heldLauncher.Release();
    ReadParamOption(context, key, assistPath, value);
  }
  for (const wchar_t* key : {L"IsShowMessageBox", L"IsOk"}) {
    if (rehashEachValue) context.heldLauncher.Release();
    ReadSetting(context, key, messagePath, value);
  }
}

int Settings(std::wstring folder) {
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  pack::PackageDescription description;
  std::string error;
  const std::string text =
      "[files]\nUpdateModuleSetup.exe = UpdateModuleSetup.exe\nsetup.exe = setup.exe\n"
      "[AssistFile.ini]\nExecuteFileName = setup.exe\nParamManual = /manual\nParamDAM = /dam\nParamDAAU = /daau\n"
      "ProductName = Benchmark Product\nExtractPathByUser = 0\nUseZEKACheck = 0\nElevation = 1\nShowResult = 1\n"
      "SuccessCode = 0;3010\n[MessageSetting.ini]\nIsShowMessageBox = 1\nIsOk = 1\n";
  if (!pack::ParseDescription(text, std::filesystem::path(folder), {}, "bench", description, error) ||
      !pack::PrepareSettings(description, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  for (const auto& file : description.groups[0].files) {
    if (!file.generated) continue;
    const std::wstring path = folder + std::wstring(AsWide(file.name));
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(out, file.content.data(), static_cast<DWORD>(file.content.size()), &written, nullptr);
    CloseHandle(out);
  }

  const std::wstring launcher = folder + L"UpdateModuleSetup.exe";
  const double mib = static_cast<double>(FileSize(launcher)) / (1024.0 * 1024.0);
  // Warm the cache, then one digest.
  CMD5Checksum::FileDigestText(launcher);
  double start = Now();
  const std::wstring digest = CMD5Checksum::FileDigestText(launcher);
  const double oneHash = Now() - start;

  auto context = MakeWorkerContext(nullptr);
  context->strWorkFolder = folder;
  start = Now();
  ReadEverySetting(*context, false);
  const double held = Now() - start;
  std::wstring check;
  ReadParamOption(*context, L"ProductName", AssistFilePath(*context), check);
  context->heldLauncher.Release();

  auto again = MakeWorkerContext(nullptr);
  again->strWorkFolder = folder;
  start = Now();
  ReadEverySetting(*again, true);
  const double rehashed = Now() - start;
  again->heldLauncher.Release();

  std::printf("launcher %.1f MiB, digest %ls\n", mib, digest.c_str());
  std::printf("ProductName reads back as \"%ls\"\n", check.c_str());
  std::printf("one hash of the launcher            %.3f s\n", oneHash);
  std::printf("all 14 settings, launcher held      %.3f s  (%.2f hashes)\n", held, held / oneHash);
  std::printf("all 14 settings, hashed per value   %.3f s  (%.2f hashes)\n", rehashed, rehashed / oneHash);
  return check == L"Benchmark Product" ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && std::wstring(argv[1]) == L"digest") return Digest(argv[2], argc >= 4 ? _wtoi(argv[3]) : 3);
  if (argc == 3 && std::wstring(argv[1]) == L"settings") return Settings(argv[2]);
  std::fprintf(stderr, "usage: settings_bench digest FILE [ROUNDS] | settings FOLDER\n");
  return 2;
}
