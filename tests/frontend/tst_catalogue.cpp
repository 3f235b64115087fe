// The English catalogue A2Ltranslator_la: finished translations that keep their placeholders
// and line breaks, and no German text in the window or the language dialog.
#include "prefs/languageselection.h"
#include "testsupport.h"

namespace {

struct Message {
    QString context;
    QString source;
    QString translation;
    bool finished = false;
};

QList<Message> readCatalogue(const QString& path) {
    QList<Message> messages;
    QFile file(path);
    QXmlStreamReader xml(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    QString context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            messages << Message{context, {}, {}, false};
        } else if (xml.name() == u"source" && !messages.isEmpty()) {
            messages.last().source = xml.readElementText();
        } else if (xml.name() == u"translation" && !messages.isEmpty()) {
            const bool unfinished = !xml.attributes().value("type").isEmpty();
            messages.last().translation = xml.readElementText();
            messages.last().finished =
                !unfinished && !messages.last().translation.trimmed().isEmpty();
        }
    }
    return messages;
}

QStringList placeholders(const QString& text) {
    static const QRegularExpression re(QStringLiteral("%L?[1-9]"));
    QStringList found;
    for (auto it = re.globalMatch(text); it.hasNext();) {
        found << it.next().captured(0);
    }
    found.sort();
    return found << QString::number(text.count(u'\n'));
}

// Every text a widget tree shows, and the texts of the catalogue that have an
// English translation of their own or German letters among them.
QStringList germanShown(QWidget* top) {
    QStringList shown{top->windowTitle()};
    for (QWidget* widget : top->findChildren<QWidget*>()) {
        // Labels and buttons have a text, group boxes a title.
        shown << widget->toolTip() << widget->property("text").toString()
              << widget->property("title").toString();
        if (auto* t = qobject_cast<QTabWidget*>(widget)) {
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
    QSet<QString> translatable;
    for (const Message& m : readCatalogue(QStringLiteral(QUILLMOOR_CATALOGUE_TS))) {
        if (m.translation != m.source) {
            translatable.insert(m.source);
        }
    }
    static const QRegularExpression umlauts(QStringLiteral("[äöüÄÖÜß]"));
    QStringList german;
    for (const QString& text : shown) {
        if (translatable.contains(text) || umlauts.match(text).hasMatch()) {
            german << text;
        }
    }
    return german;
}

}  // namespace

class CatalogueTest : public QObject {
    Q_OBJECT

private slots:
    void everySourceTextIsTranslated();
    void windowShowsNoGermanText();
};

void CatalogueTest::everySourceTextIsTranslated() {
    QTemporaryDir tmp;
    const QString scanned = tmp.filePath(QStringLiteral("scanned.ts"));
    QProcess lupdate;
    lupdate.start(QStringLiteral(QUILLMOOR_LUPDATE),
                  {"-silent", "-locations", "none", "-no-obsolete",
                   QStringLiteral(QUILLMOOR_FRONTEND_SOURCE_DIR), "-ts", scanned});
    QVERIFY2(lupdate.waitForFinished(120000) && lupdate.exitCode() == 0,
             lupdate.readAllStandardError().constData());
    const QList<Message> inSources = readCatalogue(scanned);
    QVERIFY2(inSources.size() >= 50, "lupdate found too few texts");
    QHash<QString, Message> catalogue;
    for (const Message& m : readCatalogue(QStringLiteral(QUILLMOOR_CATALOGUE_TS))) {
        catalogue.insert(m.context + u'\0' + m.source, m);
    }
    QStringList wrong;
    for (const Message& m : inSources) {
        const Message found = catalogue.value(m.context + u'\0' + m.source);
        if (!found.finished || placeholders(found.translation) != placeholders(m.source)) {
            wrong << m.context + ": " + m.source;
        }
    }
    QVERIFY2(wrong.isEmpty(), qPrintable("Without a fitting English translation (run lupdate "
                                         "and translate):\n  " +
                                         wrong.join("\n  ")));
}

// A text left German was not passed through tr() in its context, or is not translated.
void CatalogueTest::windowShowsNoGermanText() {
    TestWorkspace ws;
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(QUILLMOOR_CATALOGUE_QM)));
    QCoreApplication::installTranslator(&english);
    DialogWatcher watcher;
    {
        MainWindow w;
        QCOMPARE(germanShown(&w), QStringList());
        LanguageSelection dialog(LanguageSelection::kEnglishCode);
        QCOMPARE(germanShown(&dialog), QStringList());
        dialog.acceptChanges();
        QCOMPARE(watcher.titles(), (QStringList{"File error", "Restart required"}));
        QVERIFY(watcher.boxes.last().buttons.contains("Restart now"));
    }
    QCoreApplication::removeTranslator(&english);
}

QUILLMOOR_TEST_MAIN(CatalogueTest)
#include "tst_catalogue.moc"
