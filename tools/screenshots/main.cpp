// quillmoor_screenshots: pictures of the real main window for the manuals.
//   quillmoor_screenshots --language 0|1 [--catalogue A2Ltranslator_la.qm] --out DIR
// Builds MainWindow on the offscreen platform in a scratch working directory
// with its own settings store (the user's store is never touched), fills the
// fields with example values through the settings, and saves each tab, the
// advanced version selection, the log window, the language dialog and the
// "missing arguments" box as PNG files in DIR.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QVariantMap>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "app/mainwindow.h"

namespace {

bool failed = false;

void fail(const QString& what) {
    std::fprintf(stderr, "quillmoor_screenshots: %s\n", qPrintable(what));
    failed = true;
}

void save(QWidget* widget, const QString& path) {
    QApplication::processEvents();
    if (!widget->grab().save(path)) {
        fail(QStringLiteral("cannot write %1").arg(path));
    }
}

// Runs `open`, which shows a modal dialog; the dialog is photographed and then
// closed from a timer inside its own event loop.
void captureModal(const std::function<void()>& open, const QString& path) {
    bool seen = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || seen) {
            return;
        }
        seen = true;
        save(modal, path);
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    });
    poll.start();
    open();
    poll.stop();
    if (!seen) {
        fail(QStringLiteral("no dialog appeared for %1").arg(path));
    }
}

// Any other modal dialog (a box the window shows on its own) is reported,
// closed and fails the run, so that the build never waits for a click.
void watchForStrayDialogs() {
    static QPointer<QWidget> seen;
    static int ticks = 0;
    auto* timer = new QTimer(qApp);
    timer->setInterval(200);
    QObject::connect(timer, &QTimer::timeout, qApp, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal != seen) {
            seen = modal;
            ticks = 0;
            return;
        }
        if (++ticks < 25) {
            return;
        }
        QString text;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            text = box->text();
        }
        fail(QStringLiteral("unexpected dialog \"%1\": %2").arg(modal->windowTitle(), text));
        modal->close();
    });
    timer->start();
    // A hard limit for the whole run.
    QTimer::singleShot(120000, qApp, [] {
        std::fprintf(stderr, "quillmoor_screenshots: gave up after 120 s\n");
        std::_Exit(1);
    });
}

// Converts the bundled sample with the real converter through the window, so
// that the log shows what the converter really prints. The result box is
// answered as soon as it appears.
bool convertSample(QLineEdit* input, QLineEdit* output, QPushButton* convert) {
    input->setText(QStringLiteral("demo_ecu.a2l"));
    output->setText(QStringLiteral("demo_ecu.cfginclude"));
    QString title;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            box->accept();
        }
    });
    poll.start();
    convert->click();
    QElapsedTimer clock;
    clock.start();
    while (title.isEmpty() && clock.elapsed() < 30000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    if (title != QLatin1String("Abgeschlossen!") && title != QLatin1String("Finished!")) {
        fail(QStringLiteral("the sample conversion did not succeed (box \"%1\")").arg(title));
        return false;
    }
    return true;
}

QAction* findAction(QMainWindow& window, const QStringList& texts) {
    for (QAction* action : window.findChildren<QAction*>()) {
        if (texts.contains(action->text())) {
            return action;
        }
    }
    return nullptr;
}

// Where the native store cannot be redirected (the registry on Windows), the
// user's own values are put back after the run.
QVariantMap readSettings() {
    QSettings settings(QStringLiteral("KOLDAN"), QStringLiteral("VELMOR"));
    QVariantMap values;
    for (const QString& key : settings.allKeys()) {
        values.insert(key, settings.value(key));
    }
    return values;
}

void restoreSettings(const QVariantMap& values) {
    QSettings settings(QStringLiteral("KOLDAN"), QStringLiteral("VELMOR"));
    settings.clear();
    for (auto it = values.begin(); it != values.end(); ++it) {
        settings.setValue(it.key(), it.value());
    }
    settings.sync();
}

void writeSettings(int language) {
    QSettings settings(QStringLiteral("KOLDAN"), QStringLiteral("VELMOR"));
    settings.setValue(QStringLiteral("lang"), language);
    settings.setValue(QStringLiteral("convinput"), QStringLiteral("C:/Messung/ECU_V12.a2l"));
    settings.setValue(QStringLiteral("convoutput"),
                      QStringLiteral("C:/Messung/ECU_V12.cfginclude"));
    settings.setValue(QStringLiteral("prefix"), QStringLiteral("ECU1"));
    settings.setValue(QStringLiteral("stationname"), QStringLiteral("Station1"));
    settings.setValue(QStringLiteral("compinputold"), QStringLiteral("C:/Messung/ECU_V11.a2l"));
    settings.setValue(QStringLiteral("compinputnew"), QStringLiteral("C:/Messung/ECU_V12.a2l"));
    settings.setValue(QStringLiteral("detailchecked"), true);
    settings.setValue(QStringLiteral("decompinput"),
                      QStringLiteral("C:/Messung/ECU_V12.cfginclude"));
    settings.setValue(QStringLiteral("decompoutput"),
                      QStringLiteral("C:/Messung/ECU_V12_klartext.cfginclude"));
    settings.setValue(QStringLiteral("zlibradio"), true);
    settings.setValue(QStringLiteral("intenradio"), false);
    settings.setValue(QStringLiteral("currenttab"), 0);
    settings.sync();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption languageOption(QStringLiteral("language"),
                                            QStringLiteral("0 English, 1 German"),
                                            QStringLiteral("value"), QStringLiteral("1"));
    const QCommandLineOption catalogueOption(QStringLiteral("catalogue"),
                                             QStringLiteral("English catalogue (.qm)"),
                                             QStringLiteral("file"));
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("Output folder"),
                                       QStringLiteral("dir"));
    const QCommandLineOption versionsOption(QStringLiteral("versions"),
                                            QStringLiteral("Versions file to show"),
                                            QStringLiteral("file"));
    const QCommandLineOption converterOption(
        QStringLiteral("converter"), QStringLiteral("The converter, run for the log picture"),
        QStringLiteral("file"));
    const QCommandLineOption sampleOption(
        QStringLiteral("sample"), QStringLiteral("The A2L file converted for the log picture"),
        QStringLiteral("file"));
    parser.addOptions({languageOption, catalogueOption, outOption, versionsOption, converterOption,
                       sampleOption});
    parser.addHelpOption();
    parser.process(app);
    const int language = parser.value(languageOption).toInt();
    const QString out = QDir(parser.value(outOption)).absolutePath();
    const QString versionsFile = QFileInfo(parser.value(versionsOption)).absoluteFilePath();
    const QString catalogue = parser.isSet(catalogueOption)
                                  ? QFileInfo(parser.value(catalogueOption)).absoluteFilePath()
                                  : QString();
    const QString converter = QFileInfo(parser.value(converterOption)).absoluteFilePath();
    const QString sample = QFileInfo(parser.value(sampleOption)).absoluteFilePath();
    if (!parser.isSet(converterOption) || !parser.isSet(sampleOption) ||
        !parser.isSet(versionsOption)) {
        std::fprintf(stderr,
                     "quillmoor_screenshots: --converter, --sample and --versions are required\n");
        return 2;
    }
    if (!parser.isSet(outOption) || !QDir().mkpath(out)) {
        std::fprintf(stderr, "quillmoor_screenshots: --out DIR is required\n");
        return 2;
    }

    QTemporaryDir scratch;
    if (!scratch.isValid() || !QDir::setCurrent(scratch.path())) {
        std::fprintf(stderr, "quillmoor_screenshots: no scratch folder\n");
        return 1;
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.path());
    const QVariantMap userSettings = readSettings();
    writeSettings(language);
    if (!QFile::copy(versionsFile, scratch.filePath(QStringLiteral("tarvixVersions.xml")))) {
        fail(QStringLiteral("cannot copy %1").arg(versionsFile));
    }
    if (!catalogue.isEmpty() &&
        !QFile::copy(catalogue, scratch.filePath(QStringLiteral("A2Ltranslator_la.qm")))) {
        fail(QStringLiteral("cannot copy %1").arg(catalogue));
    }

    if (!QFile::copy(converter, scratch.filePath(QStringLiteral("QuillmoorConverter.exe"))) ||
        !QFile::copy(sample, scratch.filePath(QStringLiteral("demo_ecu.a2l")))) {
        fail(QStringLiteral("cannot copy the converter or the sample"));
    }

    watchForStrayDialogs();
    {
        MainWindow window;
        window.show();
        QApplication::processEvents();
        auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("tabWidget"));
        if (tabs == nullptr) {
            fail(QStringLiteral("no tab widget"));
            restoreSettings(userSettings);
            return 1;
        }
        const char* tabNames[] = {"convert.png", "compare.png", "decompress.png"};
        for (int i = 0; i < 3; ++i) {
            tabs->setCurrentIndex(i);
            save(&window, out + u'/' + QString::fromLatin1(tabNames[i]));
        }

        tabs->setCurrentIndex(0);
        auto* advanced = window.findChild<QCheckBox*>(QStringLiteral("cbAdvancedOptions"));
        if (advanced != nullptr) {
            advanced->setChecked(true);
            if (!advanced->isChecked()) {
                fail(QStringLiteral("the advanced version selection did not switch on"));
            }
            save(&window, out + QStringLiteral("/advanced.png"));
            advanced->setChecked(false);
        }

        // "Fehlende Argumente": convert with an empty source path.
        auto* input = window.findChild<QLineEdit*>(QStringLiteral("convertInputInputfile"));
        auto* convert = window.findChild<QPushButton*>(QStringLiteral("convertButtonConvert"));
        if (input != nullptr && convert != nullptr) {
            const QString kept = input->text();
            input->clear();
            captureModal([convert] { convert->click(); }, out + QStringLiteral("/missing.png"));
            input->setText(kept);
        }

        QAction* logAction = findAction(window, {QStringLiteral("Optionales Ausgabefenster"),
                                                 QStringLiteral("Optional log window")});
        QWidget* log = window.findChild<QWidget*>(QStringLiteral("logOptionalLog"));
        if (logAction == nullptr || log == nullptr) {
            fail(QStringLiteral("no log window"));
        } else {
            // The window's settings as they come, the oldest range included: what a new
            // user sees first.
            logAction->trigger();
            auto* output = window.findChild<QLineEdit*>(QStringLiteral("convertInputOutputfile"));
            if (input != nullptr && output != nullptr && convert != nullptr &&
                convertSample(input, output, convert)) {
                save(&window, out + QStringLiteral("/log.png"));
            }
            logAction->trigger();
        }

        QAction* languages =
            findAction(window, {QStringLiteral("Sprachen"), QStringLiteral("Languages")});
        if (languages == nullptr) {
            fail(QStringLiteral("no Sprachen entry"));
        } else {
            captureModal([languages] { languages->trigger(); },
                         out + QStringLiteral("/languages.png"));
        }
    }
    restoreSettings(userSettings);
    QDir::setCurrent(QDir::tempPath());
    return failed ? 1 : 0;
}
