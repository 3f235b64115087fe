#include "converter/commandline.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace commandline {

QString pathFragment(const QString& path) {
    if (path.isEmpty()) {
        return QString();
    }
    return QStringLiteral(" \"") + path + QLatin1Char('"');
}

QString switchFragment(bool checked, const QString& flag, const QString& whenOff) {
    return checked ? flag : whenOff;
}

QString valueFragment(const QString& text, const QString& option) {
    if (text.isEmpty()) {
        return QStringLiteral(" ");
    }
    return option + text;
}

QString stemOf(const QString& path) {
    QString stem = path;
    stem.truncate(qMax(0, stem.lastIndexOf(QLatin1Char('.'))));
    return stem;
}

QString commandString(const QString& converterName, const QString& verb, const QString& arguments) {
    return converterName + QLatin1Char(' ') + verb + QLatin1Char(' ') + arguments;
}

QStringList splitCommand(const QString& command) {
    return QProcess::splitCommand(command);
}

namespace {

bool isRunnableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

}  // namespace

QString resolveProgram(const QString& name, const QString& workingDirectory,
                       const QString& applicationDirectory, const QByteArray& searchPath) {
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))) {
        return name;
    }
    QStringList folders{workingDirectory, applicationDirectory};
    const QChar separator = QDir::listSeparator();
    for (const QString& folder : QString::fromLocal8Bit(searchPath).split(separator)) {
        // An empty PATH entry means the current directory, already searched first.
        if (!folder.isEmpty()) {
            folders << folder;
        }
    }
    for (const QString& folder : folders) {
        if (folder.isEmpty()) {
            continue;
        }
        const QString candidate = QDir(folder).absoluteFilePath(name);
        if (isRunnableFile(candidate)) {
            return QDir::cleanPath(candidate);
        }
    }
    return name;
}

}  // namespace commandline
