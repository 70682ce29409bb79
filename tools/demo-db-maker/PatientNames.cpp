#include "PatientNames.h"

#include <QStringView>

namespace demodb {

namespace {

QChar pick(QRandomGenerator& random, QStringView characters) {
    return characters.at(random.bounded(static_cast<int>(characters.size())));
}

constexpr QStringView surnames = u"陳林黃張李王吳劉蔡楊許鄭謝郭洪曾邱廖賴周徐蘇葉莊呂江何蕭羅高";
constexpr QStringView maleGiven = u"志明建宏俊傑家豪文雄國榮冠宇承翰正偉柏信";
constexpr QStringView femaleGiven = u"淑芬美玲怡君雅婷佩珊欣慧惠如筠琪靜秀麗萍";
constexpr QStringView neutralGiven = u"子安晨曦永思心平光和善";

} // namespace

QString makePatientName(QRandomGenerator& random, std::optional<bool> male) {
    const QStringView given = !male ? neutralGiven : (*male ? maleGiven : femaleGiven);
    QString name;
    name += pick(random, surnames);
    name += pick(random, given);
    name += pick(random, given);
    return name;
}

} // namespace demodb
