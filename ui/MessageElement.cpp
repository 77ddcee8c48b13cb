#include "ui/MessageElement.h"

namespace lorent {

namespace {

struct Element {
  std::u16string_view tag;
  std::u16string_view path;
};

constexpr Element kElements[] = {
    {u"zh-cn", u"MessageInfo/CHS"}, {u"zh-tw", u"MessageInfo/CHT"}, {u"nl-nl", u"MessageInfo/NLD"},
    {u"hu-hu", u"MessageInfo/HUN"}, {u"fr-fr", u"MessageInfo/FRA"}, {u"de-de", u"MessageInfo/DEU"},
    {u"it-it", u"MessageInfo/ITA"}, {u"ja-jp", u"MessageInfo/JPN"}, {u"ko-kr", u"MessageInfo/KOR"},
    {u"ru-ru", u"MessageInfo/RUS"}, {u"es-es", u"MessageInfo/ESP"}, {u"en-us", u"MessageInfo/ENG"},
    {u"pl-pl", u"MessageInfo/PLK"}, {u"pt-br", u"MessageInfo/PTB"}, {u"th-th", u"MessageInfo/THA"},
    {u"sk-sk", u"MessageInfo/SLK"}, {u"el-gr", u"MessageInfo/ELL"}, {u"cs-cz", u"MessageInfo/CES"},
    {u"bg-bg", u"MessageInfo/BGR"}, {u"tr-tr", u"MessageInfo/TRK"}, {u"ro-ro", u"MessageInfo/ROM"},
    {u"uk-ua", u"MessageInfo/RUS"},
};

}  // namespace

std::u16string_view SelectionPathForTag(std::u16string_view tag) {
  for (const auto& element : kElements) {
    if (element.tag == tag) return element.path;
  }
  return {};
}

std::u16string DoubleAmpersands(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    out += c;
    if (c == u'&') out += u'&';
  }
  return out;
}

}  // namespace lorent
