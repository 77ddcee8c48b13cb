#include "ui/XmlParser.h"

#include <ole2.h>

namespace nsCommon {

namespace {

// Not in every import library: the documented identifiers.
const CLSID kClsidDomDocument30 = {0xF5078F32, 0xC551, 0x11D3, {0x89, 0xB9, 0x00, 0x00, 0xF8, 0x1F, 0xE2, 0x21}};
const IID kIidXmlDomDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// A VARIANT that holds a string and clears itself.
class StringVariant {
 public:
  explicit StringVariant(const std::wstring& text) {
    VariantInit(&v_);
    v_.vt = VT_BSTR;
    v_.bstrVal = SysAllocString(text.c_str());
  }
  ~StringVariant() { VariantClear(&v_); }
  StringVariant(const StringVariant&) = delete;
  StringVariant& operator=(const StringVariant&) = delete;
  const VARIANT& Get() const { return v_; }

 private:
  VARIANT v_;
};

}  // namespace

CXMLParser::CXMLParser() {
  lorent::ComPtr<IUnknown> unknown;
  if (FAILED(CoCreateInstance(kClsidDomDocument30, nullptr, CLSCTX_ALL, IID_IUnknown, unknown.PutVoid())))
    return;
  if (FAILED(OleRun(unknown.Get()))) return;
  unknown->QueryInterface(kIidXmlDomDocument2, m_pDocument.PutVoid());
}

bool CXMLParser::LoadXmlFile(const std::wstring& path) {
  if (path.empty() || !m_pDocument) return false;
  VARIANT_BOOL loaded = VARIANT_FALSE;
  const StringVariant source(path);
  if (FAILED(m_pDocument->load(source.Get(), &loaded)) || loaded != VARIANT_TRUE) return false;

  lorent::ComPtr<IXMLDOMElement> root;
  lorent::Bstr uri;
  if (SUCCEEDED(m_pDocument->get_documentElement(root.Put())) && root &&
      SUCCEEDED(root->get_namespaceURI(uri.Put())) && uri.Text()[0] != L'\0') {
    // The namespace declaration in its plain form, which every version of the
    // XML service accepts. When even that is refused, the document cannot be
    // searched and counts as not loaded.
    const StringVariant declaration(L"xmlns:bk='" + std::wstring(uri.Text()) + L"'");
    const lorent::Bstr property(L"SelectionNamespaces");
    if (FAILED(m_pDocument->setProperty(property.Get(), declaration.Get()))) return false;
    m_strPrefix = L"//bk:";
  }
  return true;
}

lorent::ComPtr<IXMLDOMNode> CXMLParser::SelectNode(const std::wstring& path) {
  lorent::ComPtr<IXMLDOMNode> node;
  if (!m_pDocument) return node;
  const lorent::Bstr query((m_strPrefix + path).c_str());
  if (m_pDocument->selectSingleNode(query.Get(), node.Put()) != S_OK) node.Reset();
  if (!node && !m_strPrefix.empty()) {
    // In a namespaced document the language elements usually share the
    // namespace of the document element: look for them there too.
    std::wstring qualified = m_strPrefix;
    for (wchar_t c : path) {
      qualified += c;
      if (c == L'/') qualified += L"bk:";
    }
    const lorent::Bstr second(qualified.c_str());
    if (m_pDocument->selectSingleNode(second.Get(), node.Put()) != S_OK) node.Reset();
  }
  return node;
}

std::wstring NodeText(IXMLDOMNode* node) {
  lorent::Bstr text;
  if (!node || FAILED(node->get_text(text.Put()))) return {};
  return text.Text();
}

}  // namespace nsCommon
