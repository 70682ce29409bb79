#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

// What one turn of the dispensing check does with the current order line, given the serial
// number of the tag under test.
enum class TurnOutcome {
    WrongDrug,    // the tag is not the line's drug: warn and go on to the next line
    DispenseLine, // the line's drug, not yet dispensed: dispense it
    LineDone      // the line's drug, dispensed before: go on to the next line
};

// The serial numbers are compared exactly, case and blanks included; a NULL serial number of
// the line matches no tag. Any state other than NULL counts as dispensed.
TurnOutcome decideTurn(const QString& tagSerial, const QVariant& lineSerial,
                       const QVariant& lineState);

// An order is complete when it has lines and every line's state is set.
bool orderComplete(const QVariantList& lineStates);
