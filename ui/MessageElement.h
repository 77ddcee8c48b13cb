// Which element of MessageInfo.xml holds the message for a language.
#pragma once

#include <string>
#include <string_view>

namespace lorent {

// The selection path ("MessageInfo/JPN") for a language tag ("ja-jp"), or an
// empty text when the table has no element for the tag. Ukrainian users get
// the Russian element.
std::u16string_view SelectionPathForTag(std::u16string_view tag);

inline constexpr std::u16string_view kFallbackSelectionPath = u"MessageInfo/ENG";

// Every "&" doubled, so that a static text shows each ampersand once.
std::u16string DoubleAmpersands(std::u16string_view text);

}  // namespace lorent
