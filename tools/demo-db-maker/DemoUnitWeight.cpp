#include "DemoUnitWeight.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>

namespace demodb {

namespace {

// A unit weighs its filler plus a share of the active ingredient's weight.
struct Form {
    double fillerGrams;
    double perActiveGram;
    double least;
    double most;
};

constexpr Form tablet{0.1, 1.2, 0.1, 0.8};
constexpr Form capsule{0.2, 0.9, 0.2, 0.7};
// For a name without a strength.
constexpr double usualActiveGrams = 0.2;
constexpr double mostNudge = 0.05;

std::optional<Form> formOf(const QString& name) {
    if (name.contains(u"膠囊") || name.contains(u"capsule", Qt::CaseInsensitive))
        return capsule;
    if (name.contains(u'錠') || name.contains(u"tablet", Qt::CaseInsensitive))
        return tablet;
    return std::nullopt;
}

double activeGrams(const QString& name) {
    static const QRegularExpression strength(
        QStringLiteral("(\\d+(?:\\.\\d+)?)\\s*(mg|g)(?![a-z])"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = strength.match(name);
    if (!match.hasMatch())
        return usualActiveGrams;
    bool ok = false;
    double amount = match.captured(1).toDouble(&ok);
    // Only digits were taken, so it failed by being beyond a double's range.
    if (!ok)
        amount = std::numeric_limits<double>::infinity();
    return match.captured(2).compare(u"mg", Qt::CaseInsensitive) == 0 ? amount / 1000 : amount;
}

// -1 to 1, fixed for the name (FNV-1a over its UTF-8), unlike qHash, which is seeded per process.
double nameNudge(const QString& name) {
    quint32 hash = 2166136261U;
    for (const char byte : name.toUtf8()) {
        hash ^= static_cast<quint8>(byte);
        hash *= 16777619U;
    }
    return static_cast<double>(hash % 201) / 100 - 1;
}

} // namespace

std::optional<double> demoUnitWeight(const QString& drugName) {
    const std::optional<Form> form = formOf(drugName);
    if (!form)
        return std::nullopt;
    const double grams = (form->fillerGrams + form->perActiveGram * activeGrams(drugName)) *
                         (1 + mostNudge * nameNudge(drugName));
    return std::round(std::clamp(grams, form->least, form->most) * 1000) / 1000;
}

} // namespace demodb
