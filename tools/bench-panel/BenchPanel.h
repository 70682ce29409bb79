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
class QSpinBox;

namespace bench {

struct PanelSetup {
    QString readerControl; // empty: no reader to drive
    QString balanceControl;
    QList<Container> containers;
};

// A small window beside the station that lays containers on the emulated reader, sets the
// emulated balance's weight and switches both emulators' faults through their control sockets.
// Each button's answer shows in the status line; a button whose command failed goes back.
// For the last drug laid it sets the weight a count of its units has, or one a fifth over it.
class BenchPanel : public QWidget {
    Q_OBJECT

public:
    // The emulators answer at once; this only bounds a stuck one.
    static constexpr std::chrono::milliseconds kAnswerTimeout{2000};

    explicit BenchPanel(const PanelSetup& setup, QWidget* parent = nullptr);

private:
    QWidget* makeReaderGroup(const QList<Container>& containers, bool enabled);
    QWidget* makeBalanceGroup(bool enabled);
    QWidget* makeUnitsRow(QWidget* group);
    // drug: none for the foreign container.
    QPushButton* makeContainerButton(const QString& caption, const std::string& uid,
                                     const std::optional<Container>& drug);
    QComboBox* makeFaultSwitch(Device device, int& applied);
    QPushButton* makeHangUpButton(Device device);
    void noteLaid(const Container& drug);
    void setWeight();
    // Sets count × the last laid drug's unit weight × factor.
    void setUnitsWeight(double factor);
    void makeUnstable();
    void clearReader();
    // Sends the command and shows its answer; true when the emulator said ok.
    bool run(const PanelCommand& command);

    std::optional<emulator::ControlClient> reader_;
    std::optional<emulator::ControlClient> balance_;
    QList<QPushButton*> containerButtons_;
    QLineEdit* weight_ = nullptr;
    QLabel* laid_ = nullptr;
    QSpinBox* count_ = nullptr;
    QList<QPushButton*> unitsButtons_;
    std::optional<double> laidUnitWeight_;
    bool unstable_ = false; // as this panel last set the balance
    QLabel* status_ = nullptr;
    int readerFault_ = 0;
    int balanceFault_ = 0;
};

} // namespace bench
