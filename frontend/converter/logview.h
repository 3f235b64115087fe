#pragma once

#include <QString>

class QTextEdit;

// Writing converter output into the read-only text views of the window. The
// text goes in as plain text at the end of the document: earlier content is
// not touched, so the cost of a piece does not grow with the view's length, and
// markup-like output ("a < b", "<b>x</b>") is shown as it was printed.
namespace logview {

// Appends `text` at the end of `view`'s document as plain text.
void appendPlainText(QTextEdit* view, const QString& text);

// Appends `line` on a line of its own: a line break first unless the view is
// empty or already ends with one, and a line break after it.
void appendLine(QTextEdit* view, const QString& line);

// Replaces the whole content of `view` by `text`, taken as plain text.
void replacePlainText(QTextEdit* view, const QString& text);

// Scrolls `view` so that its last line is shown.
void scrollToEnd(QTextEdit* view);

}  // namespace logview
