// The package's message before the launch, in the user's language.
#include <objbase.h>

#include "framework/WinText.h"
#include "res/resource.h"
#include "ui/MessageElement.h"
#include "ui/NormalMessageBox.h"
#include "ui/ProgressWindow.h"
#include "ui/Texts.h"
#include "ui/XmlParser.h"

namespace lorent {

bool CLorentDlg::ShowAfterInstallMessage() {
  const bool separated = !m_strWorkFolder.empty() && m_strWorkFolder.back() == L'\\';
  const std::wstring path = m_strWorkFolder + (separated ? L"" : L"\\") + L"MessageInfo.xml";
  std::wstring message;
  std::wstring okText;
  std::wstring cancelText;
  LANGID chosen = 0;

  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(com) || com == RPC_E_CHANGED_MODE) {
    {
      nsCommon::CXMLParser parser;
      const bool loaded = parser.LoadXmlFile(path);
      std::wstring selection;
      if (loaded) {
        std::wstring list;
        BuildPreferredLanguageList(list);
        std::wstring item;
        for (size_t i = 0; GetLanguageListItem(list, i, item); ++i) {
          if (item.empty()) continue;
          chosen = ParseLanguageId(item);
          std::wstring tag;
          if (!LanguageTagFromId(chosen, tag)) continue;
          const std::u16string_view found = SelectionPathForTag(AsU16(tag));
          if (!found.empty()) {
            selection.assign(AsWide(found));
            break;
          }
        }
      }
      if (selection.empty()) {
        selection.assign(AsWide(kFallbackSelectionPath));
        chosen = kLangEnglishUS;
      }
      ComPtr<IXMLDOMNode> node;
      if (loaded) node = parser.SelectNode(selection);
      if (!node) {
        selection.assign(AsWide(kFallbackSelectionPath));
        chosen = kLangEnglishUS;
        node = parser.SelectNode(selection);
        if (!node) m_bShowMessage = false;
      }
      if (node) message = nsCommon::NodeText(node.Get());
      LoadStringInLanguage(okText, IDS_OK, chosen);
      LoadStringInLanguage(cancelText, IDS_CANCEL, chosen);
    }
    if (com != RPC_E_CHANGED_MODE) CoUninitialize();
  }

  message.assign(AsWide(DoubleAmpersands(AsU16(message))));
  bool answer = true;
  if (m_bShowMessage) {
    if (okText.empty()) LoadStringInLanguage(okText, IDS_OK, kLangEnglishUS);
    CNormalMessageBox box;
    if (m_bOkOnly) {
      box.SetTexts(message.c_str(), m_strProductName.c_str(), okText.c_str(), L"");
      box.DoModal();
    } else {
      if (cancelText.empty()) LoadStringInLanguage(cancelText, IDS_CANCEL, kLangEnglishUS);
      // OK on the left, Cancel on the right.
      box.SetTexts(message.c_str(), m_strProductName.c_str(), cancelText.c_str(), okText.c_str());
      const INT_PTR result = box.DoModal();
      answer = result != IDNO && result != IDCANCEL;
    }
  }
  return answer;
}

}  // namespace lorent
