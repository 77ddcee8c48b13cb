// A small reader for the package's message file, on the platform's XML
// service (MSXML 3.0).
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>

#include "framework/ComPtr.h"

namespace nsCommon {

class CXMLParser {
 public:
  // Creates the XML document; without the XML service the reader has none
  // and loads nothing. COM must be initialised on the calling thread.
  CXMLParser();
  virtual ~CXMLParser() = default;
  CXMLParser(const CXMLParser&) = delete;
  CXMLParser& operator=(const CXMLParser&) = delete;

  // Loads the file. When its document element has a namespace, selections are
  // made in that namespace.
  bool LoadXmlFile(const std::wstring& path);

  // The first node for the path ("MessageInfo/ENG"), or none.
  lorent::ComPtr<IXMLDOMNode> SelectNode(const std::wstring& path);

 private:
  lorent::ComPtr<IXMLDOMDocument2> m_pDocument;
  std::wstring m_strPrefix;  // "//bk:" for a namespaced document
};

// The node's text.
std::wstring NodeText(IXMLDOMNode* node);

}  // namespace nsCommon
