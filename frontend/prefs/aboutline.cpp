#include "prefs/aboutline.h"

namespace aboutline {

QString cleanVersionLine(const QByteArray& line) {
    // constData() is NUL-terminated, so the conversion stops at the first NUL.
    QString text = QString::fromLatin1(line.constData());
    text.remove(QStringLiteral("KOLDAN QuillmoorConverter "), Qt::CaseSensitive);
    return text.simplified();
}

bool isConverterVersion(const QString& cleanedLine) {
    return cleanedLine.contains(QLatin1String("1."), Qt::CaseSensitive);
}

}  // namespace aboutline
