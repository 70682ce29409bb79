#include "Catalogue.h"

#include "HexFields.h"
#include "Transponder.h"

#include <algorithm>

namespace emulator {
namespace {

constexpr std::size_t kColumns = 5;

std::string_view trimmed(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) {
        return {};
    }
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

std::vector<std::string_view> splitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t tab = line.find('\t');
        fields.push_back(trimmed(line.substr(0, tab)));
        if (tab == std::string_view::npos) {
            return fields;
        }
        line.remove_prefix(tab + 1);
    }
}

std::optional<CatalogueEntry> parseEntry(std::string_view line) {
    const std::vector<std::string_view> fields = splitTabs(line);
    if (fields.size() != kColumns) {
        return std::nullopt;
    }
    const auto uid = parseUid(fields[0]);
    const auto type = parseHexByte(fields[1]);
    const auto blocks = parseDecimal(fields[2], 1, kMaxBlockCount);
    const auto blockSize = parseDecimal(fields[3], 1, kMaxBlockSize);
    if (!uid || !type || !blocks || !blockSize || fields[4].empty()) {
        return std::nullopt;
    }
    return CatalogueEntry{*uid, *type, *blocks, *blockSize, std::string(fields[4])};
}

} // namespace

const CatalogueEntry* Catalogue::find(const wire::Bytes& uid) const {
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const CatalogueEntry& entry) { return entry.uid == uid; });
    return found == entries.end() ? nullptr : &*found;
}

Catalogue parseCatalogue(std::string_view text, std::string& error) {
    error.clear();
    Catalogue catalogue;
    if (text.size() > kMaxCatalogueBytes) {
        error = "catalogue larger than " + std::to_string(kMaxCatalogueBytes) + " bytes";
        return {};
    }
    bool headerSeen = false;
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.find_first_not_of(" \t") == std::string_view::npos) {
            continue;
        }
        if (!headerSeen) {
            headerSeen = true;
            continue;
        }
        auto entry = parseEntry(line);
        if (!entry) {
            error = "catalogue line " + std::to_string(lineNumber) + ": bad entry";
            return {};
        }
        if (catalogue.find(entry->uid) != nullptr) {
            error = "catalogue line " + std::to_string(lineNumber) + ": UID listed twice";
            return {};
        }
        catalogue.entries.push_back(std::move(*entry));
    }
    return catalogue;
}

} // namespace emulator
