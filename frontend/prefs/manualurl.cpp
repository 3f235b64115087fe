#include "prefs/manualurl.h"

namespace manualurl {

QString manualRelativePath(int language) {
    return language == 1 ? QStringLiteral("doc/Handbuch.pdf") : QStringLiteral("doc/Manual.pdf");
}

QString manualUrlText(int language, const QString& workingDirectory) {
    const QString pattern = language == 1 ? QStringLiteral("file:///%1/doc/Handbuch.pdf")
                                          : QStringLiteral("file:///%1/doc/Manual.pdf");
    QString directory = workingDirectory;
    if (directory.startsWith(QLatin1Char('/')) && !directory.startsWith(QLatin1String("//"))) {
        directory.remove(0, 1);
    }
    return pattern.arg(directory);
}

QUrl manualUrl(int language, const QString& workingDirectory) {
    return QUrl(manualUrlText(language, workingDirectory), QUrl::TolerantMode);
}

}  // namespace manualurl
