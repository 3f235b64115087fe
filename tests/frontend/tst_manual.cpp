// The manuals in the runtime folder, read back with pdftotext, name the window's tabs, menus
// and boxes in their language (English from the catalogue: a changed text needs the manual).
#include "testsupport.h"

class ManualTest : public QObject {
    Q_OBJECT

private slots:
    void namesTheWindowsWords();
};

void ManualTest::namesTheWindowsWords() {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) {
        QSKIP("pdftotext (poppler-utils) is not installed: the manuals cannot be read back");
    }
    QTranslator catalogue;
    QVERIFY(catalogue.load(QStringLiteral(QUILLMOOR_CATALOGUE_QM)));
    for (const bool english : {false, true}) {
        const QString file = english ? "Manual.pdf" : "Handbuch.pdf";
        QProcess process;
        process.start(pdftotext,
                      {"-enc", "UTF-8", QStringLiteral(QUILLMOOR_MANUAL_DIR "/") + file, "-"});
        QVERIFY2(process.waitForFinished(60000) && process.exitCode() == 0, qPrintable(file));
        const QString text = QString::fromUtf8(process.readAllStandardOutput())
                                 .normalized(QString::NormalizationForm_KC)
                                 .simplified();
        QVERIFY2(text.size() > 10000, qPrintable(file));
        QStringList missing;
        for (const char* source :
             {"A2L konvertieren", "A2L Vergleich", "CfgInclude dekomprimieren", "Einstellungen",
              "Sprachen", "Optionales Ausgabefenster", "Handbuch", "Abgeschlossen!", "Fehler!",
              "Warnung!", "Dateifehler", "A2L wurde konvertiert!", "Kompatible Versionen"}) {
            const QString word =
                english ? catalogue.translate("MainWindow", source) : QString::fromUtf8(source);
            if (word.isEmpty() || !text.contains(word)) {
                missing << word + " (" + QString::fromUtf8(source) + ")";
            }
        }
        QVERIFY2(missing.isEmpty(), qPrintable("not named in " + file + ": " + missing.join(", ")));
    }
}

QUILLMOOR_TEST_MAIN(ManualTest)
#include "tst_manual.moc"
