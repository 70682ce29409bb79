#pragma once

#include "CardChannel.h"
#include "WireFrame.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <map>
#include <winscard.h>

// Hex text to bytes; blanks are ignored.
inline wire::Bytes hexBytes(QString text) {
    text.remove(' ');
    const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
    return wire::Bytes(bytes.begin(), bytes.end());
}

inline QString hexText(const wire::Bytes& bytes) {
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))
            .toHex()
            .toUpper());
}

// A PC/SC reader whose card follows a script, one step per ';':
//   "c:CODE"        the next connect gives CODE (connects beyond the script succeed)
//   "APDU=ANSWER"   the next APDU must be APDU; the card answers ANSWER (hex, status word last)
//   "APDU!CODE"     the next APDU must be APDU; the transmit fails with CODE
// CODE is OK, NOCARD, REMOVED, MUTE, NOSERVICE, UNAVAILABLE or TIMEOUT.
class ScriptedCard : public zqcom_internal::CardChannel {
public:
    explicit ScriptedCard(const QString& script, long readerCode = SCARD_S_SUCCESS)
        : readerCode_(readerCode) {
        for (const QString& step : script.split(';', Qt::SkipEmptyParts)) {
            if (step.startsWith("c:")) {
                connects_.push_back(code(step.mid(2)));
            } else if (step.contains('!')) {
                steps_.push_back(
                    {hexBytes(step.section('!', 0, 0)), code(step.section('!', 1)), {}});
            } else {
                steps_.push_back({hexBytes(step.section('=', 0, 0)), SCARD_S_SUCCESS,
                                  hexBytes(step.section('=', 1))});
            }
        }
    }

    static long code(const QString& name) {
        static const std::map<QString, long> codes{
            {"OK", SCARD_S_SUCCESS},           {"NOCARD", SCARD_E_NO_SMARTCARD},
            {"REMOVED", SCARD_W_REMOVED_CARD}, {"MUTE", SCARD_W_UNRESPONSIVE_CARD},
            {"NOSERVICE", SCARD_E_NO_SERVICE}, {"UNAVAILABLE", SCARD_E_READER_UNAVAILABLE},
            {"TIMEOUT", SCARD_E_TIMEOUT}};
        return codes.at(name.trimmed());
    }

    long checkReader(std::chrono::milliseconds timeout) override {
        lastTimeout = timeout;
        return readerCode_;
    }
    long connectCard(std::chrono::milliseconds timeout) override {
        lastTimeout = timeout;
        if (connects_.empty()) {
            return SCARD_S_SUCCESS;
        }
        const long next = connects_.front();
        connects_.pop_front();
        return next;
    }
    long transmit(const wire::Bytes& apdu, wire::Bytes& reply) override {
        reply.clear();
        if (steps_.empty()) {
            unexpected << hexText(apdu);
            return SCARD_E_NOT_TRANSACTED;
        }
        const Step step = steps_.front();
        steps_.pop_front();
        if (step.apdu != apdu) {
            unexpected << hexText(apdu) + " instead of " + hexText(step.apdu);
        }
        reply = step.answer;
        return step.code;
    }
    void releaseCard() override { ++releases; }

    bool finished() const { return steps_.empty() && connects_.empty() && unexpected.isEmpty(); }

    QStringList unexpected;
    int releases = 0;
    std::chrono::milliseconds lastTimeout{-1};

private:
    struct Step {
        wire::Bytes apdu;
        long code;
        wire::Bytes answer;
    };
    long readerCode_;
    std::deque<long> connects_;
    std::deque<Step> steps_;
};
