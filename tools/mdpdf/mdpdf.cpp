#include "mdpdf.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>

namespace mdpdf {
namespace {

const QColor kHeadingColour(0x1f, 0x3a, 0x5f);
const QColor kRuleColour(0x9a, 0xa5, 0xb1);
const QColor kCodeBackground(0xf1, 0xf3, 0xf5);
const QColor kTableHeader(0xe3, 0xe9, 0xf0);

// Lengths in the writer's device pixels.
class Units {
public:
    explicit Units(int resolution) : dpi_(resolution) {}
    qreal mm(qreal millimetres) const { return millimetres * dpi_ / 25.4; }
    qreal pt(qreal points) const { return points * dpi_ / 72.0; }
    int dpi() const { return dpi_; }

private:
    int dpi_;
};

struct Heading {
    QTextBlock block;
    int level = 0;
};

bool isCodeBlock(const QTextBlockFormat& format) {
    return format.hasProperty(QTextFormat::BlockCodeFence) ||
           format.hasProperty(QTextFormat::BlockCodeLanguage) || format.nonBreakableLines();
}

void styleHeading(QTextBlock block, int level, bool firstChapter, const Units& u) {
    static const qreal sizes[] = {0, 20, 15, 12, 11, 10, 10};
    QTextCursor cursor(block);
    QTextBlockFormat bf = block.blockFormat();
    bf.setTopMargin(u.mm(level == 1 ? 2 : (level == 2 ? 7 : 5)));
    bf.setBottomMargin(u.mm(level == 1 ? 6 : 2.5));
    if (level == 1 && !firstChapter) {
        bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    }
    cursor.setBlockFormat(bf);
    cursor.select(QTextCursor::BlockUnderCursor);
    QTextCharFormat cf;
    cf.setFontPointSize(sizes[std::clamp(level, 1, 6)]);
    cf.setFontWeight(QFont::Bold);
    cf.setForeground(kHeadingColour);
    cursor.movePosition(QTextCursor::StartOfBlock);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(cf);
}

// Scales every image to fit the text width; a missing image is an error.
QString placeImages(QTextDocument& doc, const QString& imageDir, qreal textWidth, qreal maxHeight,
                    const Units& u) {
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        bool onlyImages = true;
        bool anyImage = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) {
                if (!fragment.text().trimmed().isEmpty()) {
                    onlyImages = false;
                }
                continue;
            }
            anyImage = true;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QUrl url(image.name());
            const QString path = url.isLocalFile() ? url.toLocalFile()
                                 : QFileInfo(image.name()).isAbsolute()
                                     ? image.name()
                                     : imageDir + u'/' + image.name();
            const QImage picture(path);
            if (picture.isNull()) {
                return QStringLiteral("image %1 not found (looked for %2)").arg(image.name(), path);
            }
            // Screenshots are taken at 96 dpi; print them a little smaller,
            // never wider than the text or taller than most of a page.
            qreal width = std::min(picture.width() * u.dpi() / 120.0, textWidth);
            width = std::min(width, maxHeight * picture.width() / picture.height());
            // The layout takes image sizes in 96-dpi pixels and scales them
            // to the device itself.
            const qreal toLayout = 96.0 / u.dpi();
            image.setName(path);
            image.setWidth(width * toLayout);
            image.setHeight(width * picture.height() / picture.width() * toLayout);
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
        if (anyImage && onlyImages) {
            QTextCursor cursor(block);
            QTextBlockFormat bf = block.blockFormat();
            bf.setAlignment(Qt::AlignHCenter);
            bf.setTopMargin(u.mm(2));
            bf.setBottomMargin(u.mm(4));
            cursor.setBlockFormat(bf);
        }
    }
    return {};
}

void styleTables(QTextDocument& doc, const Units& u) {
    for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (table == nullptr) {
            continue;
        }
        QTextTableFormat tf = table->format();
        tf.setBorder(u.pt(0.5));
        tf.setBorderBrush(kRuleColour);
        tf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        tf.setBorderCollapse(true);
        tf.setCellPadding(u.mm(1.2));
        tf.setCellSpacing(0);
        tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        tf.setTopMargin(u.mm(1.5));
        tf.setBottomMargin(u.mm(3));
        tf.setHeaderRowCount(1);
        table->setFormat(tf);
        for (int c = 0; c < table->columns(); ++c) {
            QTextTableCell cell = table->cellAt(0, c);
            QTextCharFormat cf = cell.format();
            cf.setBackground(kTableHeader);
            cell.setFormat(cf);
        }
    }
}

void styleBody(QTextDocument& doc, const Units& u) {
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat bf = block.blockFormat();
        if (bf.headingLevel() > 0) {
            continue;
        }
        QTextCursor cursor(block);
        if (isCodeBlock(bf)) {
            bf.setBackground(kCodeBackground);
            bf.setLeftMargin(u.mm(3));
            bf.setTopMargin(isCodeBlock(block.previous().blockFormat()) ? 0 : u.mm(1));
            bf.setBottomMargin(isCodeBlock(block.next().blockFormat()) ? 0 : u.mm(3));
            cursor.setBlockFormat(bf);
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            QTextCharFormat cf;
            cf.setFontFamilies({QStringLiteral("DejaVu Sans Mono")});
            cf.setFontPointSize(8.5);
            cursor.mergeCharFormat(cf);
            continue;
        }
        bf.setLineHeight(118, QTextBlockFormat::ProportionalHeight);
        if (cursor.currentTable() != nullptr) {
            bf.setTopMargin(0);
            bf.setBottomMargin(0);
        } else if (block.textList() != nullptr) {
            bf.setTopMargin(0);
            bf.setBottomMargin(u.mm(1));
        } else if (block.blockFormat().topMargin() >= 0) {
            bf.setTopMargin(0);
            bf.setBottomMargin(u.mm(2.5));
        }
        cursor.setBlockFormat(bf);
    }
    // Inline code: the fixed font at a matching size.
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (isCodeBlock(block.blockFormat())) {
            continue;
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.fontFixedPitch() ||
                format.fontFamilies().toStringList().contains(QStringLiteral("monospace"))) {
                QTextCursor cursor(&doc);
                cursor.setPosition(fragment.position());
                cursor.setPosition(fragment.position() + fragment.length(),
                                   QTextCursor::KeepAnchor);
                QTextCharFormat cf;
                cf.setFontFamilies({QStringLiteral("DejaVu Sans Mono")});
                cf.setFontPointSize(9);
                cf.setBackground(kCodeBackground);
                cursor.mergeCharFormat(cf);
            }
        }
    }
}

QList<Heading> collectHeadings(QTextDocument& doc) {
    QList<Heading> headings;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level > 0) {
            headings.append({block, level});
        }
    }
    return headings;
}

int pageOf(QTextDocument& doc, const QTextBlock& block) {
    const qreal top = doc.documentLayout()->blockBoundingRect(block).top();
    return static_cast<int>(top / doc.pageSize().height()) + 1;
}

}  // namespace

QString render(const Options& options) {
    QFile input(options.input);
    if (!input.open(QIODevice::ReadOnly)) {
        return QStringLiteral("cannot read %1").arg(options.input);
    }
    const QString markdown = QString::fromUtf8(input.readAll());

    QPdfWriter writer(options.output);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 18, 20, 14), QPageLayout::Millimeter);
    writer.setCreator(options.author.isEmpty() ? QStringLiteral("Quillmoor mdpdf")
                                               : options.author);
    const Units u(writer.resolution());

    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&writer);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    doc.setIndentWidth(u.mm(6));
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);

    const QRectF paint = writer.pageLayout().paintRectPixels(writer.resolution());
    const qreal footerHeight = u.mm(9);
    doc.setPageSize(QSizeF(paint.width(), paint.height() - footerHeight));

    QList<Heading> headings = collectHeadings(doc);
    if (headings.isEmpty() || headings.first().level != 1) {
        return QStringLiteral("%1 must begin with a level-1 heading (the title)")
            .arg(options.input);
    }
    const QString title = headings.first().block.text();
    writer.setTitle(title);

    styleBody(doc, u);
    styleTables(doc, u);
    for (qsizetype i = 0; i < headings.size(); ++i) {
        styleHeading(headings[i].block, headings[i].level, i <= 1, u);
    }
    if (QString error = placeImages(doc, QFileInfo(options.imageDir).absoluteFilePath(),
                                    paint.width(), doc.pageSize().height() * 0.55, u);
        !error.isEmpty()) {
        return error;
    }

    // The table of contents goes before the first chapter: chapters and their
    // sections, with page numbers found by laying the document out once.
    QList<Heading> entries;
    for (qsizetype i = 1; i < headings.size(); ++i) {
        if (headings[i].level <= 2) {
            entries.append(headings[i]);
        }
    }
    QTextTable* toc = nullptr;
    if (!entries.isEmpty() && !options.tocTitle.isEmpty()) {
        // Inserted behind the block before the first entry, so that the
        // entries' block handles keep pointing at their headings.
        QTextCursor cursor(entries.first().block.previous());
        cursor.movePosition(QTextCursor::EndOfBlock);
        QTextBlockFormat hf;
        hf.setTopMargin(u.mm(8));
        hf.setBottomMargin(u.mm(3));
        QTextCharFormat hc;
        hc.setFontPointSize(13);
        hc.setFontWeight(QFont::Bold);
        hc.setForeground(kHeadingColour);
        cursor.insertBlock(hf, hc);
        cursor.insertText(options.tocTitle, hc);

        QTextTableFormat tf;
        tf.setBorder(0);
        tf.setCellPadding(u.mm(0.6));
        tf.setCellSpacing(0);
        tf.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        tf.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 90),
                                      QTextLength(QTextLength::PercentageLength, 10)});
        toc = cursor.insertTable(static_cast<int>(entries.size()), 2, tf);
        for (int r = 0; r < entries.size(); ++r) {
            QTextCharFormat cf;
            cf.setFontPointSize(entries[r].level == 1 ? 10.5 : 9.5);
            cf.setFontWeight(entries[r].level == 1 ? QFont::Bold : QFont::Normal);
            QTextCursor cell = toc->cellAt(r, 0).firstCursorPosition();
            QTextBlockFormat indent;
            indent.setLeftMargin(entries[r].level == 1 ? 0 : u.mm(6));
            indent.setTopMargin(entries[r].level == 1 ? u.mm(1.5) : 0);
            cell.setBlockFormat(indent);
            cell.insertText(entries[r].block.text(), cf);
            QTextCursor page = toc->cellAt(r, 1).firstCursorPosition();
            QTextBlockFormat right;
            right.setAlignment(Qt::AlignRight);
            right.setTopMargin(indent.topMargin());
            page.setBlockFormat(right);
            page.insertText(QStringLiteral("00"), cf);
        }
        // Numbers have the same width in DejaVu, so the layout does not move.
        for (int r = 0; r < entries.size(); ++r) {
            QTextCursor page = toc->cellAt(r, 1).firstCursorPosition();
            page.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            page.insertText(QString::number(pageOf(doc, entries[r].block)));
        }
    }

    QPainter painter;
    if (!painter.begin(&writer)) {
        return QStringLiteral("cannot write %1").arg(options.output);
    }
    const QSizeF page = doc.pageSize();
    const int pages = doc.pageCount();
    QFont footerFont(QStringLiteral("DejaVu Sans"));
    footerFont.setPointSizeF(8);
    for (int i = 0; i < pages; ++i) {
        if (i > 0) {
            writer.newPage();
        }
        const QRectF view(0, i * page.height(), page.width(), page.height());
        painter.save();
        painter.setClipRect(QRectF(QPointF(0, 0), page));
        painter.translate(0, -view.top());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette.setColor(QPalette::Text, Qt::black);
        doc.documentLayout()->draw(&painter, context);
        painter.restore();
        if (i == 0) {
            continue;
        }
        const qreal y = page.height() + footerHeight * 0.35;
        painter.setPen(QPen(kRuleColour, u.pt(0.5)));
        painter.drawLine(QPointF(0, y), QPointF(page.width(), y));
        painter.setPen(Qt::black);
        painter.setFont(footerFont);
        const QRectF footer(0, y + u.mm(1), page.width(), footerHeight * 0.6);
        painter.drawText(footer, Qt::AlignLeft | Qt::AlignTop, title);
        painter.drawText(footer, Qt::AlignRight | Qt::AlignTop,
                         QStringLiteral("%1 %2 / %3").arg(options.pageWord).arg(i + 1).arg(pages));
    }
    painter.end();
    return {};
}

}  // namespace mdpdf
