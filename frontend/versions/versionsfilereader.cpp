#include "versions/versionsfilereader.h"

#include <QFile>
#include <QXmlStreamReader>

bool VersionsFileReader::read(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    return readBytes(file.readAll());
}

bool VersionsFileReader::readBytes(const QByteArray& bytes) {
    QXmlStreamReader xml(QString::fromUtf8(bytes));

    // Everything before the anchor is skipped, but an XML error there ends the read.
    for (;;) {
        if (xml.atEnd() || xml.hasError()) {
            return false;
        }
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"TopVersion") {
            break;
        }
    }

    // Stops with an error at a nested element; the text before it is kept.
    topVersion = xml.readElementText();

    if (!xml.readNextStartElement() || xml.name() != u"VersionList") {
        return true;
    }
    // The text of nested elements runs together with the rest; an error inside
    // the list leaves the text read up to it. Nothing after the list is read.
    const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
    versionList = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return true;
}
