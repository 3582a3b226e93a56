#pragma once
// PlainLinesPrefix with a kernel table of the caller's choice, so that tests
// run the scan with every table. Internal: the scanner includes
// jobs/PlainLines.h.

#include <cstddef>
#include <string_view>

#include "codecs/Dispatch.h"

namespace twick {

size_t PlainLinesPrefixWith(const KernelTable& kernels, std::string_view text, bool& stopped,
                            bool partFields = true, bool blankLinesMatter = true);

}  // namespace twick
