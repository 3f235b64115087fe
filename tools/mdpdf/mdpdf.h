#pragma once

#include <QString>

// Renders a Markdown file (GitHub dialect) to an A4 PDF with Qt alone:
// QTextDocument lays it out, QPdfWriter writes it. The first level-1 heading is
// the title; a table of contents with page numbers follows it, every further
// level-1 heading starts a new page, and each page gets a footer with the title
// and the page number. Images are looked up relative to imageDir and scaled to
// the text width when wider.
namespace mdpdf {

struct Options {
    QString input;     // Markdown file, UTF-8
    QString output;    // PDF file to write
    QString imageDir;  // folder that relative image paths start from
    QString tocTitle;  // heading of the table of contents
    QString pageWord;  // "Seite" / "Page" in the footer
    QString author;    // PDF creator
};

// Returns an empty string on success, otherwise what went wrong.
QString render(const Options& options);

}  // namespace mdpdf
