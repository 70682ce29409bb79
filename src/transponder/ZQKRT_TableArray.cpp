#include "ZQKRT_TableArray.h"

#include "PubFunctions.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>
#include <utility>

namespace {

constexpr std::int32_t kBroadcastAddress = 255;
constexpr std::int32_t kUnknownCommand = -1;
// An inventory reply: the count byte, then per transponder its type, a byte not read and the
// serial number, as hex text.
constexpr std::size_t kCountChars = 2;
constexpr std::size_t kInventoryEntryChars = 20;
constexpr std::size_t kTypeOffset = 0;
constexpr std::size_t kTypeChars = 2;
constexpr std::size_t kSerialOffset = 4;
constexpr std::size_t kSerialChars = 2 * ZQKRT_SERIAL_NUMBER_LENGTH;
static_assert(kSerialOffset + kSerialChars == kInventoryEntryChars);
// What the response buffer of ZQKRT_0xB0_ISOCmd can carry: the count byte and whole entries.
constexpr std::size_t kMaxInventoryEntries =
    (ZQKRT_RESPONSE_BUFFER_SIZE - 1) / (kInventoryEntryChars / 2);
// Blocks past this index lie outside WriteBlocks whatever the block size (see GetRequestData).
constexpr std::int64_t kLastWritableBlock = 254;
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The whole text as a signed 32-bit decimal number, else a conversion error.
std::int32_t DecimalValue(const std::string& text) {
    const std::size_t digitsStart = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    const bool negative = digitsStart == 1 && text[0] == '-';
    const std::int64_t limit = kInt32Max + (negative ? 1 : 0);
    bool valid = text.size() > digitsStart;
    std::int64_t value = 0;
    for (std::size_t i = digitsStart; valid && i < text.size(); ++i) {
        valid = IsDigit(text[i]);
        if (valid)
            value = value * 10 + (text[i] - '0');
        valid = valid && value <= limit;
    }
    if (!valid)
        throw TConversionError("'" + text + "' is not a valid integer value");
    return static_cast<std::int32_t>(negative ? -value : value);
}

// The leading decimal digits of text (0 when there are none), held to at most kInt32Max.
std::int32_t LeadingDecimalValue(const std::string& text) {
    std::int64_t value = 0;
    for (std::size_t i = 0; i < text.size() && IsDigit(text[i]); ++i)
        value = std::min(value * 10 + (text[i] - '0'), kInt32Max);
    return static_cast<std::int32_t>(value);
}

// The leading decimal digits of text (0 when there are none), modulo 256.
std::uint8_t LeadingDecimalByte(const std::string& text) {
    unsigned value = 0;
    for (std::size_t i = 0; i < text.size() && IsDigit(text[i]); ++i)
        value = (value * 10 + static_cast<unsigned>(text[i] - '0')) % 256;
    return static_cast<std::uint8_t>(value);
}

std::string WithLeadingZero(const std::string& text) {
    return text.size() == 1 ? "0" + text : text;
}

// Up to length characters from pos; empty when pos lies at or past the end.
std::string Piece(const std::string& text, std::size_t pos, std::size_t length) {
    return pos < text.size() ? text.substr(pos, length) : std::string();
}

bool IsIsoCommandCode(const std::string& code) {
    return code == "01" || code == "A0" || code == "A1" || code == "23" || code == "24" ||
           code == "2B";
}

bool IsHexText(const std::string& text, std::size_t pos, std::size_t length) {
    return pos + length <= text.size() &&
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(pos),
                       text.begin() + static_cast<std::ptrdiff_t>(pos + length),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// The transponders whose whole entry, within the count the reply announces and the most the
// response buffer carries, is hex text inside the reply.
std::size_t EntriesInInventoryReply(const std::string& replyHex) {
    const int announced =
        IsHexText(replyHex, 0, kCountChars) ? HexPairToInt(replyHex.substr(0, kCountChars)) : 0;
    std::size_t entries = 0;
    while (entries < static_cast<std::size_t>(announced) && entries < kMaxInventoryEntries &&
           IsHexText(replyHex, kCountChars + entries * kInventoryEntryChars, kInventoryEntryChars))
        ++entries;
    return entries;
}

} // namespace

TZQKRT_TableArray::TZQKRT_TableArray(std::int32_t reader, TZQKRT_ReaderCalls calls)
    : Reader(reader), Calls(std::move(calls)) {}

void TZQKRT_TableArray::Add() {
    Items.emplace_back();
    Count = static_cast<std::int32_t>(Items.size());
}

void TZQKRT_TableArray::RemoveLast() {
    if (!Items.empty())
        Items.pop_back();
    Count = static_cast<std::int32_t>(Items.size());
}

void TZQKRT_TableArray::RemoveAll() {
    while (!Items.empty())
        RemoveLast();
}

void TZQKRT_TableArray::ReleaseItems() {
    Items.clear();
    Count = 0;
}

const TZQKRT_Table* TZQKRT_TableArray::SelectedRecord() const {
    return Selected >= 0 && static_cast<std::size_t>(Selected) < Items.size() ? &Items[Selected]
                                                                              : nullptr;
}

TZQKRT_Table* TZQKRT_TableArray::SelectedRecord() {
    return const_cast<TZQKRT_Table*>(std::as_const(*this).SelectedRecord());
}

bool TZQKRT_TableArray::Select(std::int32_t index) {
    Selected = index;
    const TZQKRT_Table* record = SelectedRecord();
    SelectedSerial = record != nullptr ? record->GetSerialNumberHex() : std::string();
    return record != nullptr;
}

bool TZQKRT_TableArray::SelectBySerial(const std::string& serialHex) {
    if (Items.empty())
        return false;
    const auto match = std::find_if(Items.begin(), Items.end(), [&](const TZQKRT_Table& record) {
        return record.GetSerialNumberHex() == serialHex;
    });
    if (match != Items.end())
        Select(static_cast<std::int32_t>(match - Items.begin()));
    return true;
}

bool TZQKRT_TableArray::DecodeInventory(const std::string& replyHex) {
    const std::size_t entries = std::min(Items.size(), EntriesInInventoryReply(replyHex));
    Items.resize(entries);
    Count = static_cast<std::int32_t>(entries);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = kCountChars + kInventoryEntryChars * i;
        Items[i].SetTagTypeHex(replyHex.substr(entry + kTypeOffset, kTypeChars));
        Items[i].SetSerialNumberHex(replyHex.substr(entry + kSerialOffset, kSerialChars));
    }
    return true;
}

bool TZQKRT_TableArray::SetValue(int selector, const std::string& text) {
    switch (selector) {
    case table_selector::kDecodeInventory:
        return DecodeInventory(text);
    case table_selector::kSerialNumber:
        return SelectBySerial(text);
    case table_selector::kCommandCode:
        CommandCode = text;
        return true;
    case table_selector::kMode:
        Mode = text;
        return true;
    case table_selector::kFirstBlock:
        FirstBlock = WithLeadingZero(text);
        return true;
    case table_selector::kBlockCount:
        BlockCount = WithLeadingZero(text);
        return true;
    case table_selector::kSelectByIndex:
        return Select(DecimalValue(text));
    default:
        break;
    }
    TZQKRT_Table* record = SelectedRecord();
    if (record == nullptr)
        return false;
    if (selector == table_selector::kBlockSize)
        record->SetBlockSize(LeadingDecimalByte(text));
    else if (selector == table_selector::kSystemInfo)
        record->SetSystemInfo(LeadingDecimalByte(text));
    else
        return false;
    return true;
}

bool TZQKRT_TableArray::GetValue(int selector, std::string& text) const {
    const TZQKRT_Table* record = SelectedRecord();
    if (record == nullptr)
        return false;
    switch (selector) {
    case table_selector::kTagType:
        text = record->GetTagTypeHex();
        return true;
    case table_selector::kSerialNumber:
        text = record->GetSerialNumberHex();
        return true;
    case table_selector::kBlockSize:
        text = std::to_string(record->GetBlockSize());
        return true;
    case table_selector::kBlockSizeKnown:
        text = record->BlockSizeKnown != 0 ? "1" : "0";
        return true;
    case table_selector::kSystemInfo:
        text = record->GetSystemInfoText();
        return true;
    default:
        return false;
    }
}

int TZQKRT_TableArray::GetBlockData(int kind, std::string& data) const {
    data.clear();
    const TZQKRT_Table* record = SelectedRecord();
    if (record == nullptr)
        return -1;
    const bool found = record->GetData(kind, LeadingDecimalValue(FirstBlock),
                                       LeadingDecimalValue(BlockCount), data);
    return found ? 0 : -1;
}

TZQKRT_TableArray::BlockRange TZQKRT_TableArray::RequestBlockRange() const {
    BlockRange range;
    if (CommandCode == "A0" || CommandCode == "A1" || CommandCode == "23" || CommandCode == "24")
        range.First = DecimalValue(FirstBlock);
    if (CommandCode == "23" || CommandCode == "24")
        range.Count = DecimalValue(BlockCount);
    return range;
}

std::string TZQKRT_TableArray::BuildIsoRequest(const BlockRange& range) const {
    std::string request{HexToChar(CommandCode), HexToChar(Mode)};
    if (CommandCode == "01")
        return request;
    request += HexToStr(SelectedSerial);
    if (CommandCode == "2B")
        return request;
    request += static_cast<char>(range.First & 0xFF);
    const TZQKRT_Table& record = *SelectedRecord();
    std::string blockData;
    if (CommandCode == "A1" && record.GetRequestData("A1", range.First, blockData) == 0)
        request += blockData;
    if (CommandCode == "23" || CommandCode == "24")
        request += static_cast<char>(range.Count & 0xFF);
    if (CommandCode != "24")
        return request;
    request += static_cast<char>(record.GetBlockSize());
    // Blocks outside the writable range contribute nothing, so the walk stops at its end.
    const std::int64_t last =
        std::min(std::int64_t{range.First} + range.Count - 1, kLastWritableBlock);
    for (std::int64_t block = std::max<std::int64_t>(range.First, 0); block <= last; ++block) {
        if (record.GetRequestData("24", static_cast<int>(block), blockData) == 0)
            request += blockData;
    }
    return request;
}

std::string TZQKRT_TableArray::DecodeReadBlocks(std::string replyHex, const BlockRange& range) {
    replyHex.erase(0, 2);
    SetValue(table_selector::kBlockSize, std::to_string(HexPairToInt(Piece(replyHex, 0, 2))));
    replyHex.erase(0, 4);
    TZQKRT_Table& record = *SelectedRecord();
    // The step is 5 bytes whatever the block size; once the reply is used up, storing the
    // remaining blocks would change nothing, so the walk ends there.
    const std::int64_t last = std::min(std::int64_t{range.First} + range.Count - 1, kInt32Max);
    for (std::int64_t block = range.First; block <= last && !replyHex.empty(); ++block) {
        record.StoreReplyData("23", replyHex, static_cast<int>(block));
        replyHex.erase(0, 10);
    }
    return replyHex;
}

std::string TZQKRT_TableArray::DecodeIsoReply(const std::string& replyHex,
                                              const BlockRange& range) {
    if (CommandCode == "A0")
        SelectedRecord()->StoreReplyData("A0", replyHex, range.First);
    else if (CommandCode == "23")
        return DecodeReadBlocks(replyHex, range);
    else if (CommandCode == "2B")
        SetValue(table_selector::kSystemInfo, std::to_string(HexPairToInt(Piece(replyHex, 22, 2))));
    return replyHex;
}

std::int32_t TZQKRT_TableArray::RunCommand(int command, std::string& reply) {
    const std::int32_t reader = Reader;
    if (command != ZQKRT_COMMAND_ISO) {
        std::int32_t status = kUnknownCommand;
        if (command == ZQKRT_COMMAND_GET_BAUD)
            status = Calls.GetBaud(reader, kBroadcastAddress);
        else if (command == ZQKRT_COMMAND_RF_RESET)
            status = Calls.RFReset(reader, kBroadcastAddress);
        reply.clear();
        return status;
    }
    // Addressed commands take the selected serial number and store into the selected record:
    // both must still be the same transponder.
    const TZQKRT_Table* selected = SelectedRecord();
    if (!IsIsoCommandCode(CommandCode) ||
        (CommandCode != "01" &&
         (selected == nullptr || selected->GetSerialNumberHex() != SelectedSerial)))
        return kUnknownCommand;
    const BlockRange range = RequestBlockRange();
    const std::string request = BuildIsoRequest(range);
    std::array<std::uint8_t, ZQKRT_RESPONSE_BUFFER_SIZE> response{};
    std::int32_t responseLength = 0;
    const std::int32_t status = Calls.ISOCmd(
        reader, kBroadcastAddress, reinterpret_cast<const std::uint8_t*>(request.data()),
        static_cast<std::int32_t>(request.size()), response.data(), &responseLength, 0);
    if (!ZQKRT_StatusCarriesReply(status))
        return status;
    const int length = std::clamp<std::int32_t>(responseLength, 0, ZQKRT_RESPONSE_BUFFER_SIZE);
    reply = DecodeIsoReply(BufToHex(response.data(), length), range);
    return ZQKRT_STATUS_OK;
}
