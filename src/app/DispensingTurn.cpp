#include "DispensingTurn.h"

#include <algorithm>

TurnOutcome decideTurn(const QString& tagSerial, const QVariant& lineSerial,
                       const QVariant& lineState) {
    if (lineSerial.isNull() || lineSerial.toString() != tagSerial)
        return TurnOutcome::WrongDrug;
    return lineState.isNull() ? TurnOutcome::DispenseLine : TurnOutcome::LineDone;
}

bool orderComplete(const QVariantList& lineStates) {
    return !lineStates.isEmpty() &&
           std::none_of(lineStates.cbegin(), lineStates.cend(),
                        [](const QVariant& state) { return state.isNull(); });
}
