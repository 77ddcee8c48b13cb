#include "app/RunSequence.h"

#include <objbase.h>
#include <shellapi.h>

#include "app/AgentKey.h"
#include "checks/ManufacturerCheck.h"
#include "checks/SystemChecks.h"
#include "framework/FileSystem.h"
#include "framework/WinText.h"
#include "launch/LaunchSetup.h"
#include "launch/LaunchText.h"
#include "package/Extraction.h"
#include "package/FolderRemoval.h"
#include "package/StagingFolder.h"
#include "settings/HeldFile.h"
#include "settings/SettingsFile.h"
#include "res/resource.h"
#include "ui/FailureReport.h"

namespace lorent {

namespace {

// The end of every run that got as far as running the package.
void RemoveRunFolder(const CWorkerContext& context) {
  const std::wstring staging = StagingFolderPath();
  if (staging.empty()) return;
  if (GetOSVersionCode() < kVersionCodeVista) {
    RemoveFolderTree(staging, true);
  } else {
    DeleteFolderContents(context.strRunGuid.empty() ? staging : staging + L"\\" + context.strRunGuid, true);
  }
}

// Settings, digest test, checks, after-install message and launch. Returns
// when the run is over, however far it got.
void RunSettingsChecksAndLaunch(CWorkerContext& context, const std::wstring& commandLine) {
  CRunState& state = TheRunState();
  const std::wstring& work = context.strWorkFolder;
  const bool assistPresent = PathExists(work + L"AssistFile.ini");
  const std::wstring assist = AssistFilePath(context);

  std::wstring executeFileName, paramManual, paramDam, paramDaau, check;
  ReadParamOption(context, L"ExecuteFileName", assist, executeFileName);
  ReadParamOption(context, L"ParamManual", assist, paramManual);
  ReadParamOption(context, L"ParamDAM", assist, paramDam);
  ReadParamOption(context, L"ParamDAAU", assist, paramDaau);
  ReadParamOption(context, L"ProductName", assist, context.strProductName);
  const std::wstring target = work + executeFileName;
  ReadParamOption(context, L"UseZEKACheck", assist, check);
  ReadParamOption(context, L"Elevation", assist, context.strElevation);
  ReadParamOption(context, L"ShowResult", assist, context.strShowResult);
  state.m_strShowResult = context.strShowResult;
  ReadParamOption(context, L"SuccessCode", assist, context.strSuccessCode);
  state.m_strSuccessCode = context.strSuccessCode;

  // The packaged setup is hashed once and held, so that it cannot be replaced
  // between this test and the end of the launch.
  CHeldFile setup;
  if (SetupLauncherExists(context)) {
    std::wstring expected;
    ReadParamOption(context, L"enc_data", assist, expected);
    const std::wstring& digest = setup.DigestText(target);
    if (CompareStringOrdinal(expected.c_str(), static_cast<int>(expected.size()), digest.c_str(),
                             static_cast<int>(digest.size()), TRUE) != CSTR_EQUAL) {
      ShowFailureReport(IDS_ERROR_CODE_1001);
      return;
    }
  }

  if (check == L"1") {
    if (!IsUserAdministrator()) {
      PostWarning(context, kWarningAdministrator);
      return;
    }
    if (!CheckManufacturer()) {
      PostWarning(context, kWarningManufacturer);
      return;
    }
  }

  std::wstring modeParameter;
  if (LoadMessageSettings(&context)) modeParameter = paramDaau;
  else if (IsManualLaunch()) modeParameter = paramManual;
  else if (IsAgentLaunch()) modeParameter = paramDam;
  const std::wstring parameters(AsWide(BuildParameterString(AsU16(modeParameter), AsU16(commandLine))));

  if (!context.hWnd) return;
  CAfterInstallRequest request;
  request.bShowMessage = context.bShowMessage;
  request.bOkOnly = context.bOkOnly;
  request.strWorkFolder = work;
  request.strProductName = context.strProductName;
  const LRESULT reply = SendMessageW(context.hWnd, UWM_SHOW_AFTER_MESSAGE, 0, reinterpret_cast<LPARAM>(&request));
  if (reply == 1 && assistPresent && PathExists(target)) LaunchSetup(&context, target, parameters);
}

}  // namespace

bool LoadMessageSettings(CWorkerContext* context) {
  if (ReadAgentKey().silentExecution == 1) return true;
  std::wstring text;
  const std::wstring path = MessageSettingPath(*context);
  ReadSetting(*context, L"IsShowMessageBox", path, text);
  if (text == L"1") {
    context->bShowMessage = true;
    ReadSetting(*context, L"IsOk", path, text);  // a missing IsOk leaves "1"
    context->bOkOnly = text == L"1";
  } else {
    context->bShowMessage = false;
  }
  return false;
}

bool RunPackage(CWorkerContext* context, const std::wstring& commandLine) {
  // Nothing was extracted when there is no working folder (no package, a
  // damaged one, no common application-data folder): settings and files
  // would otherwise be looked for relative to the current folder.
  if (context->bProceed && !context->strWorkFolder.empty()) {
    RunSettingsChecksAndLaunch(*context, commandLine);
  } else if (!context->bProceed && context->bUserFolder) {
    std::wstring folder = context->strChosenFolder;
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    folder += L'\\';
    ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
  // The setup launcher stays held until here; the folder can go now.
  context->heldLauncher.Release();
  RemoveRunFolder(*context);
  return true;
}

DWORD WINAPI WorkerThreadProc(LPVOID parameter) {
  auto* context = static_cast<CWorkerContext*>(parameter);
  if (!context) return 0;
  // The folder browser and the shell launch want a single-threaded apartment.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  ExtractPackage(context, context->bShowUI);
  Sleep(kPauseAfterExtraction);
  if (context->bRun) RunPackage(context, context->strCmdLine);
  if (SUCCEEDED(com)) CoUninitialize();
  if (context->hWnd) PostMessageW(context->hWnd, WM_CLOSE, 0, 0);
  return 0;
}

}  // namespace lorent
