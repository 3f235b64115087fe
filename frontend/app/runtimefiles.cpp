#include "app/runtimefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace runtimefiles {

QStringList searchFolders(const QString& workingDirectory, const QString& applicationDirectory) {
    QStringList folders;
    if (!workingDirectory.isEmpty()) {
        folders << QDir::cleanPath(workingDirectory);
    }
    if (!applicationDirectory.isEmpty()) {
        const QString folder = QDir::cleanPath(applicationDirectory);
        if (!folders.contains(folder)) {
            folders << folder;
        }
    }
    return folders;
}

QString folderHolding(const QString& relativePath, const QString& workingDirectory,
                      const QString& applicationDirectory) {
    for (const QString& folder : searchFolders(workingDirectory, applicationDirectory)) {
        if (QFileInfo(QDir(folder).filePath(relativePath)).isFile()) {
            return folder;
        }
    }
    return QString();
}

QString locate(const QString& relativePath, const QString& workingDirectory,
               const QString& applicationDirectory) {
    QString folder = folderHolding(relativePath, workingDirectory, applicationDirectory);
    if (folder.isEmpty()) {
        folder = workingDirectory;
    }
    return QDir(folder).filePath(relativePath);
}

QStringList searchFolders() {
    return searchFolders(QDir::currentPath(), QCoreApplication::applicationDirPath());
}

QString folderHolding(const QString& relativePath) {
    return folderHolding(relativePath, QDir::currentPath(), QCoreApplication::applicationDirPath());
}

QString locate(const QString& relativePath) {
    return locate(relativePath, QDir::currentPath(), QCoreApplication::applicationDirPath());
}

}  // namespace runtimefiles
