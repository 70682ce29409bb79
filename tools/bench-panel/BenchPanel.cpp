#include "BenchPanel.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace bench {
namespace {

constexpr int kContainerColumns = 2;
constexpr qsizetype kMaxCaptionLength = 40;
constexpr int kMostUnits = 999;
constexpr double kOffFactor = 1.2;

std::optional<emulator::ControlClient> clientFor(const QString& socketPath) {
    if (socketPath.isEmpty()) {
        return std::nullopt;
    }
    return emulator::ControlClient(QFile::encodeName(socketPath).toStdString(),
                                   BenchPanel::kAnswerTimeout);
}

// Drug names come from a file: keep a long one from widening the window.
QString shortened(const QString& drug) {
    return drug.size() > kMaxCaptionLength ? drug.left(kMaxCaptionLength - 1) + QChar(0x2026)
                                           : drug;
}

// Nor an "&" from turning into a shortcut.
QString captionOf(const QString& drug) {
    return shortened(drug).replace('&', "&&");
}

QString deviceName(Device device) {
    return device == Device::Reader ? QStringLiteral("Reader") : QStringLiteral("Balance");
}

} // namespace

BenchPanel::BenchPanel(const PanelSetup& setup, QWidget* parent)
    : QWidget(parent), reader_(clientFor(setup.readerControl)),
      balance_(clientFor(setup.balanceControl)) {
    setWindowTitle(QStringLiteral("Bench panel"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeReaderGroup(setup.containers, reader_.has_value()));
    layout->addWidget(makeBalanceGroup(balance_.has_value()));
    layout->addWidget(status_);

    QStringList missing;
    if (!reader_) {
        missing << QStringLiteral("--reader-control");
    }
    if (!balance_) {
        missing << QStringLiteral("--balance-control");
    }
    status_->setText(missing.isEmpty()
                         ? tr("Ready")
                         : tr("Not given: %1").arg(missing.join(QStringLiteral(", "))));
}

QWidget* BenchPanel::makeReaderGroup(const QList<Container>& containers, bool enabled) {
    auto* group = new QGroupBox(tr("Reader"), this);
    group->setEnabled(enabled);
    auto* grid = new QGridLayout;
    for (qsizetype index = 0; index < containers.size(); ++index) {
        QPushButton* button = makeContainerButton(captionOf(containers[index].drug),
                                                  containers[index].uid, containers[index]);
        grid->addWidget(button, static_cast<int>(index / kContainerColumns),
                        static_cast<int>(index % kContainerColumns));
    }

    std::vector<std::string> known;
    for (const Container& container : containers) {
        known.push_back(container.uid);
    }
    QPushButton* foreign =
        makeContainerButton(tr("Foreign container"), foreignUid(known), std::nullopt);
    foreign->setObjectName(QStringLiteral("foreignContainer"));
    auto* clear = new QPushButton(tr("Clear reader"), group);
    clear->setObjectName(QStringLiteral("clearReader"));
    connect(clear, &QPushButton::clicked, this, &BenchPanel::clearReader);
    auto* containerRow = new QHBoxLayout;
    containerRow->addWidget(foreign);
    containerRow->addWidget(clear);

    auto* faultRow = new QHBoxLayout;
    faultRow->addWidget(new QLabel(tr("Fault"), group));
    faultRow->addWidget(makeFaultSwitch(Device::Reader, readerFault_), 1);
    faultRow->addWidget(makeHangUpButton(Device::Reader));

    auto* layout = new QVBoxLayout(group);
    layout->addLayout(grid);
    layout->addLayout(containerRow);
    layout->addLayout(faultRow);
    return group;
}

QWidget* BenchPanel::makeBalanceGroup(bool enabled) {
    auto* group = new QGroupBox(tr("Balance"), this);
    group->setEnabled(enabled);
    weight_ = new QLineEdit(group);
    weight_->setObjectName(QStringLiteral("weight"));
    weight_->setPlaceholderText(tr("grams, e.g. 12.34"));
    weight_->setMaxLength(32);
    auto* set = new QPushButton(tr("Set weight"), group);
    set->setObjectName(QStringLiteral("setWeight"));
    connect(set, &QPushButton::clicked, this, &BenchPanel::setWeight);
    connect(weight_, &QLineEdit::returnPressed, this, &BenchPanel::setWeight);
    auto* weightRow = new QHBoxLayout;
    weightRow->addWidget(weight_, 1);
    weightRow->addWidget(set);

    auto* faultRow = new QHBoxLayout;
    faultRow->addWidget(new QLabel(tr("Fault"), group));
    faultRow->addWidget(makeFaultSwitch(Device::Balance, balanceFault_), 1);
    faultRow->addWidget(makeHangUpButton(Device::Balance));

    auto* layout = new QVBoxLayout(group);
    layout->addLayout(weightRow);
    layout->addWidget(makeUnitsRow(group));
    layout->addLayout(faultRow);
    return group;
}

QWidget* BenchPanel::makeUnitsRow(QWidget* group) {
    auto* row = new QWidget(group);
    laid_ = new QLabel(tr("Lay a drug for its weight"), row);
    laid_->setObjectName(QStringLiteral("laidDrug"));
    laid_->setTextFormat(Qt::PlainText);
    count_ = new QSpinBox(row);
    count_->setObjectName(QStringLiteral("count"));
    count_->setRange(1, kMostUnits);
    const auto unitsButton = [this, row](const QString& caption, const QString& name,
                                         double factor) {
        auto* button = new QPushButton(caption, row);
        button->setObjectName(name);
        button->setEnabled(false);
        connect(button, &QPushButton::clicked, this, [this, factor] { setUnitsWeight(factor); });
        unitsButtons_.append(button);
        return button;
    };
    auto* unstable = new QPushButton(tr("Unstable"), row);
    unstable->setObjectName(QStringLiteral("unstable"));
    connect(unstable, &QPushButton::clicked, this, &BenchPanel::makeUnstable);

    auto* countRow = new QHBoxLayout;
    countRow->addWidget(new QLabel(tr("數量"), row));
    countRow->addWidget(count_);
    countRow->addWidget(unitsButton(tr("Expected"), QStringLiteral("expectedWeight"), 1.0));
    countRow->addWidget(unitsButton(tr("+20 %"), QStringLiteral("offWeight"), kOffFactor));
    countRow->addWidget(unstable);
    countRow->addStretch(1);
    auto* layout = new QVBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(laid_);
    layout->addLayout(countRow);
    return row;
}

QPushButton* BenchPanel::makeContainerButton(const QString& caption, const std::string& uid,
                                             const std::optional<Container>& drug) {
    auto* button = new QPushButton(caption, this);
    button->setCheckable(true);
    button->setProperty("uid", QString::fromStdString(uid));
    button->setToolTip(QString::fromStdString(uid));
    connect(button, &QPushButton::toggled, this, [this, button, uid, drug](bool onReader) {
        if (!run(containerCommand(uid, onReader))) {
            const QSignalBlocker blocker(button);
            button->setChecked(!onReader);
        } else if (onReader && drug) {
            noteLaid(*drug);
        }
    });
    containerButtons_.append(button);
    return button;
}

QComboBox* BenchPanel::makeFaultSwitch(Device device, int& applied) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(device == Device::Reader ? QStringLiteral("readerFault")
                                                  : QStringLiteral("balanceFault"));
    for (const std::string& kind : faultKinds(device)) {
        combo->addItem(QString::fromStdString(kind));
    }
    connect(
        combo, &QComboBox::currentIndexChanged, this, [this, combo, device, &applied](int index) {
            if (run(faultCommand(device, faultKinds(device)[static_cast<std::size_t>(index)]))) {
                applied = index;
            } else {
                const QSignalBlocker blocker(combo);
                combo->setCurrentIndex(applied);
            }
        });
    return combo;
}

QPushButton* BenchPanel::makeHangUpButton(Device device) {
    auto* button = new QPushButton(tr("Hang up"), this);
    button->setObjectName(device == Device::Reader ? QStringLiteral("readerHangUp")
                                                   : QStringLiteral("balanceHangUp"));
    connect(button, &QPushButton::clicked, this, [this, device] { run(hangUpCommand(device)); });
    return button;
}

void BenchPanel::noteLaid(const Container& drug) {
    laidUnitWeight_ = drug.unitWeight;
    laid_->setText(
        drug.unitWeight
            ? tr("%1: %2 g a unit").arg(shortened(drug.drug), QString::number(*drug.unitWeight))
            : tr("%1: no unit weight").arg(shortened(drug.drug)));
    for (QPushButton* button : unitsButtons_) {
        button->setEnabled(drug.unitWeight.has_value());
    }
}

// The new weight first, so the old one never reads as stable.
void BenchPanel::setWeight() {
    if (run(weightCommand(weight_->text().toStdString())) && unstable_ &&
        run(stableCommand(true))) {
        unstable_ = false;
    }
}

void BenchPanel::setUnitsWeight(double factor) {
    if (!laidUnitWeight_) {
        return;
    }
    const double grams = count_->value() * *laidUnitWeight_ * factor;
    weight_->setText(QString::fromStdString(gramsText(grams)));
    setWeight();
}

void BenchPanel::makeUnstable() {
    if (run(stableCommand(false))) {
        unstable_ = true;
    }
}

void BenchPanel::clearReader() {
    if (!run(clearReaderCommand())) {
        return;
    }
    for (QPushButton* button : containerButtons_) {
        const QSignalBlocker blocker(button);
        button->setChecked(false);
    }
}

bool BenchPanel::run(const PanelCommand& command) {
    const auto& client = command.device == Device::Reader ? reader_ : balance_;
    if (!client) {
        return false;
    }
    const emulator::ControlAnswer answer = client->send(command.line);
    status_->setText(deviceName(command.device) + ": " + QString::fromStdString(command.line) +
                     QStringLiteral(" → ") + QString::fromStdString(answer.summary()));
    return answer.ok();
}

} // namespace bench
