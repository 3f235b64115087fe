#pragma once

#include <QString>
#include <QStringList>

// The fixed version ranges of the basic mode and the rules that decide which
// advanced start/end pairs the converter can serve.
namespace compatibility {

// Converter values of the three basic ranges, oldest first: "tarVix=1.4.4",
// "tarVix=1.5.5", "tarVix=2017.06.0".
const QStringList& basicRangeData();

// The version part of a basic range value (the text after "=").
QString boundaryVersion(int range);

// Whether the pair of displayed start and end texts, at those positions of the
// versions list, forms a range the converter supports. The first rule whose start
// condition holds decides.
bool isCompatibleRange(const QString& start, const QString& end, int startIndex, int endIndex);

}  // namespace compatibility
