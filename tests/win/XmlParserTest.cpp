// Reading the package's message file through the platform's XML service.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ui/XmlParser.h"

using nsCommon::CXMLParser;

namespace {

class XmlParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"lorent-MessageInfo.xml";
  }
  void TearDown() override {
    DeleteFileW(path_.c_str());
    CoUninitialize();
  }
  void Write(const char* bytes) {
    FILE* file = _wfopen(path_.c_str(), L"wb");
    std::fputs(bytes, file);
    std::fclose(file);
  }
  std::wstring Select(const wchar_t* selection) {
    CXMLParser parser;
    if (!parser.LoadXmlFile(path_)) return L"(not loaded)";
    auto node = parser.SelectNode(selection);
    return node ? nsCommon::NodeText(node.Get()) : L"(none)";
  }
  std::wstring path_;
};

TEST_F(XmlParserTest, ReadsTheElementOfALanguage) {
  Write("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<MessageInfo>"
        "<ENG>After installation complete, be sure to reboot your PC.</ENG>"
        "<JPN>\xE3\x83\x97\xE3\x83\xAD\xE3\x82\xB0\xE3\x83\xA9\xE3\x83\xA0</JPN></MessageInfo>");
  EXPECT_EQ(Select(L"MessageInfo/ENG"), L"After installation complete, be sure to reboot your PC.");
  EXPECT_EQ(Select(L"MessageInfo/JPN"), L"\u30D7\u30ED\u30B0\u30E9\u30E0");
  EXPECT_EQ(Select(L"MessageInfo/DEU"), L"(none)");
}

TEST_F(XmlParserTest, NamespacedDocumentsAreSearchedInTheirNamespace) {
  // Children in the document element's namespace, and children without one.
  Write("<MessageInfo xmlns=\"urn:example:messages\"><ENG>in the namespace</ENG></MessageInfo>");
  EXPECT_EQ(Select(L"MessageInfo/ENG"), L"in the namespace");
  Write("<m:MessageInfo xmlns:m=\"urn:example:messages\"><ENG>plain child</ENG></m:MessageInfo>");
  EXPECT_EQ(Select(L"MessageInfo/ENG"), L"plain child");
}

TEST_F(XmlParserTest, BrokenOrMissingFilesDoNotLoad) {
  Write("<MessageInfo><ENG>unclosed</MessageInfo>");
  EXPECT_EQ(Select(L"MessageInfo/ENG"), L"(not loaded)");
  DeleteFileW(path_.c_str());
  EXPECT_EQ(Select(L"MessageInfo/ENG"), L"(not loaded)");
  CXMLParser parser;
  EXPECT_FALSE(parser.LoadXmlFile(L""));
}

}  // namespace
