// The manuals doc/Handbuch.pdf and doc/Manual.pdf in the runtime folder, read
// back with poppler's tools: they cover the topics, use the window's own words
// (the German source texts and their English translations from the compiled
// catalogue), carry the screenshots and are real documents.
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTranslator>
#include <QtTest>

#include "testsupport.h"

namespace {

QString manualPath(const QString& language) {
    return QStringLiteral(QUILLMOOR_MANUAL_DIR "/") +
           (language == u"de" ? QStringLiteral("Handbuch.pdf") : QStringLiteral("Manual.pdf"));
}

// Output of a poppler tool, or a null string when it is not installed.
QString runTool(const QString& tool, const QStringList& arguments, QString* error) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        return {};
    }
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        *error = QStringLiteral("%1 failed: %2")
                     .arg(tool, QString::fromLocal8Bit(process.readAllStandardError()));
        return QStringLiteral("");
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The manual's text with all white space folded into single blanks, so that
// phrases broken across lines are still found.
QString manualText(const QString& language, QString* error) {
    const QString text = runTool(QStringLiteral("pdftotext"),
                                 {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                  manualPath(language), QStringLiteral("-")},
                                 error);
    // Compatibility normalisation undoes the typographic ligatures ("ﬁ").
    return text.isNull() ? text : text.normalized(QString::NormalizationForm_KC).simplified();
}

// How a window text reads in running prose: without its mnemonic marker.
QString asWritten(QString text) {
    text.remove(QRegularExpression(QStringLiteral("&(?=[^&\\s])")));
    return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

}  // namespace

class ManualTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void coversTopics_data();
    void coversTopics();
    void usesTheWindowsWords_data();
    void usesTheWindowsWords();
    void isARealDocument_data();
    void isARealDocument();

private:
    QHash<QString, QString> texts_;
};

void ManualTest::initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        QSKIP("pdftotext (poppler-utils) is not installed: the manuals cannot be read back");
    }
    for (const QString& language : {QStringLiteral("de"), QStringLiteral("en")}) {
        QVERIFY2(QFile::exists(manualPath(language)), qPrintable(manualPath(language)));
        QString error;
        texts_.insert(language, manualText(language, &error));
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
}

void ManualTest::coversTopics_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("phrases");
    QTest::newRow("de chapters") << "de"
                                 << QStringList{"Inhalt",
                                                "Überblick",
                                                "A2L konvertieren",
                                                "A2L vergleichen",
                                                "CfgInclude dekomprimieren",
                                                "Kompatible Versionen",
                                                "Verträglichkeitsregeln",
                                                "Meldungen und ihre Bedeutung",
                                                "Das Ausgabefenster",
                                                "Einstellungen",
                                                "Sprache",
                                                "Info und Handbuch",
                                                "Der Konverter auf der Kommandozeile",
                                                "Die Versionsdatei tarvixVersions.xml",
                                                "Fehlerbehebung"};
    QTest::newRow("en chapters") << "en"
                                 << QStringList{"Contents",
                                                "Overview",
                                                "Convert A2L",
                                                "Compare A2L",
                                                "Decompress CfgInclude",
                                                "Compatible versions",
                                                "Compatibility rules",
                                                "Messages and what they mean",
                                                "The log window",
                                                "Settings",
                                                "Language",
                                                "About box and manual",
                                                "The converter on the command line",
                                                "The versions file tarvixVersions.xml",
                                                "Troubleshooting"};
    const QStringList both{"-l tarVix=1.4.4",
                           "-l tarVix=1.5.5",
                           "-l tarVix=2017.06.0",
                           "tarVix+1.5.5-2017.02.0",
                           "QuillmoorConverter.exe compare",
                           "QuillmoorConverter.exe decompress",
                           "Done.",
                           "Warning:",
                           "Error.",
                           "%2E",
                           "~/.config/KOLDAN/VELMOR.conf",
                           "HKEY_CURRENT_USER\\Software\\KOLDAN\\VELMOR",
                           "libraryselection2",
                           "currenttab",
                           "TopVersion",
                           "VersionList",
                           "A2Ltranslator_la.qm",
                           "doc/Handbuch.pdf",
                           "doc/Manual.pdf",
                           "-n STATION"};
    QTest::newRow("de command line and files") << "de" << both;
    QTest::newRow("en command line and files") << "en" << both;
    QTest::newRow("de umlauts") << "de"
                                << QStringList{"Verträglichkeitsregeln", "größer", "Schlüssel",
                                               "Präfix", "Ausgabeverzeichnis*"};
}

void ManualTest::coversTopics() {
    QFETCH(QString, language);
    QFETCH(QStringList, phrases);
    const QString& text = texts_.value(language);
    QStringList missing;
    for (const QString& phrase : phrases) {
        if (!text.contains(phrase)) {
            missing << phrase;
        }
    }
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("not in the ") + language + QStringLiteral(" manual: ") +
                        missing.join(QStringLiteral(" | "))));
}

// The German manual names what the window shows in German; the English one
// what the compiled catalogue turns it into. A changed window text or
// translation shows up here as a manual to update.
void ManualTest::usesTheWindowsWords_data() {
    QTest::addColumn<QString>("context");
    QTest::addColumn<QStringList>("sources");
    QTest::newRow("tabs and buttons")
        << "MainWindow"
        << QStringList{"A2L konvertieren", "A2L Vergleich", "CfgInclude dekomprimieren",
                       "Konvertieren",     "Vergleichen",   "Dekomprimieren"};
    QTest::newRow("fields") << "MainWindow"
                            << QStringList{"Ursprungs-A2L*",
                                           "Datei &zlib komprimieren",
                                           "Datei in Klarte&xt ausgeben",
                                           "Kompatible Versionen",
                                           "Erw.",
                                           "Signal-Prefix",
                                           "Stationsname",
                                           "Ausgabeverzeichnis*",
                                           "Bisheriges A2L-File*",
                                           "Neues A2L-File*",
                                           "Detailausgabe",
                                           "Datei auswählen (.cfginclude)*",
                                           "* = Diese Felder sind Pflichtfelder"};
    QTest::newRow("menus") << "MainWindow"
                           << QStringList{"Datei",         "Beenden",  "Einstellungen",
                                          "Sprachen",      "Hilfe",    "Über Quillmoor",
                                          "Dokumentation", "Handbuch", "Optionales Ausgabefenster"};
    QTest::newRow("boxes") << "MainWindow"
                           << QStringList{"Fehlende Argumente",
                                          "Dateifehler",
                                          "Warnung!",
                                          "Fehler!",
                                          "Abgeschlossen!",
                                          "A2L wurde konvertiert!",
                                          "A2L's wurden verglichen!",
                                          "CfgInclude wurde dekomprimiert!",
                                          "Auswahl der End-Version muss größer sein als die "
                                          "Start-Version!",
                                          "KOLDAN Quillmoor"};
    QTest::newRow("dialogs") << "MainWindow"
                             << QStringList{"Auswahl der Ursprungs-A2L...",
                                            "Auswahl des Zielverzeichnisses und Dateinamen...",
                                            "Auswahl der bisherigen A2L...",
                                            "Auswahl der neuen A2L...",
                                            "Auswahl der CfgInclude...",
                                            "A2L-Datei (*.a2l)",
                                            "CfgInclude-Datei (*.cfginclude)"};
    QTest::newRow("version ranges")
        << "MainWindow" << QStringList{"1.4.4 bis 1.5.4", "1.5.5 bis 2017.06", "2017.06+"};
    QTest::newRow("language dialog")
        << "LanguageSelection"
        << QStringList{"Sprachauswahl",     "Deutsch",
                       "Englisch",          "Sprache übernehmen und dieses Fenster schließen",
                       "Abbrechen",         "Neustart erforderlich",
                       "Direkt neu starten"};
}

void ManualTest::usesTheWindowsWords() {
    QFETCH(QString, context);
    QFETCH(QStringList, sources);
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(QUILLMOOR_CATALOGUE_QM)));
    QStringList missing;
    for (const QString& source : sources) {
        if (!texts_.value(QStringLiteral("de")).contains(asWritten(source))) {
            missing << QStringLiteral("de: ") + asWritten(source);
        }
        const QString translated =
            english.translate(context.toUtf8().constData(), source.toUtf8().constData());
        QVERIFY2(!translated.isEmpty(), qPrintable(QStringLiteral("no translation for ") + source));
        if (!texts_.value(QStringLiteral("en")).contains(asWritten(translated))) {
            missing << QStringLiteral("en: ") + asWritten(translated);
        }
    }
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("window texts the manuals do not name:\n  ") +
                        missing.join(QStringLiteral("\n  "))));
}

void ManualTest::isARealDocument_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("title");
    QTest::newRow("de") << "de" << QStringLiteral("Quillmoor – Benutzerhandbuch");
    QTest::newRow("en") << "en" << QStringLiteral("Quillmoor – User Manual");
}

void ManualTest::isARealDocument() {
    QFETCH(QString, language);
    QFETCH(QString, title);
    QString error;
    const QString info = runTool(QStringLiteral("pdfinfo"), {manualPath(language)}, &error);
    if (info.isNull()) {
        QSKIP("pdfinfo (poppler-utils) is not installed");
    }
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const auto field = [&info](const QString& name) {
        const QRegularExpression re(QStringLiteral("^") + name + QStringLiteral(":\\s*(.*)$"),
                                    QRegularExpression::MultilineOption);
        return re.match(info).captured(1).trimmed();
    };
    QCOMPARE(field(QStringLiteral("Title")), title);
    QVERIFY2(field(QStringLiteral("Pages")).toInt() >= 15, qPrintable(field("Pages")));
    QVERIFY2(field(QStringLiteral("Page size")).endsWith(QStringLiteral("(A4)")),
             qPrintable(field(QStringLiteral("Page size"))));

    // Every screenshot the source asks for is in the PDF.
    const QString images = runTool(QStringLiteral("pdfimages"),
                                   {QStringLiteral("-list"), manualPath(language)}, &error);
    if (images.isNull()) {
        QSKIP("pdfimages (poppler-utils) is not installed");
    }
    const auto rows = images.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY2(rows.size() - 2 >= 7, qPrintable(images));  // two header lines

    // The page numbers in the table of contents point at the chapters: the
    // troubleshooting chapter starts on the page the contents name.
    const QString heading =
        language == u"de" ? QStringLiteral("Fehlerbehebung") : QStringLiteral("Troubleshooting");
    const QString page1 = runTool(QStringLiteral("pdftotext"),
                                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                   QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                   QStringLiteral("2"), manualPath(language), QStringLiteral("-")},
                                  &error)
                              .simplified();
    const QRegularExpression entry(heading + QStringLiteral(" (\\d+)"));
    const auto match = entry.match(page1);
    QVERIFY2(match.hasMatch(), qPrintable(page1));
    const QString page = match.captured(1);
    const QString chapterPage =
        runTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-enc"), QStringLiteral("UTF-8"), QStringLiteral("-f"), page,
                 QStringLiteral("-l"), page, manualPath(language), QStringLiteral("-")},
                &error)
            .simplified();
    QVERIFY2(chapterPage.startsWith(heading), qPrintable(chapterPage.left(200)));
}

QUILLMOOR_TEST_MAIN(ManualTest)
#include "tst_manual.moc"
