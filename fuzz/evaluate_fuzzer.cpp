// Arbitrary bytes as a formula with one callable function: Evaluate must return a finite
// value, and must neither crash nor hang.
//
// Input layout: 31 bytes of request settings (x, a and b as raw 80-bit values, then the
// degree flag), then "NAME=FORMULA" of the callable function, a newline, and the formula.

#include "calc/evaluate.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

velquor::Ext readExt(const std::uint8_t* bytes)
{
    velquor::Ext value = 0;
    std::memcpy(&value, bytes, 10);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t SettingsSize = 31;
    velquor::EvaluationRequest request;
    request.x = 2;
    request.a = 3;
    request.b = 0.5L;
    if (size >= SettingsSize) {
        request.x = readExt(data);
        request.a = readExt(data + 10);
        request.b = readExt(data + 20);
        request.degreeMode = data[30] & 1;
        data += SettingsSize;
        size -= SettingsSize;
    }
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto newline = text.find('\n');
    if (newline != std::string_view::npos) {
        const std::string_view definition = text.substr(0, newline);
        const auto equals = definition.find('=');
        request.funcCount = 1;
        request.funcNames[0] = std::string(definition.substr(0, equals));
        if (equals != std::string_view::npos)
            request.funcFormulas[0] = std::string(definition.substr(equals + 1));
        text.remove_prefix(newline + 1);
    }
    request.formula = std::string(text);
    if (!std::isfinite(velquor::Evaluate(request)))
        std::abort();
    return 0;
}
