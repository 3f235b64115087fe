#pragma once

#include <QByteArray>
#include <QString>

// The converter's version line as the About box shows it.
namespace aboutline {

// Latin-1 up to the first NUL, without "KOLDAN QuillmoorConverter ", white space
// simplified.
QString cleanVersionLine(const QByteArray& line);

// Only lines of a 1.x converter (anything containing "1.") are shown.
bool isConverterVersion(const QString& cleanedLine);

}  // namespace aboutline
