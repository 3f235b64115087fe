#include <QSettings>

#include "app/mainwindow.h"

namespace {
const QString kOrganization = QStringLiteral("KOLDAN");
const QString kApplication = QStringLiteral("VELMOR");
// The value of the first basic version range, for a store without a selection.
const QString kDefaultLibrarySelection = QStringLiteral("tarVix=1.4.4");

QString textValue(const QSettings& settings, const QString& key) {
    return settings.contains(key) ? settings.value(key).toString() : QString(QLatin1String(""));
}

bool boolValue(const QSettings& settings, const QString& key, bool fallback) {
    return settings.contains(key) ? settings.value(key).toBool() : fallback;
}

QVariant librarySelectionValue(const QSettings& settings, const QString& key) {
    return settings.contains(key) ? QVariant(settings.value(key).toString())
                                  : QVariant(kDefaultLibrarySelection);
}
}  // namespace

void MainWindow::loadSettings() {
    const QSettings settings(kOrganization, kApplication);
    language = settings.value(QStringLiteral("lang"), QVariant()).toInt();
    state.convertInputPath = textValue(settings, QStringLiteral("convinput"));
    state.convertOutputPath = textValue(settings, QStringLiteral("convoutput"));
    state.prefixName = textValue(settings, QStringLiteral("prefix"));
    state.stationName = textValue(settings, QStringLiteral("stationname"));
    state.compareOldPath = textValue(settings, QStringLiteral("compinputold"));
    state.compareNewPath = textValue(settings, QStringLiteral("compinputnew"));
    state.decompressInputPath = textValue(settings, QStringLiteral("decompinput"));
    state.decompressOutputPath = textValue(settings, QStringLiteral("decompoutput"));
    state.compareDetailChecked = boolValue(settings, QStringLiteral("detailchecked"), false);
    state.librarySelection = librarySelectionValue(settings, QStringLiteral("libraryselection"));
    state.librarySelection2 = librarySelectionValue(settings, QStringLiteral("libraryselection2"));
    state.zlibChecked = boolValue(settings, QStringLiteral("zlibradio"), false);
    state.intenationChecked = boolValue(settings, QStringLiteral("intenradio"), true);
    state.currentTab = settings.contains(QStringLiteral("currenttab"))
                           ? settings.value(QStringLiteral("currenttab")).toInt()
                           : 0;
}

void MainWindow::saveSettings() {
    QSettings settings(kOrganization, kApplication);
    settings.setValue(QStringLiteral("lang"), language);
    settings.setValue(QStringLiteral("convinput"), state.convertInputPath);
    settings.setValue(QStringLiteral("convoutput"), state.convertOutputPath);
    settings.setValue(QStringLiteral("prefix"), state.prefixName);
    settings.setValue(QStringLiteral("stationname"), state.stationName);
    settings.setValue(QStringLiteral("compinputold"), state.compareOldPath);
    settings.setValue(QStringLiteral("compinputnew"), state.compareNewPath);
    settings.setValue(QStringLiteral("detailchecked"), state.compareDetailChecked);
    settings.setValue(QStringLiteral("decompinput"), state.decompressInputPath);
    settings.setValue(QStringLiteral("decompoutput"), state.decompressOutputPath);
    settings.setValue(QStringLiteral("libraryselection"), state.librarySelection);
    settings.setValue(QStringLiteral("libraryselection2"), state.librarySelection2);
    settings.setValue(QStringLiteral("zlibradio"), state.zlibChecked);
    settings.setValue(QStringLiteral("intenradio"), state.intenationChecked);
    settings.setValue(QStringLiteral("currenttab"), state.currentTab);
    settings.sync();
}
