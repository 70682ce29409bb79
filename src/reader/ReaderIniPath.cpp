#include "ReaderIniPath.h"

#include <filesystem>

std::string readerIniPath() {
    return (std::filesystem::current_path() / "ZQKRT_Tovrel.ini").string();
}
