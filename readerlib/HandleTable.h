#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>

namespace readerlib {

// Entries by positive handle. Handles count up from 1 and start again at 1 only after
// lastHandle, skipping those still in use, so a handle just released is not given out again
// at once. Not locked: the owner guards it.
template <typename Entry> class HandleTable {
public:
    explicit HandleTable(std::size_t capacity,
                         std::int32_t lastHandle = std::numeric_limits<std::int32_t>::max())
        : lastHandle_(std::max<std::int32_t>(1, lastHandle)),
          capacity_(std::min(capacity, static_cast<std::size_t>(lastHandle_))) {}

    // Returns the handle given to entry, or 0 when the table is full.
    std::int32_t add(std::shared_ptr<Entry> entry) {
        if (entries_.size() >= capacity_) {
            return 0;
        }
        std::int32_t handle = lastGiven_;
        do {
            handle = handle >= lastHandle_ ? 1 : handle + 1;
        } while (entries_.count(handle) != 0);
        entries_.emplace(handle, std::move(entry));
        lastGiven_ = handle;
        return handle;
    }

    std::shared_ptr<Entry> find(std::int32_t handle) const {
        const auto found = entries_.find(handle);
        return found == entries_.end() ? nullptr : found->second;
    }

    bool remove(std::int32_t handle) { return entries_.erase(handle) != 0; }

    // The smallest handle in use above previous, or 0 when there is none.
    std::int32_t nextAfter(std::int32_t previous) const {
        const auto next = entries_.upper_bound(previous);
        return next == entries_.end() ? 0 : next->first;
    }

    std::size_t size() const { return entries_.size(); }

private:
    std::int32_t lastHandle_;
    std::size_t capacity_;
    std::int32_t lastGiven_ = 0;
    std::map<std::int32_t, std::shared_ptr<Entry>> entries_;
};

} // namespace readerlib
