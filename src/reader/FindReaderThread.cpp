#include "FindReaderThread.h"

#include "BaudRates.h"
#include "ReaderCallStatus.h"
#include "ReaderIniPath.h"
#include "ReaderIniSteps.h"
#include "SerialFrames.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace {

// The name comes from the PC/SC service: a line break in it must not make a line of its own.
std::string printable(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return text;
}

} // namespace

TFindReaderThread::TFindReaderThread(ReaderLibraryCalls library, FindReaderView view,
                                     ReaderHandles& handles)
    : Library(std::move(library)), View(std::move(view)), Handles(handles),
      Table(Handles.ReaderHandle, Library.Reader) {}

TFindReaderThread::~TFindReaderThread() {
    Terminate();
    WaitFor();
}

void TFindReaderThread::Execute() {
    for (int port = ZQCOM_FIRST_SERIAL_PORT; port <= ZQCOM_LAST_SERIAL_PORT; ++port) {
        if (!SearchPort(std::to_string(port).c_str()))
            return;
    }
    // Without a PC/SC service every port fails alike: the first says enough.
    for (int port = ZQCOM_FIRST_PCSC_PORT; port <= ZQCOM_LAST_PCSC_PORT; ++port) {
        if (Terminated())
            break;
        const CardReaderStep step = SearchCardReader(std::to_string(port).c_str());
        if (step == CardReaderStep::Over)
            return;
        if (step == CardReaderStep::NoService)
            break;
    }
    Synchronize([this] { ShowNoReader(); });
}

bool TFindReaderThread::SearchPort(const char* portNr) {
    TestPort = Library.OpenPort(portNr);
    if (readerCallFailed(TestPort))
        return true;
    Handles.PortHandle = TestPort.load();
    LastStatus = Library.SetReaderPara(Handles.ReaderHandle, ZQKRT_PARA_PORT_HANDLE,
                                       std::to_string(TestPort).c_str());
    for (const SerialFrame& frame : kSerialFrames) {
        LastStatus =
            Library.SetPortPara(TestPort, ZQCOM_PARA_FRAME, std::string(frame.text).c_str());
        if (readerCallFailed(LastStatus))
            return false;
        for (const BaudRate& rate : kBaudRates) {
            // A rate the line refuses leaves the last one, probed already: the probe fails
            // and the search goes on. The time-out's status decides.
            Library.SetPortPara(TestPort, ZQCOM_PARA_BAUD, std::string(rate.text).c_str());
            LastStatus = Library.SetPortPara(TestPort, ZQCOM_PARA_TIMEOUT,
                                             std::string(rate.probeTimeOut).c_str());
            if (readerCallFailed(LastStatus)) {
                CloseTestPort();
                return false;
            }
            std::string reply;
            if (Table.RunCommand(ZQKRT_COMMAND_GET_BAUD, reply) == ZQKRT_STATUS_OK) {
                Synchronize([this] { ShowReaderFound(); });
                return false;
            }
            Synchronize([this] { ShowSearchProgress(); });
            if (Terminated()) {
                Synchronize([this] { ShowNoReader(); });
                CloseTestPort();
                return false;
            }
        }
    }
    LastStatus = Library.ClosePort(TestPort);
    if (readerCallFailed(LastStatus))
        return false;
    Handles.PortHandle = 0;
    return true;
}

// Baud and Frame mean nothing to a PC/SC reader: one probe tells whether it is listed.
TFindReaderThread::CardReaderStep TFindReaderThread::SearchCardReader(const char* portNr) {
    TestPort = Library.OpenPort(portNr);
    if (TestPort == ZQCOM_ERR_NO_SERVICE)
        return CardReaderStep::NoService;
    if (readerCallFailed(TestPort))
        return CardReaderStep::Next;
    Handles.PortHandle = TestPort.load();
    LastStatus = Library.SetReaderPara(Handles.ReaderHandle, ZQKRT_PARA_PORT_HANDLE,
                                       std::to_string(TestPort).c_str());
    std::string reply;
    if (!readerCallFailed(LastStatus) &&
        Table.RunCommand(ZQKRT_COMMAND_GET_BAUD, reply) == ZQKRT_STATUS_OK) {
        Synchronize([this] { ShowReaderFound(); });
        return CardReaderStep::Over;
    }
    CloseTestPort();
    return readerCallFailed(LastStatus) ? CardReaderStep::Over : CardReaderStep::Next;
}

void TFindReaderThread::CloseTestPort() {
    LastStatus = Library.ClosePort(TestPort);
    if (!readerCallFailed(LastStatus))
        Handles.PortHandle = 0;
}

// A parameter the port does not give is shown empty: the summary then still names the others.
std::string TFindReaderThread::PortPara(const char* name) const {
    std::array<char, ZQCOM_VALUE_BUFFER_SIZE> value{};
    if (readerCallFailed(Library.GetPortPara(TestPort, name, value.data(), value.size())))
        return {};
    return std::string(value.data(), strnlen(value.data(), value.size()));
}

// A PC/SC reader is known by its name; its line settings mean nothing, its time-out does.
QString TFindReaderThread::Summary(const std::string& timeOut, const std::string& timeControl,
                                   const std::string& delay) const {
    const std::string readerName = PortPara(ZQCOM_PARA_READER_NAME);
    if (!readerName.empty())
        return QString::fromStdString("PortNr: " + PortPara(ZQCOM_PARA_PORTNR) +
                                      " (PC/SC)\r\nReader: " + printable(readerName) +
                                      "\r\nTimeOut: " + timeOut);
    return QString::fromStdString(
        "PortNr: " + PortPara(ZQCOM_PARA_PORTNR) + "\r\nBaudrate: " + PortPara(ZQCOM_PARA_BAUD) +
        "\r\n" + "Frame: " + PortPara(ZQCOM_PARA_FRAME) + "\r\nTimeOut: " + timeOut +
        "\r\nTimeControl: " + timeControl + "\r\nDelayTime: " + delay);
}

void TFindReaderThread::ShowSearchProgress() {
    View.Searching(Summary(PortPara(ZQCOM_PARA_TIMEOUT), PortPara(ZQCOM_PARA_TX_TIME_CONTROL),
                           PortPara(ZQCOM_PARA_TX_DELAY_TIME)));
}

// The INI file's values are taken whole, however long: the port library refuses what it
// cannot use, and a cut value would be another value.
void TFindReaderThread::ShowReaderFound() {
    const std::string iniPath = readerIniPath();
    std::error_code error;
    if (!std::filesystem::exists(iniPath, error)) {
        View.Found(Summary(PortPara(ZQCOM_PARA_TIMEOUT), PortPara(ZQCOM_PARA_TX_TIME_CONTROL),
                           PortPara(ZQCOM_PARA_TX_DELAY_TIME)));
        return;
    }
    const reader_port::PortSettings settings = reader_ini::ReadPortSettings(iniPath);
    // The rate and frame just found stay; a value the port refuses is left as the port had it.
    for (const reader_port::PortSetting& setting : reader_port::kPortSettings) {
        if (!setting.line)
            Library.SetPortPara(TestPort, setting.parameter, (settings.*setting.member).c_str());
    }
    View.Found(Summary(settings.TimeOut, settings.TxTimeControl, settings.TxDelayTime));
}

void TFindReaderThread::ShowNoReader() {
    View.NotFound();
}
