#include "Inventory.h"

#include "AirTime.h"
#include "IsoLayout.h"

namespace emulator {
namespace {

constexpr std::uint8_t kSingleSlot = 0x01;

} // namespace

IsoResult runInventory(const std::vector<Transponder>& field, std::uint8_t mode) {
    const bool singleSlot = (mode & kSingleSlot) != 0;
    std::vector<std::vector<const Transponder*>> slots(singleSlot ? 1 : 16);
    for (const Transponder& transponder : field) {
        slots[singleSlot ? 0 : static_cast<std::size_t>(transponder.slot())].push_back(
            &transponder);
    }

    IsoResult result;
    std::vector<int> answersPerSlot;
    std::vector<const Transponder*> answered;
    bool collided = false;
    for (const auto& slot : slots) {
        answersPerSlot.push_back(static_cast<int>(slot.size()));
        collided = collided || slot.size() > 1;
        answered.insert(answered.end(), slot.begin(), slot.end());
    }
    result.airMicros = air::inventoryMicros(answersPerSlot);

    const std::size_t listed = std::min(answered.size(), kMaxListedTransponders);
    result.data.push_back(static_cast<std::uint8_t>(listed));
    for (std::size_t index = 0; index < listed; ++index) {
        const Transponder& transponder = *answered[index];
        result.data.push_back(transponder.type);
        result.data.push_back(transponder.dsfid);
        const Bytes uid = iso::uidToWire(transponder.uid);
        result.data.insert(result.data.end(), uid.begin(), uid.end());
    }

    if (answered.empty()) {
        result.status = iso::NoTransponder;
    } else if (answered.size() > kMaxListedTransponders) {
        result.status = iso::MoreTransponders;
    } else if (collided) {
        result.status = iso::CollisionResolved;
    } else {
        result.status = iso::Ok;
    }
    return result;
}

} // namespace emulator
