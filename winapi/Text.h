// Text at the Windows edge: UTF-8 inside, UTF-16 outside, and Windows' own comparison of the
// names it owns. One policy for text that is not well formed:
// an invalid UTF-8 sequence or an unpaired surrogate becomes U+FFFD, so a conversion never
// fails and never drops the rest of the text. (Names reaching generated code are checked
// long before they get here.)
#pragma once

#include <string>
#include <string_view>

namespace tolvane::winapi {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view utf16);

// Equal but for case, by Windows' own rule for the names it compares (window class names,
// Automation member names): ordinal, with Windows' upper-case table. VB names (controls,
// forms, settings) are compared with vb::SameNameIgnoringCase instead.
bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) noexcept;

}  // namespace tolvane::winapi
