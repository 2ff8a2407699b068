#pragma once

#include <string_view>

namespace Markdown {

/// True when the two UTF-8 strings are canonically equivalent (the same text in NFC), so a precomposed
/// "é" equals "e" followed by a combining acute accent. Case and compatibility forms still differ.
bool canonicallyEqual(std::string_view a, std::string_view b);

} // namespace Markdown
