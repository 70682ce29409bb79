#include "BalanceFault.h"

namespace balance {
namespace {

// Where the zero byte goes: in place of the comma after the header.
constexpr std::size_t kZeroAt = 2;

} // namespace

std::vector<std::uint8_t> spoilLine(Fault fault, const std::string& line, std::mt19937& random) {
    std::vector<std::uint8_t> bytes(line.begin(), line.end());
    switch (fault) {
    case Fault::Silence:
        return {};
    case Fault::Garbage:
        for (std::uint8_t& byte : bytes) {
            byte =
                static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0x20, 0x7E)(random));
        }
        break;
    case Fault::Zeros:
        if (bytes.size() > kZeroAt) {
            bytes[kZeroAt] = 0;
        }
        break;
    case Fault::Flood:
        while (!line.empty() && bytes.size() < kFloodBytes) {
            bytes.insert(bytes.end(), line.begin(), line.end());
        }
        break;
    case Fault::None:
        break;
    }
    return bytes;
}

} // namespace balance
