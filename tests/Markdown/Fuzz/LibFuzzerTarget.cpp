// libFuzzer entry: every consumer of the Markdown library over the fuzzer's bytes taken as text.

#include "HostileMarkdown.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Markdown::Fuzz::exerciseMarkdown(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
