// Feeds arbitrary bytes to the deframer and the ISO layouts and checks what must always hold.
// The first input byte picks where the stream is split into two reads.
#include "Deframer.h"
#include "IsoLayout.h"
#include "WireFrame.h"

#include <algorithm>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool sameFrame(const wire::Frame& a, const wire::Frame& b) {
    return a.address == b.address && a.command == b.command && a.status == b.status &&
           a.data == b.data;
}

void deframe(wire::FrameKind kind, const wire::Bytes& stream, std::size_t split) {
    wire::Deframer deframer(kind);
    const std::size_t maxData =
        kind == wire::FrameKind::Reply ? wire::kMaxReplyData : wire::kMaxRequestData;
    const std::size_t reads[2][2] = {{0, split}, {split, stream.size()}};
    for (const auto& read : reads) {
        deframer.feed(stream.data() + read[0], read[1] - read[0]);
        while (auto frame = deframer.next()) {
            check(frame->data.size() <= maxData);
            // A frame found must be bytes that were fed, and read back as the same frame.
            const auto bytes = wire::encode(kind, *frame);
            check(bytes.has_value());
            check(std::search(stream.begin(), stream.end(), bytes->begin(), bytes->end()) !=
                  stream.end());
            wire::Deframer again(kind);
            again.feed(bytes->data(), bytes->size());
            const auto decoded = again.next();
            check(decoded && sameFrame(*decoded, *frame) && again.bufferedBytes() == 0);
        }
        check(deframer.bufferedBytes() < wire::kMaxLength + wire::kOverhead);
    }
}

void convert(const wire::Bytes& bytes) {
    for (int command = 0; command < 256; ++command) {
        const auto host = iso::wireReplyToHost(std::uint8_t(command), bytes);
        if (!host)
            continue;
        // The turn moves bytes, it never adds or drops any.
        check(host->size() <= iso::kReplyBufferSize);
        check(host->size() == bytes.size());
        if (command != iso::Inventory && command != iso::GetSystemInformation)
            check(*host == bytes);
    }
    const auto wireRequest = iso::hostRequestToWire(bytes);
    if (wireRequest) {
        check(wireRequest->size() == bytes.size());
        check(iso::hostRequestToWire(*wireRequest) == bytes);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const wire::Bytes stream(data + 1, data + size);
    const std::size_t split = stream.empty() ? 0 : data[0] % (stream.size() + 1);
    deframe(wire::FrameKind::Request, stream, split);
    deframe(wire::FrameKind::Reply, stream, split);
    convert(stream);
    return 0;
}
