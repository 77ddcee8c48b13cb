#include "ui/FailureReport.h"

#include "res/resource.h"
#include "ui/NormalMessageBox.h"
#include "ui/Texts.h"

namespace lorent {

void ShowFailureReport(UINT codeTextId) {
  std::wstring message;
  std::wstring code;
  std::wstring button;
  LoadStringOrEnglish(IDS_SETUP_FAILED, message);
  LoadStringOrEnglish(codeTextId, code);
  LoadStringOrEnglish(IDS_OK, button);

  CNormalMessageBox box;
  box.m_strMessage = message + code;  // nothing between them, not even a space
  box.m_strCaption = L"Error";        // the same word in every language
  box.m_strButton1 = button;
  box.DoModal();
}

}  // namespace lorent
