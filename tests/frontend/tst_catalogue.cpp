// The English catalogue A2Ltranslator_la: complete against the sources, the
// translations keep the form of their source texts, the build compiled the
// current catalogue, and the window shows no German text with it.
#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

#include "prefs/languageselection.h"
#include "testsupport.h"

namespace {

struct CatalogueMessage {
    QString context;
    QString source;
    QString comment;
    QString translation;
    QString type;  // "", "unfinished", "vanished" or "obsolete"
    QStringList numerusForms;
    bool numerus = false;

    QString key() const { return context + QChar(0) + source + QChar(0) + comment; }
    QString label() const { return context + QStringLiteral(": \"") + source + u'"'; }
};

QList<CatalogueMessage> readCatalogue(const QString& path, QString* error) {
    QList<CatalogueMessage> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open %1").arg(path);
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            CatalogueMessage message;
            message.context = context;
            message.numerus = xml.attributes().value(QStringLiteral("numerus")) == u"yes";
            while (xml.readNextStartElement()) {
                if (xml.name() == u"source") {
                    message.source = xml.readElementText();
                } else if (xml.name() == u"comment") {
                    message.comment = xml.readElementText();
                } else if (xml.name() == u"translation") {
                    message.type = xml.attributes().value(QStringLiteral("type")).toString();
                    if (message.numerus) {
                        while (xml.readNextStartElement()) {
                            message.numerusForms << xml.readElementText();
                        }
                    } else {
                        message.translation = xml.readElementText();
                    }
                } else {
                    xml.skipCurrentElement();
                }
            }
            messages << message;
        }
    }
    if (xml.hasError()) {
        *error =
            QStringLiteral("%1: %2 at line %3").arg(path, xml.errorString()).arg(xml.lineNumber());
    }
    return messages;
}

bool isFinished(const CatalogueMessage& m) {
    if (!m.type.isEmpty()) {
        return false;
    }
    if (m.numerus) {
        return !m.numerusForms.isEmpty() &&
               std::none_of(m.numerusForms.begin(), m.numerusForms.end(),
                            [](const QString& form) { return form.trimmed().isEmpty(); });
    }
    return !m.translation.trimmed().isEmpty();
}

QStringList matches(const QString& text, const QRegularExpression& re) {
    QStringList found;
    auto it = re.globalMatch(text);
    while (it.hasNext()) {
        found << it.next().captured(0);
    }
    return found;
}

QStringList sortedPlaceholders(const QString& text) {
    static const QRegularExpression re(QStringLiteral("%(?:L?[1-9][0-9]?|n)"));
    QStringList found = matches(text, re);
    found.sort();
    return found;
}

QStringList htmlTags(const QString& text) {
    static const QRegularExpression re(QStringLiteral("</?[a-zA-Z][^>]*>"));
    return matches(text, re);
}

// Keyboard mnemonics: "&" before a letter or digit; "&&" is a literal ampersand.
int mnemonicCount(const QString& text) {
    int count = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') {
            continue;
        }
        if (text[i + 1] == u'&') {
            ++i;
        } else if (text[i + 1].isLetterOrNumber()) {
            ++count;
        }
    }
    return count;
}

QStringList fileFilterPatterns(const QString& text) {
    static const QRegularExpression re(QStringLiteral("\\([^)]*\\*[^)]*\\)"));
    return matches(text, re);
}

bool hasGermanLetters(const QString& text) {
    static const QRegularExpression re(QStringLiteral("[äöüÄÖÜß]"));
    return re.match(text).hasMatch();
}

}  // namespace

class CatalogueTest : public QObject {
    Q_OBJECT

private slots:
    void everySourceTextIsTranslated();
    void translationKeepsForm_data();
    void translationKeepsForm();
    void compiledCatalogueMatchesSource();
    void compiledCatalogueSpotChecks_data();
    void compiledCatalogueSpotChecks();
    void windowShowsNoGermanText();
    void languageDialogShowsNoGermanText();
};

void CatalogueTest::everySourceTextIsTranslated() {
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString scanned = tmp.filePath(QStringLiteral("scanned.ts"));
    QProcess lupdate;
    lupdate.start(QStringLiteral(QUILLMOOR_LUPDATE),
                  {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                   QStringLiteral("-no-obsolete"), QStringLiteral(QUILLMOOR_FRONTEND_SOURCE_DIR),
                   QStringLiteral("-ts"), scanned});
    QVERIFY2(lupdate.waitForFinished(120000), "lupdate did not finish");
    QVERIFY2(lupdate.exitStatus() == QProcess::NormalExit && lupdate.exitCode() == 0,
             lupdate.readAllStandardError().constData());

    QString error;
    const QList<CatalogueMessage> inSources = readCatalogue(scanned, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QList<CatalogueMessage> inCatalogue =
        readCatalogue(QStringLiteral(QUILLMOOR_CATALOGUE_TS), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    // The scan must have seen the form, or an empty scan would pass.
    const auto formTexts = std::count_if(inSources.begin(), inSources.end(),
                                         [](const auto& m) { return m.context == u"MainWindow"; });
    QVERIFY2(
        formTexts >= 50,
        qPrintable(QStringLiteral("lupdate found only %1 texts of MainWindow").arg(formTexts)));

    QHash<QString, CatalogueMessage> byKey;
    for (const auto& m : inCatalogue) {
        byKey.insert(m.key(), m);
    }
    QStringList missing;
    for (const auto& m : inSources) {
        const auto it = byKey.constFind(m.key());
        if (it == byKey.constEnd()) {
            missing << m.label() + QStringLiteral(" (not in the catalogue)");
        } else if (!isFinished(*it)) {
            missing << m.label() + (it->type.isEmpty() ? QStringLiteral(" (empty)")
                                                       : QStringLiteral(" (") + it->type + u')');
        }
    }
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("Source texts without a finished English translation "
                                       "(refresh with lupdate and translate):\n  ") +
                        missing.join(QStringLiteral("\n  "))));
}

void CatalogueTest::translationKeepsForm_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("translation");
    QString error;
    const auto messages = readCatalogue(QStringLiteral(QUILLMOOR_CATALOGUE_TS), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(!messages.isEmpty());
    for (const auto& m : messages) {
        if (!isFinished(m) || m.numerus) {
            continue;
        }
        QTest::newRow(qPrintable(m.label().left(70))) << m.source << m.translation;
    }
}

void CatalogueTest::translationKeepsForm() {
    QFETCH(QString, source);
    QFETCH(QString, translation);
    QCOMPARE(sortedPlaceholders(translation), sortedPlaceholders(source));
    QCOMPARE(translation.count(u'\n'), source.count(u'\n'));
    QCOMPARE(htmlTags(translation), htmlTags(source));
    QCOMPARE(mnemonicCount(translation), mnemonicCount(source));
    QCOMPARE(fileFilterPatterns(translation), fileFilterPatterns(source));
    // Mandatory marks and the "opens a dialog" ellipsis stay at the end.
    QCOMPARE(translation.endsWith(u'*'), source.endsWith(u'*'));
    QCOMPARE(translation.endsWith(QStringLiteral("...")), source.endsWith(QStringLiteral("...")));
    QCOMPARE(translation.startsWith(u' '), source.startsWith(u' '));
    QVERIFY2(!hasGermanLetters(translation), qPrintable(translation));
}

void CatalogueTest::compiledCatalogueMatchesSource() {
    QTranslator translator;
    QVERIFY2(translator.load(QStringLiteral(QUILLMOOR_CATALOGUE_QM)),
             "the build did not produce " QUILLMOOR_CATALOGUE_QM);
    QString error;
    const auto messages = readCatalogue(QStringLiteral(QUILLMOOR_CATALOGUE_TS), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QStringList stale;
    int checked = 0;
    for (const auto& m : messages) {
        if (!isFinished(m) || m.numerus) {
            continue;
        }
        const QString got =
            translator.translate(m.context.toUtf8().constData(), m.source.toUtf8().constData(),
                                 m.comment.isEmpty() ? nullptr : m.comment.toUtf8().constData());
        if (got != m.translation) {
            stale << m.label() + QStringLiteral(" -> \"") + got + u'"';
        }
        ++checked;
    }
    QVERIFY(checked > 0);
    QVERIFY2(stale.isEmpty(),
             qPrintable(QStringLiteral("The compiled catalogue differs from its source:\n  ") +
                        stale.join(QStringLiteral("\n  "))));
}

void CatalogueTest::compiledCatalogueSpotChecks_data() {
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("expected");
    QTest::newRow("button") << "MainWindow"
                            << "Konvertieren"
                            << "Convert";
    QTest::newRow("tab") << "MainWindow"
                         << "CfgInclude dekomprimieren"
                         << "Decompress CfgInclude";
    QTest::newRow("mnemonic") << "MainWindow"
                              << "Datei &zlib komprimieren"
                              << "Compress file with &zlib";
    QTest::newRow("menu") << "MainWindow"
                          << "Über Quillmoor"
                          << "About Quillmoor";
    QTest::newRow("box with line breaks")
        << "MainWindow"
        << "Der Pfad der bisherigen A2L und/oder der Pfad der neuen A2L wurden nicht "
           "angegeben!\n\nBitte korrigieren!"
        << "The path of the previous A2L and/or the path of the new A2L are missing!\n\n"
           "Please correct this!";
    QTest::newRow("placeholder") << "MainWindow"
                                 << "Versionsdatei (%1) wurde nicht gefunden."
                                 << "Versions file (%1) was not found.";
    QTest::newRow("range item") << "MainWindow"
                                << "1.5.5 bis 2017.06"
                                << "1.5.5 to 2017.06";
    QTest::newRow("dialog") << "LanguageSelection"
                            << "Direkt neu starten"
                            << "Restart now";
    QTest::newRow("dialog heading") << "LanguageSelection"
                                    << "Sprachauswahl"
                                    << "Language selection";
}

void CatalogueTest::compiledCatalogueSpotChecks() {
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, expected);
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(QUILLMOOR_CATALOGUE_QM)));
    QCOMPARE(translator.translate(context.toUtf8().constData(), source.toUtf8().constData()),
             expected);
    // The front-end loads it by base name from its working directory.
    TestWorkspace ws;
    QVERIFY(ws.isValid());
    QVERIFY(QFile::copy(QStringLiteral(QUILLMOOR_CATALOGUE_QM),
                        ws.filePath(QStringLiteral("A2Ltranslator_la.qm"))));
    QTranslator byName;
    QVERIFY(byName.load(QStringLiteral("A2Ltranslator_la")));
    QCOMPARE(byName.translate(context.toUtf8().constData(), source.toUtf8().constData()), expected);
}

// Every text a widget tree shows: titles, labels, buttons, group boxes, tabs,
// combo items, tool tips and actions.
QStringList shownTexts(QWidget* top) {
    QStringList shown{top->windowTitle()};
    for (QWidget* widget : top->findChildren<QWidget*>()) {
        shown << widget->toolTip();
        if (auto* l = qobject_cast<QLabel*>(widget)) {
            shown << l->text();
        } else if (auto* b = qobject_cast<QAbstractButton*>(widget)) {
            shown << b->text();
        } else if (auto* g = qobject_cast<QGroupBox*>(widget)) {
            shown << g->title();
        } else if (auto* t = qobject_cast<QTabWidget*>(widget)) {
            for (int i = 0; i < t->count(); ++i) {
                shown << t->tabText(i);
            }
        } else if (auto* c = qobject_cast<QComboBox*>(widget)) {
            for (int i = 0; i < c->count(); ++i) {
                shown << c->itemText(i);
            }
        }
    }
    for (QAction* action : top->findChildren<QAction*>()) {
        shown << action->text();
    }
    shown.removeAll(QString());
    shown.removeDuplicates();
    return shown;
}

// The texts among `shown` that are still German: a source text whose English
// translation differs, or anything with umlauts or sharp s.
QStringList germanTexts(const QStringList& shown) {
    QString error;
    QSet<QString> translatable;
    for (const auto& m : readCatalogue(QStringLiteral(QUILLMOOR_CATALOGUE_TS), &error)) {
        if (isFinished(m) && m.translation != m.source) {
            translatable.insert(m.source);
        }
    }
    QStringList german;
    for (const QString& text : shown) {
        if (translatable.contains(text) || hasGermanLetters(text)) {
            german << text;
        }
    }
    return german;
}

// Every text of the window (form, tool tips, menus, range items) comes out in
// English: a text left German was not passed through the translation in
// context MainWindow, or its translation is missing.
void CatalogueTest::windowShowsNoGermanText() {
    TestWorkspace ws;
    QVERIFY(ws.isValid());
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(QUILLMOOR_CATALOGUE_QM)));
    QCoreApplication::installTranslator(&english);
    DialogWatcher watcher;  // answers the versions-file warning, if any
    {
        MainWindow w;
        const QStringList shown = shownTexts(&w);
        QVERIFY(shown.size() > 40);
        QVERIFY(shown.contains(QStringLiteral("Convert")));
        QVERIFY(shown.contains(QStringLiteral("Compare A2L")));
        QVERIFY(shown.contains(QStringLiteral("Optional log window")));
        const QStringList german = germanTexts(shown);
        QVERIFY2(german.isEmpty(),
                 qPrintable(QStringLiteral("German texts in the English window:\n  ") +
                            german.join(QStringLiteral("\n  "))));
    }
    QCoreApplication::removeTranslator(&english);
    QCOMPARE(watcher.unexpected, 0);
}

// The language dialog and its restart notice, in context LanguageSelection.
void CatalogueTest::languageDialogShowsNoGermanText() {
    TestWorkspace ws;
    QVERIFY(ws.isValid());
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(QUILLMOOR_CATALOGUE_QM)));
    QCoreApplication::installTranslator(&english);
    {
        LanguageSelection dialog(LanguageSelection::kEnglishCode);
        const QStringList shown = shownTexts(&dialog);
        QVERIFY(shown.contains(QStringLiteral("Language selection")));
        QVERIFY(shown.contains(QStringLiteral("German")));
        QVERIFY(shown.contains(QStringLiteral("Cancel")));
        QStringList german = germanTexts(shown);

        DialogWatcher watcher;
        watcher.queueButton(QStringLiteral("OK"));
        dialog.acceptChanges();  // shows the restart notice
        QCOMPARE(watcher.boxes.size(), 1);
        const DialogWatcher::Box& notice = watcher.boxes.first();
        QCOMPARE(notice.title, QStringLiteral("Restart required"));
        QVERIFY(notice.buttons.contains(QStringLiteral("Restart now")));
        german << germanTexts(QStringList{notice.title, notice.text} + notice.buttons);
        QVERIFY2(german.isEmpty(),
                 qPrintable(QStringLiteral("German texts in the English dialog:\n  ") +
                            german.join(QStringLiteral("\n  "))));
        QCOMPARE(watcher.unexpected, 0);
    }
    QCoreApplication::removeTranslator(&english);
}

QUILLMOOR_TEST_MAIN(CatalogueTest)
#include "tst_catalogue.moc"
