#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Building converter command lines. A fragment is empty, a single blank, or a
// text that begins with a blank, so fragments are concatenated without separators.
namespace commandline {

// A blank and the path in double quotes, or empty for an empty path.
QString pathFragment(const QString& path);

// `flag` (for example " -z") when checked; otherwise `whenOff` (" " or empty).
QString switchFragment(bool checked, const QString& flag, const QString& whenOff);

// `option` (for example " -p ") followed by the text as typed, or a single blank
// for an empty text. The text is neither quoted nor trimmed.
QString valueFragment(const QString& text, const QString& option);

// The path cut before its last "." (directories included); empty without any ".".
QString stemOf(const QString& path);

// converterName, the verb framed by blanks, then the argument tail.
QString commandString(const QString& converterName, const QString& verb, const QString& arguments);

// Splits a command string the way the converter's argument list is formed:
// blanks outside double quotes separate, three quotes in a row stand for one
// literal quote, empty pieces vanish.
QStringList splitCommand(const QString& command);

// The program file to run for a bare program name: the working directory
// first, then the folder of the front-end's own executable, then each folder of
// `searchPath` (the PATH value). A name with a directory part is used as it is.
// Returns the name unchanged when nothing is found, so that starting fails.
QString resolveProgram(const QString& name, const QString& workingDirectory,
                       const QString& applicationDirectory, const QByteArray& searchPath);

}  // namespace commandline
