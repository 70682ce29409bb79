// Feeds arbitrary bytes to the deframer, the reply collector, the reply path of the reader
// commands, the ISO layouts, the transponder table's decoding of replies and the replies made
// from a PC/SC card's answers, and checks what must always hold.
//
// The input's last bytes (taken first) pick the request, a reply to it planted in the line, and
// how the line arrives: in reads of which some end in silence, where partial frames are dropped
// as the inter-byte time-out does. Its first bytes are the planted reply's data, then the noise
// around it.
#include "CardExchange.h"
#include "Deframer.h"
#include "IsoLayout.h"
#include "PubFunctions.h"
#include "ReplyCollector.h"
#include "ReplyResult.h"
#include "WireFrame.h"
#include "ZQKRT_TableArray.h"
#include "zqkrt.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <map>
#include <string>
#include <vector>
#include <winscard.h>

namespace {

constexpr std::size_t kMaxHeld = wire::kMaxLength + wire::kOverhead;
constexpr std::size_t kPlannedReads = 16;

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool sameFrame(const wire::Frame& a, const wire::Frame& b) {
    return a.address == b.address && a.command == b.command && a.status == b.status &&
           a.data == b.data;
}

// A frame found must be bytes that were fed.
bool cameIn(const wire::Bytes& stream, wire::FrameKind kind, const wire::Frame& frame) {
    const auto bytes = wire::encode(kind, frame);
    return bytes &&
           std::search(stream.begin(), stream.end(), bytes->begin(), bytes->end()) != stream.end();
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
            check(cameIn(stream, kind, *frame));
            // Read back as the same frame.
            const auto bytes = wire::encode(kind, *frame);
            wire::Deframer again(kind);
            again.feed(bytes->data(), bytes->size());
            const auto decoded = again.next();
            check(decoded && sameFrame(*decoded, *frame) && again.bufferedBytes() == 0);
        }
        check(deframer.bufferedBytes() < kMaxHeld);
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

// What the C functions give for reply: a status of the reader or one of the errors each
// documents, and a response only with a status that comes with one, within its buffer.
void replyPath(std::uint8_t isoCommand, const wire::Frame& reply) {
    const std::int32_t rate = zqkrt_internal::getBaudResult(reply);
    check(rate == reply.status || rate == ZQKRT_ERR_FRAMING);
    const std::int32_t reset = zqkrt_internal::rfResetResult(reply);
    check(reset == reply.status || reset == ZQKRT_ERR_FRAMING);

    constexpr std::uint8_t kUntouched = 0xCC;
    std::array<std::uint8_t, ZQKRT_RESPONSE_BUFFER_SIZE> response;
    response.fill(kUntouched);
    std::int32_t length = -1;
    const std::int32_t status =
        zqkrt_internal::isoCommandResult(isoCommand, reply, response.data(), length);
    check(status == reply.status || status == ZQKRT_ERR_FRAMING ||
          status == ZQKRT_ERR_BUFFER_TOO_SMALL);
    check(length >= 0 && std::size_t(length) <= response.size());
    if (status != reply.status || !ZQKRT_StatusCarriesReply(reply.status))
        check(length == 0);
    if (length > 0)
        check(std::size_t(length) == reply.data.size());
    check(std::all_of(response.begin() + length, response.end(),
                      [](std::uint8_t byte) { return byte == kUntouched; }));
}

// A well-formed reply frame that starts before at and ends behind it: it may take the bytes of
// a frame starting at at as its own.
bool frameOverlaps(const wire::Bytes& stream, std::size_t at) {
    for (std::size_t start = 0; start < at && start + 1 < stream.size(); ++start) {
        const std::size_t length = stream[start + 1];
        const std::size_t end = start + length + wire::kOverhead;
        if (stream[start] != wire::kStartOfFrame || length < 3 || end <= at || end > stream.size())
            continue;
        const std::uint16_t sent =
            std::uint16_t(stream[start + length + 2] | (stream[start + length + 3] << 8));
        if (wire::crc16(stream.data() + start + 1, length + 1) == sent)
            return true;
    }
    return false;
}

// Drops partial frames until none is left, as the transport does when the line falls silent.
void silence(zqkrt_internal::ReplyCollector& collector, std::size_t streamSize) {
    for (std::size_t drops = 0; collector.hasPartialFrame(); ++drops) {
        check(drops <= streamSize); // each drop takes a byte at least
        collector.dropPartialFrame();
        check(collector.bufferedBytes() < kMaxHeld);
    }
}

// What happens after the read that ends at a position.
enum class Pause { None, OneDrop, Silence };

void collect(std::uint8_t address, std::uint8_t command, const wire::Bytes& stream,
             const std::map<std::size_t, Pause>& pauses, std::size_t replyAt, std::size_t replyEnd,
             std::uint8_t isoCommand) {
    std::size_t heard = 0;
    zqkrt_internal::ReplyCollector collector(address, command, [&](const wire::Frame& frame) {
        check(cameIn(stream, wire::FrameKind::Reply, frame));
        ++heard;
    });
    bool replyBroken = false;
    std::size_t fed = 0;
    for (const auto& [end, pause] : pauses) {
        collector.feed(stream.data() + fed, end - fed);
        fed = end;
        check(collector.bufferedBytes() < kMaxHeld);
        if (pause == Pause::None)
            continue;
        replyBroken = replyBroken || (end > replyAt && end < replyEnd);
        if (pause == Pause::OneDrop) {
            collector.dropPartialFrame();
            check(collector.bufferedBytes() < kMaxHeld);
        } else {
            silence(collector, stream.size());
        }
    }
    silence(collector, stream.size());

    if (const auto& reply = collector.reply()) {
        check(reply->command == command);
        check(address == wire::kBroadcastAddress || reply->address == address);
        check(heard > 0);
        replyPath(isoCommand, *reply);
    } else {
        // The planted reply is lost only when the line broke it or a frame took its bytes.
        check(replyBroken || frameOverlaps(stream, replyAt));
        const std::int32_t failure = collector.failureStatus();
        check(failure == ZQKRT_ERR_TIMEOUT || failure == ZQKRT_ERR_CRC ||
              failure == ZQKRT_ERR_FRAMING);
    }
}

// A PC/SC card that answers each APDU with the next piece of answers: a length byte, then that
// many bytes (fewer at the end). Once they are used up the card is taken away.
class FuzzedCard : public zqcom_internal::CardChannel {
public:
    explicit FuzzedCard(const wire::Bytes& answers) : answers_(answers) {}

    long checkReader(std::chrono::milliseconds) override { return SCARD_S_SUCCESS; }
    long connectCard(std::chrono::milliseconds) override { return SCARD_S_SUCCESS; }
    long transmit(const wire::Bytes& apdu, wire::Bytes& reply) override {
        check(apdu.size() >= 5 && apdu.size() <= 5 + 255);
        if (at_ >= answers_.size())
            return SCARD_W_REMOVED_CARD;
        const std::size_t length = std::min<std::size_t>(answers_[at_], answers_.size() - at_ - 1);
        const auto begin = answers_.begin() + std::ptrdiff_t(at_ + 1);
        reply.assign(begin, begin + std::ptrdiff_t(length));
        at_ += 1 + length;
        return SCARD_S_SUCCESS;
    }
    void releaseCard() override {}

private:
    const wire::Bytes& answers_;
    std::size_t at_ = 0;
};

// Every reader command over a PC/SC port gives a reply that the serial path takes as it would a
// reader's, or one of the errors the card's answers can cause.
void cardPath(std::uint8_t isoCommand, const wire::Bytes& parameters, const wire::Bytes& answers) {
    wire::Bytes request{isoCommand};
    request.insert(request.end(), parameters.begin(), parameters.end());
    for (const std::uint8_t command : {0x52, 0x69, 0xB0}) {
        FuzzedCard card(answers);
        wire::Frame sent;
        sent.command = command;
        sent.data = request;
        wire::Frame reply;
        const std::int32_t status = zqkrt_internal::exchangeWithCard(
            card, zqcom_internal::PortParameters{}, sent, reply, {});
        check(status == ZQKRT_OK || status == ZQKRT_ERR_FRAMING);
        if (status != ZQKRT_OK)
            continue;
        check(reply.command == command && reply.data.size() <= wire::kMaxReplyData);
        replyPath(isoCommand, reply);
        if (command == 0xB0 && isoCommand == iso::Inventory && !reply.data.empty())
            check(reply.data[0] <= 1);
    }
}

constexpr std::size_t kMaxTableEntries = 25;
constexpr std::size_t kEntryChars = 20;
constexpr const char* kSelectedSerial = "E004010012345678";

// Inventory text decoded into a table with records added first: no more records than whole
// entries in the text, each with its 8-byte serial number.
void checkInventoryDecode(const TZQKRT_TableArray& table, const std::string& text,
                          std::size_t added) {
    const std::size_t entries = text.size() >= 2 ? (text.size() - 2) / kEntryChars : 0;
    check(std::size_t(table.Count) == table.Items.size());
    check(table.Items.size() <= std::min({added, entries, kMaxTableEntries}));
    for (const TZQKRT_Table& record : table.Items)
        check(record.SerialNumber.size() == ZQKRT_SERIAL_NUMBER_LENGTH);
}

// The table's commands with reply bytes and status from the library, and inventory text given
// to it directly, as the inventory does after adding as many records as the reply announces.
void tableDecode(std::uint8_t status, const wire::Bytes& replyBytes, std::uint8_t records,
                 std::uint16_t blocks, const std::string& text) {
    TZQKRT_ReaderCalls calls;
    calls.ISOCmd = [&](std::int32_t, std::int32_t, const std::uint8_t*, std::int32_t,
                       std::uint8_t* response, std::int32_t* length, std::int32_t) {
        const std::size_t size =
            std::min<std::size_t>(replyBytes.size(), ZQKRT_RESPONSE_BUFFER_SIZE);
        std::copy_n(replyBytes.begin(), size, response);
        *length = std::int32_t(size);
        return std::int32_t(status);
    };
    for (const char* code : {"01", "23", "2B", "A0", "A1", "24"}) {
        TZQKRT_TableArray table(1, calls);
        table.Add();
        table.SetValue(table_selector::kDecodeInventory, std::string("010000") + kSelectedSerial);
        table.SetValue(table_selector::kSelectByIndex, "0");
        table.SetValue(table_selector::kCommandCode, code);
        table.SetValue(table_selector::kMode, "00");
        table.FirstBlock = std::to_string(std::int8_t(blocks & 0xFF));
        table.BlockCount = std::to_string(blocks >> 8);
        std::string reply = "kept";
        const std::int32_t result = table.RunCommand(0xB0, reply);
        if (!ZQKRT_StatusCarriesReply(status)) {
            check(result == status && reply == "kept");
            continue;
        }
        check(result == 0 && reply.size() <= 2 * replyBytes.size());
        if (std::string(code) != "01")
            continue;
        check(reply == BufToHex(replyBytes.data(), int(replyBytes.size())));
        table.RemoveAll();
        for (std::uint8_t i = 0; i < records; ++i)
            table.Add();
        check(table.SetValue(table_selector::kDecodeInventory, reply));
        checkInventoryDecode(table, reply, records);
        for (std::size_t i = 0; i < table.Items.size(); ++i)
            check(table.Items[i].GetSerialNumberHex() == reply.substr(2 + kEntryChars * i + 4, 16));
    }

    TZQKRT_TableArray table;
    for (std::uint8_t i = 0; i < records; ++i)
        table.Add();
    check(table.SetValue(table_selector::kDecodeInventory, text));
    checkInventoryDecode(table, text, records);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        FuzzedDataProvider input(data, size);
        const auto address = input.ConsumeIntegral<std::uint8_t>();
        const auto command = input.ConsumeIntegral<std::uint8_t>();
        const auto isoCommand = input.ConsumeIntegral<std::uint8_t>();
        wire::Frame planted;
        planted.address = input.ConsumeIntegral<std::uint8_t>();
        if (address != wire::kBroadcastAddress)
            planted.address = address;
        planted.command = command;
        planted.status = input.ConsumeIntegral<std::uint8_t>();
        std::array<std::uint8_t, kPlannedReads> plan{};
        for (auto& step : plan)
            step = input.ConsumeIntegral<std::uint8_t>();
        const auto plantAt = input.ConsumeIntegral<std::uint16_t>();
        const bool silenceBeforeReply = input.ConsumeBool();
        planted.data = input.ConsumeBytes<std::uint8_t>(
            input.ConsumeIntegralInRange<std::size_t>(0, wire::kMaxReplyData));
        const wire::Bytes noise = input.ConsumeRemainingBytes<std::uint8_t>();

        const wire::Bytes reply = wire::encode(wire::FrameKind::Reply, planted).value();
        const std::size_t replyAt = plantAt % (noise.size() + 1);
        wire::Bytes stream(noise.begin(), noise.begin() + std::ptrdiff_t(replyAt));
        stream.insert(stream.end(), reply.begin(), reply.end());
        stream.insert(stream.end(), noise.begin() + std::ptrdiff_t(replyAt), noise.end());

        // Each planned read: up to 63 bytes, then a pause picked by the low two bits.
        std::map<std::size_t, Pause> pauses;
        std::size_t end = 0;
        for (const std::uint8_t step : plan) {
            end = std::min(stream.size(), end + (step >> 2));
            const Pause pause = (step & 3) == 0   ? Pause::None
                                : (step & 3) == 1 ? Pause::OneDrop
                                                  : Pause::Silence;
            pauses[end] = std::max(pauses[end], pause);
        }
        if (silenceBeforeReply)
            pauses[replyAt] = Pause::Silence;
        pauses.emplace(stream.size(), Pause::None);

        collect(address, command, stream, pauses, replyAt, replyAt + reply.size(), isoCommand);
        replyPath(isoCommand, planted);
        deframe(wire::FrameKind::Request, stream, replyAt);
        deframe(wire::FrameKind::Reply, stream, replyAt);
        convert(noise);
        cardPath(isoCommand, planted.data, noise);
        tableDecode(planted.status, planted.data, planted.address, plantAt,
                    std::string(noise.begin(), noise.end()));
    } catch (...) {
        check(false);
    }
    return 0;
}
