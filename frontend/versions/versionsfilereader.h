#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reads "tarvixVersions.xml": the first TopVersion element (at any depth) and the
// VersionList element that must follow it directly. The bytes are always taken
// as UTF-8, whatever the XML declaration says.
class VersionsFileReader {
public:
    // Reads the named file (relative names resolve against the working directory).
    // True when the file could be opened and holds a TopVersion element.
    bool read(const QString& fileName);

    // The same on bytes already in memory.
    bool readBytes(const QByteArray& bytes);

    QString topVersion;
    QStringList versionList;
};
