// quillmoor_mdpdf: renders a manual written in Markdown to PDF at build time.
//   quillmoor_mdpdf INPUT.md OUTPUT.pdf --images DIR --toc TITLE --page WORD [--author NAME]
#include <QCommandLineParser>
#include <QGuiApplication>
#include <cstdio>

#include "mdpdf.h"

int main(int argc, char* argv[]) {
    // A build step has no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders a Markdown manual to PDF."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("input"), QStringLiteral("Markdown file"));
    parser.addPositionalArgument(QStringLiteral("output"), QStringLiteral("PDF file"));
    const QCommandLineOption images(QStringLiteral("images"),
                                    QStringLiteral("Folder of the images"), QStringLiteral("dir"));
    const QCommandLineOption toc(QStringLiteral("toc"),
                                 QStringLiteral("Heading of the table of contents"),
                                 QStringLiteral("title"));
    const QCommandLineOption page(QStringLiteral("page"), QStringLiteral("Word for page"),
                                  QStringLiteral("word"), QStringLiteral("Page"));
    const QCommandLineOption author(QStringLiteral("author"), QStringLiteral("PDF author"),
                                    QStringLiteral("name"));
    parser.addOptions({images, toc, page, author});
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "%s\n", qPrintable(parser.helpText()));
        return 2;
    }
    mdpdf::Options options;
    options.input = args[0];
    options.output = args[1];
    options.imageDir = parser.value(images);
    options.tocTitle = parser.value(toc);
    options.pageWord = parser.value(page);
    options.author = parser.value(author);
    const QString error = mdpdf::render(options);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "quillmoor_mdpdf: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
