// Arbitrary resource bytes through decoding and parsing: a malformed script is refused, never a crash.
#include <cstddef>
#include <cstdint>
#include <span>

#include "framework/com/registrar_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace glyphpeek::com;
    const ScriptVariable variables[] = {{u"MODULE", u"C:\\x\\it's.dll"}, {u"APPID", u"{0}"}};
    auto text = DecodeScriptBytes(std::span(data, size));
    if (!text) return 0;
    ScriptError error;
    (void)ParseScript(*text, variables, &error);
    return 0;
}
