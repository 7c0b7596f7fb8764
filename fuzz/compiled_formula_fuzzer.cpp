// Arbitrary bytes as a formula with up to three callable functions: the compiled form, one
// sample at a time and in a batch, must give the literal scan's results bit for bit and leave
// the seed of "random" where the literal scan leaves it.
//
// Input layout: 31 bytes of request settings (x, a and b as raw 80-bit values, then the degree
// flag), then up to three lines "NAME=FORMULA" of callable functions, then the formula (the
// text after the last newline).

#include "calc/compiled_formula.h"
#include "calc/evaluate.h"

#include <array>
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

bool sameBits(velquor::Ext a, velquor::Ext b)
{
    return std::memcmp(&a, &b, 10) == 0;
}

void readTable(std::string_view& text, velquor::EvaluationRequest& request)
{
    for (int i = 0; i < 3; ++i) {
        const auto newline = text.find('\n');
        if (newline == std::string_view::npos)
            return;
        const std::string_view definition = text.substr(0, newline);
        const auto equals = definition.find('=');
        const auto slot = static_cast<std::size_t>(request.funcCount++);
        request.funcNames[slot] = std::string(definition.substr(0, equals));
        if (equals != std::string_view::npos)
            request.funcFormulas[slot] = std::string(definition.substr(equals + 1));
        text.remove_prefix(newline + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t SettingsSize = 31;
    velquor::EvaluationRequest request;
    velquor::Ext x = 2;
    request.a = 3;
    request.b = 0.5L;
    if (size >= SettingsSize) {
        x = readExt(data);
        request.a = readExt(data + 10);
        request.b = readExt(data + 20);
        request.degreeMode = data[30] & 1;
        data += SettingsSize;
        size -= SettingsSize;
    }
    std::string_view text(reinterpret_cast<const char*>(data), size);
    readTable(text, request);
    request.formula = std::string(text);

    // A formula left to the literal scan has nothing to compare (and its work, up to the whole
    // budget, would only slow the search down).
    velquor::CompiledFormula compiled(request);
    if (!compiled.isCompiled())
        return 0;

    // The input's x, zero of both signs and values about it.
    const std::array<velquor::Ext, 6> xs = { x, 0.0L, -0.0L, -x, x * 1e10L, 1.5L };
    std::array<velquor::Ext, 6> literal {};
    constexpr std::uint32_t Seed = 99;
    velquor::setRandomSeed(Seed);
    for (std::size_t i = 0; i < xs.size(); ++i) {
        request.x = xs[i];
        literal[i] = velquor::Evaluate(request);
    }
    const std::uint32_t literalSeed = velquor::randomSeed();

    velquor::setRandomSeed(Seed);
    for (std::size_t i = 0; i < xs.size(); ++i) {
        if (!sameBits(compiled.evaluate(xs[i]), literal[i]))
            std::abort();
    }
    if (velquor::randomSeed() != literalSeed)
        std::abort();

    std::array<velquor::Ext, 6> batch {};
    velquor::setRandomSeed(Seed);
    compiled.evaluate(xs.data(), batch.data(), xs.size());
    for (std::size_t i = 0; i < xs.size(); ++i) {
        if (!sameBits(batch[i], literal[i]))
            std::abort();
    }
    if (velquor::randomSeed() != literalSeed)
        std::abort();

    // A batch with a non-finite x runs checked throughout; the finite samples alone take the
    // unchecked pass.
    std::array<velquor::Ext, 6> finiteXs {};
    std::array<velquor::Ext, 6> finiteLiteral {};
    std::size_t finiteCount = 0;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        if (std::isfinite(xs[i])) {
            finiteXs[finiteCount] = xs[i];
            finiteLiteral[finiteCount++] = literal[i];
        }
    }
    if (compiled.usesRandom())
        return 0; // the literal sequence above was drawn for all six samples
    compiled.evaluate(finiteXs.data(), batch.data(), finiteCount);
    for (std::size_t i = 0; i < finiteCount; ++i) {
        if (!sameBits(batch[i], finiteLiteral[i]))
            std::abort();
    }
    return 0;
}
