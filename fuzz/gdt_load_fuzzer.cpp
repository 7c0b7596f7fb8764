// Loads arbitrary bytes as a .gdt file. Whatever they hold, the load either completes or
// stops with an Error, the table never passes its 100 slots, and every text of the document
// is valid UTF-8. The first byte also decides how the degree question is answered.
#include "calc/error.h"
#include "document/gdt_loader.h"
#include "document/gdt_writer.h"
#include "document/text_encoding.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "gdt_load_fuzzer: %s\n", what);
        std::abort();
    }
}

void requireUtf8(const std::string& text, const char* what)
{
    require(velquor::isValidUtf8(text), what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace velquor;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    DocumentHooks hooks;
    const bool answer = size > 0 && (data[0] & 1) != 0;
    int questions = 0;
    hooks.askDegreeAutoSettings = [&] {
        ++questions;
        return answer;
    };
    Document document(hooks);
    try {
        loadGdtBytes(document, bytes, "fuzz.gdt");
    } catch (const Error&) {
        // A bad integer stops the load; what was read stays and is checked below.
    }
    require(document.graphCount() >= 0 && document.graphCount() <= MaxEntries, "graphCount");
    for (int slot = 0; slot < document.graphCount(); ++slot) {
        const GraphEntry& entry = document.entry(slot);
        for (const std::string* text :
            { &entry.name, &entry.formula1, &entry.formula2, &entry.rangeFrom, &entry.rangeTo })
            requireUtf8(*text, "entry text is not UTF-8");
    }
    const DocumentSettings& s = document.settings();
    for (const std::string* text : { &s.accuracy, &s.tempAccuracy, &s.interval, &s.interval2,
             &s.ratio, &s.mainLineWidth, &s.valA, &s.valB, &s.aInterval, &s.bInterval, &s.animate })
        requireUtf8(*text, "setting text is not UTF-8");

    // What was loaded is written and read back to the same bytes, as long as no settings
    // text could be taken for a key (such a text is read as that key, by design).
    bool keyLike = false;
    for (const std::string* text : { &s.accuracy, &s.tempAccuracy, &s.interval, &s.interval2,
             &s.ratio, &s.mainLineWidth, &s.valA, &s.valB, &s.aInterval, &s.bInterval, &s.animate })
        keyLike = keyLike || text->starts_with('[');
    const std::string written = encodeGdt(document);
    Document again;
    try {
        loadGdtBytes(again, written, "again.gdt");
        require(keyLike || encodeGdt(again) == written, "save, load, save changed the bytes");
    } catch (const Error&) {
        require(keyLike, "a written document did not load");
    }
    return 0;
}
