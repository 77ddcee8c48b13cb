// The progress sink handed to the shell's file operation object: it notes
// whether any item could not be deleted.
#pragma once

#include <windows.h>
#include <shobjidl.h>

namespace lorent {

class CFileOpInterface final : public IFileOperationProgressSink {
 public:
  CFileOpInterface() = default;
  CFileOpInterface(const CFileOpInterface&) = delete;
  CFileOpInterface& operator=(const CFileOpInterface&) = delete;

  // False once the operation reported a failed deletion.
  bool Succeeded() const { return m_bSuccess; }

  // IUnknown
  IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  IFACEMETHODIMP_(ULONG) AddRef() override;
  IFACEMETHODIMP_(ULONG) Release() override;

  // IFileOperationProgressSink
  IFACEMETHODIMP StartOperations() override { return S_OK; }
  IFACEMETHODIMP FinishOperations(HRESULT) override { return S_OK; }
  IFACEMETHODIMP PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
  IFACEMETHODIMP PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override { return S_OK; }
  IFACEMETHODIMP PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
  IFACEMETHODIMP PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
    return S_OK;
  }
  IFACEMETHODIMP PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
  IFACEMETHODIMP PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT hrCopy, IShellItem*) override {
    return hrCopy;
  }
  IFACEMETHODIMP PreDeleteItem(DWORD, IShellItem*) override { return S_OK; }
  IFACEMETHODIMP PostDeleteItem(DWORD, IShellItem*, HRESULT hrDelete, IShellItem*) override {
    if (FAILED(hrDelete)) m_bSuccess = false;
    return S_OK;
  }
  IFACEMETHODIMP PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
  IFACEMETHODIMP PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT, IShellItem*) override {
    return S_OK;
  }
  IFACEMETHODIMP UpdateProgress(UINT, UINT) override { return S_OK; }
  IFACEMETHODIMP ResetTimer() override { return S_OK; }
  IFACEMETHODIMP PauseTimer() override { return S_OK; }
  IFACEMETHODIMP ResumeTimer() override { return S_OK; }

 private:
  // Deleted by Release only.
  ~CFileOpInterface() = default;

  bool m_bSuccess = true;
  LONG m_cRef = 1;
};

}  // namespace lorent
