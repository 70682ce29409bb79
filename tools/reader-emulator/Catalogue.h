#pragma once

#include "WireFrame.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace emulator {

// A known transponder: what a bare "place UID" makes of it, and the drug it is stuck on.
struct CatalogueEntry {
    wire::Bytes uid; // host order
    std::uint8_t type = 0;
    int blockCount = 0;
    int blockSize = 0;
    std::string drug;
};

struct Catalogue {
    std::vector<CatalogueEntry> entries;

    const CatalogueEntry* find(const wire::Bytes& uid) const;
};

constexpr std::size_t kMaxCatalogueBytes = 1 << 20;

// Tab-separated text: a header line, then per line UID (16 hex digits), type (hex byte),
// blocks, block size and the drug name; blanks around a field do not count. Blank lines are
// skipped. On a bad line, or a UID that comes twice, error names the line and the result is
// empty.
Catalogue parseCatalogue(std::string_view text, std::string& error);

} // namespace emulator
