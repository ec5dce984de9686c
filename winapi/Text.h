// UTF-8 inside, UTF-16 at the Windows edge. One policy for text that is not well formed:
// an invalid UTF-8 sequence or an unpaired surrogate becomes U+FFFD, so a conversion never
// fails and never drops the rest of the text. (Names reaching generated code are checked
// long before they get here.)
#pragma once

#include <string>
#include <string_view>

namespace tolvane::winapi {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view utf16);

}  // namespace tolvane::winapi
