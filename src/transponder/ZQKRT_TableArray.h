#pragma once

#include "ZQKRT_Table.h"
#include "zqkrt.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Text that had to be a decimal number and is not; nothing was changed or sent.
class TConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The reader library calls the table sends through; tests put their own in.
struct TZQKRT_ReaderCalls {
    std::function<std::int32_t(std::int32_t, std::int32_t)> GetBaud = ZQKRT_0x52_GetBaud;
    std::function<std::int32_t(std::int32_t, std::int32_t)> RFReset = ZQKRT_0x69_RFReset;
    std::function<std::int32_t(std::int32_t, std::int32_t, const std::uint8_t*, std::int32_t,
                               std::uint8_t*, std::int32_t*, std::int32_t)>
        ISOCmd = ZQKRT_0xB0_ISOCmd;
    // Not sent through by the table: for a caller that ends a command another thread waits on.
    std::function<std::int32_t(std::int32_t)> CancelCommand = ZQKRT_CancelCommand;
};

// The transponders of the last inventory and the settings of the next reader command. Every
// reader command is framed, sent to Reader at bus address 255 and decoded here. The
// The numbers SetValue and GetValue take.
namespace table_selector {
enum : int {
    kDecodeInventory = 5,
    kTagType = 6,
    kSerialNumber = 7, // GetValue: the selected record's; SetValue: selects by serial number
    kCommandCode = 8,
    kMode = 9,
    kFirstBlock = 10,
    kBlockCount = 11,
    kSelectByIndex = 12,
    kBlockSize = 13,
    kBlockSizeKnown = 14,
    kSystemInfo = 15,
};
} // namespace table_selector

// table has no lock: its users take turns.
class TZQKRT_TableArray {
public:
    std::int32_t Count = 0;
    std::vector<TZQKRT_Table> Items;
    std::int32_t Selected = 0;
    std::string SelectedSerial;
    std::string CommandCode;
    std::string Mode;
    std::string FirstBlock;
    std::string BlockCount;
    // The reader handle the commands go to.
    std::int32_t Reader = 0;

    explicit TZQKRT_TableArray(std::int32_t reader = 0, TZQKRT_ReaderCalls calls = {});

    void Add();
    void RemoveLast();
    void RemoveAll();
    void ReleaseItems();

    // Writes setting or field number selector (table_selector). kDecodeInventory decodes an
    // inventory reply into the records there are, in order, and drops every record it could not
    // fill: Count is then the number of transponders decoded, never more than the reply's count
    // byte announces, than the whole entries of hex text it holds, or than a reply buffer
    // carries (25), and every record has an 8-byte serial number. kBlockSize and kSystemInfo
    // return false when Selected names no record. kSelectByIndex throws TConversionError for
    // text that is not a decimal number; for an index that names no record it returns false,
    // with Selected set to it and SelectedSerial empty, so that later operations on the selected
    // record fail.
    bool SetValue(int selector, const std::string& text);
    // Reads field number selector of the selected record into text; false, with text
    // unchanged, for a selector without a value or when Selected names no record.
    bool GetValue(int selector, std::string& text) const;

    // GetData of the selected record for the blocks of FirstBlock and BlockCount: 0, or -1
    // with data empty when it fails or Selected names no record.
    int GetBlockData(int kind, std::string& data) const;

    // Runs reader command 0x52 (baud query), 0x69 (RF reset) or 0xB0 (the ISO command of
    // CommandCode) and gives its status. 0x52, 0x69 and unknown numbers (-1) empty reply.
    // 0xB0 gives -1, leaving reply and sending nothing, for an unknown CommandCode or, for any
    // code but "01", when Selected names no record, or a record that is no longer the
    // transponder of SelectedSerial (the table was refilled since). After a reader status that
    // comes with a reply, reply is what is left of the decoded reply's hex text and the result
    // is ZQKRT_STATUS_OK; otherwise reply is left as it was. Throws TConversionError, before
    // sending, when FirstBlock or BlockCount is needed and is not a decimal number.
    std::int32_t RunCommand(int command, std::string& reply);

private:
    struct BlockRange {
        std::int32_t First = 0;
        std::int32_t Count = 0;
    };

    const TZQKRT_Table* SelectedRecord() const;
    TZQKRT_Table* SelectedRecord();
    bool Select(std::int32_t index);
    bool SelectBySerial(const std::string& serialHex);
    bool DecodeInventory(const std::string& replyHex);
    BlockRange RequestBlockRange() const;
    std::string BuildIsoRequest(const BlockRange& range) const;
    std::string DecodeIsoReply(const std::string& replyHex, const BlockRange& range);
    std::string DecodeReadBlocks(std::string replyHex, const BlockRange& range);

    TZQKRT_ReaderCalls Calls;
};
