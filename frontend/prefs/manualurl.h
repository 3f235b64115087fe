#pragma once

#include <QString>
#include <QUrl>

// The PDF manual below the working directory: "doc/Handbuch.pdf" for German
// (language 1), "doc/Manual.pdf" for every other value.
namespace manualurl {

// The manual's path below the program's folder: "doc/Handbuch.pdf" or "doc/Manual.pdf".
QString manualRelativePath(int language);

// The URL text, "file:///" followed by the directory. A Unix directory loses its
// leading slash there, so that the text has three slashes as with a drive letter.
QString manualUrlText(int language, const QString& workingDirectory);

// The text parsed tolerantly (blanks in the directory are accepted as they are).
QUrl manualUrl(int language, const QString& workingDirectory);

}  // namespace manualurl
