#pragma once

#include <QString>
#include <QStringList>

// The files the program ships beside itself (the versions file, the translation
// catalogues, the manuals) are looked up in the working directory first, then
// in the folder of the program's own executable: the order in which the
// converter is found as well. So the program finds them whether it is started
// in its own folder or from a shortcut or a terminal somewhere else.
namespace runtimefiles {

// The folders to look in, in order: `workingDirectory`, then
// `applicationDirectory` when it is another folder.
QStringList searchFolders(const QString& workingDirectory, const QString& applicationDirectory);

// The first of the search folders that holds the file `relativePath` (for
// example "doc/Manual.pdf"), or an empty string when none does.
QString folderHolding(const QString& relativePath, const QString& workingDirectory,
                      const QString& applicationDirectory);

// The path of `relativePath` in the first search folder that holds it; in the
// working directory when none does, so that opening it fails as before.
QString locate(const QString& relativePath, const QString& workingDirectory,
               const QString& applicationDirectory);

// The same, for the running program: its working directory and its folder.
QStringList searchFolders();
QString folderHolding(const QString& relativePath);
QString locate(const QString& relativePath);

}  // namespace runtimefiles
