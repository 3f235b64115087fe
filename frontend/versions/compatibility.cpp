#include "versions/compatibility.h"

namespace compatibility {

const QStringList& basicRangeData() {
    static const QStringList data{QStringLiteral("tarVix=1.4.4"), QStringLiteral("tarVix=1.5.5"),
                                  QStringLiteral("tarVix=2017.06.0")};
    return data;
}

QString boundaryVersion(int range) {
    return basicRangeData().at(range).split(QLatin1Char('=')).at(1);
}

bool isCompatibleRange(const QString& start, const QString& end, int startIndex, int endIndex) {
    static const QString b1 = boundaryVersion(0);
    static const QString b2 = boundaryVersion(1);
    static const QString b3 = boundaryVersion(2);

    // 1.4.4 only reaches 1.5.4.
    if (start == b1) {
        return end == QLatin1String("1.5.4");
    }
    if (start == QLatin1String("1.5.4")) {
        return end == QLatin1String("1.5.4") && startIndex <= endIndex;
    }
    // The 1.5.5 family ends before 2017.06.0.
    if (start == b2 || start.contains(QLatin1String("2015")) ||
        start.contains(QLatin1String("2016")) || start == QLatin1String("2017.02.0")) {
        return end != b3 && end != QLatin1String("2017.10.0") &&
               !end.contains(QLatin1String("2018")) && !end.contains(QLatin1String("2019"));
    }
    return startIndex <= endIndex;
}

}  // namespace compatibility
