#include "TextFile.h"

#include <fstream>

namespace emulator {

std::optional<std::string> readTextFile(const std::string& path, std::size_t maxBytes,
                                        std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot be read";
        return std::nullopt;
    }
    std::string content;
    char chunk[4096];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
        content.append(chunk, static_cast<std::size_t>(file.gcount()));
        if (content.size() > maxBytes) {
            error = path + ": larger than " + std::to_string(maxBytes) + " bytes";
            return std::nullopt;
        }
    }
    return content;
}

} // namespace emulator
