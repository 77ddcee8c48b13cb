#include "settings/HeldFile.h"

#include <memory>
#include <new>

#include "settings/Md5.h"

namespace lorent {

namespace {

// Large pieces: the per-call cost of a read then vanishes beside the hashing.
constexpr DWORD kPiece = 256 * 1024;

}  // namespace

bool DigestOpenFile(HANDLE file, std::wstring& text) {
  LARGE_INTEGER start = {};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) return false;
  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kPiece]);
  if (!buffer) return false;
  CMD5Checksum md5;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer.get(), kPiece, &got, nullptr)) return false;
    if (got == 0) break;
    md5.Update(buffer.get(), got);
  }
  uint8_t digest[16];
  md5.Final(digest);
  const std::string hex = CMD5Checksum::DigestText(digest);
  text.assign(hex.begin(), hex.end());
  return true;
}

std::wstring CMD5Checksum::FileDigestText(const std::wstring& path) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                              nullptr));
  std::wstring text;
  if (!file || !DigestOpenFile(file.Get(), text)) text.clear();
  return text;
}

const std::wstring& CHeldFile::DigestText(const std::wstring& path) {
  if (m_file && path == m_strPath) return m_strDigest;
  Release();
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (file && DigestOpenFile(file.Get(), m_strDigest)) {
    m_file = std::move(file);
    m_strPath = path;
  } else {
    m_strDigest.clear();
  }
  return m_strDigest;
}

void CHeldFile::Release() {
  m_file.Reset();
  m_strPath.clear();
  m_strDigest.clear();
}

}  // namespace lorent
