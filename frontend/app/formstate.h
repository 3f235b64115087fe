#pragma once

#include <QString>
#include <QVariant>

// Every value of the three tabs, the argument fragments built from them and the
// version selection. An argument fragment is always empty, a single blank, or a
// text beginning with a blank, so fragments are joined without separators.
struct FormState {
    QString converterName = QStringLiteral("QuillmoorConverter.exe");
    QString convertInputArgument;
    QString convertInputPath;
    QString convertOutputArgument;
    QString convertOutputPath;
    QString zlibArgument;
    QString intenationArgument;
    QString prefixName;
    QString prefixArgument;
    QString stationName;
    QString stationArgument;
    QString libraryArgument;
    QString convertArguments;
    QString compareOldArgument;
    QString compareOldPath;
    QString compareNewArgument;
    QString compareNewPath;
    QString compareDetailArgument;
    QString compareArguments;
    QString decompressInputPath;
    QString decompressOutputPath;
    QString decompressInputArgument;
    QString decompressOutputArgument;
    QString decompressArguments;
    QVariant librarySelection;
    QVariant librarySelection2;
    bool compareDetailChecked = false;
    bool zlibChecked = false;
    bool intenationChecked = true;
    int currentTab = 0;
    int libraryStartIndex = 0;
    // The end index that switching advanced mode on preselects; read by the restore
    // of a rejected pair before any pair has been accepted.
    int libraryEndIndex = 1;
};
