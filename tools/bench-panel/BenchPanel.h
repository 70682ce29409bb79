#pragma once

#include "ControlClient.h"
#include "PanelCatalogue.h"
#include "PanelCommands.h"

#include <QList>
#include <QWidget>
#include <chrono>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace bench {

struct PanelSetup {
    QString readerControl; // empty: no reader to drive
    QString balanceControl;
    QList<Container> containers;
};

// A small window beside the station that lays containers on the emulated reader, sets the
// emulated balance's weight and switches both emulators' faults through their control sockets.
// Each button's answer shows in the status line; a button whose command failed goes back.
class BenchPanel : public QWidget {
    Q_OBJECT

public:
    // The emulators answer at once; this only bounds a stuck one.
    static constexpr std::chrono::milliseconds kAnswerTimeout{2000};

    explicit BenchPanel(const PanelSetup& setup, QWidget* parent = nullptr);

private:
    QWidget* makeReaderGroup(const QList<Container>& containers, bool enabled);
    QWidget* makeBalanceGroup(bool enabled);
    QPushButton* makeContainerButton(const QString& caption, const std::string& uid);
    QComboBox* makeFaultSwitch(Device device, int& applied);
    QPushButton* makeHangUpButton(Device device);
    void setWeight();
    void clearReader();
    // Sends the command and shows its answer; true when the emulator said ok.
    bool run(const PanelCommand& command);

    std::optional<emulator::ControlClient> reader_;
    std::optional<emulator::ControlClient> balance_;
    QList<QPushButton*> containerButtons_;
    QLineEdit* weight_ = nullptr;
    QLabel* status_ = nullptr;
    int readerFault_ = 0;
    int balanceFault_ = 0;
};

} // namespace bench
