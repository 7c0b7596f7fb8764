#pragma once

#include "document/document.h"

#include <memory>

namespace velquor {

// The reference document of the benchmarks on a surface of the given size: grid on; 20 function
// graphs (eight benchmark formulas and variants of them), five parameter curves of 360 divisions
// and five polar curves of 720, at zoom 40 about the centre, a = 2, b = 1.5.
std::unique_ptr<Document> referenceDocument(int width, int height);

} // namespace velquor
