// Streams converter-like output in 64 KiB deliveries through the window's log
// handling (decoding, plain-text append at the end, scrolling, marker search)
// into a shown log view, headless, and prints the throughput and the slowest
// single delivery. For comparison, the same stream is then handled by
// rewriting the whole log per delivery, for as long as a time budget allows.
//
// Usage: bench_log [megabytes=50] [budget seconds for the rewrite way=30]
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocument>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

#include "converter/logview.h"
#include "converter/markers.h"

namespace {

constexpr qsizetype kChunkBytes = 64 * 1024;

// CPU time of this process: the machine is shared, so wall time alone says
// little about the handling itself.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Lines as a converter prints them while it works, with the odd "<" and umlaut.
QByteArray makeOutput(qsizetype bytes) {
    QByteArray out;
    out.reserve(bytes + 256);
    for (int i = 0; out.size() < bytes; ++i) {
        out += "MEASUREMENT ECU_Signal_";
        out += QByteArray::number(i);
        out += " at 0x";
        out += QByteArray::number(0x400000 + i * 4, 16);
        out += (i % 7 == 0) ? ": limits 0 < x < 255, Gr\xf6\xdf"
                              "e ok\n"
                            : ": converted (UWORD)\n";
    }
    out.truncate(bytes - 6);
    out += "Done.\n";
    return out;
}

struct Result {
    double megabytes = 0;
    double seconds = 0;
    double cpu = 0;
    double slowestMs = 0;
    double firstChunksMs = 0;  // mean of the first ten deliveries
    double lastChunksMs = 0;   // mean of the last ten deliveries handled
    bool done = false;
    bool complete = false;
};

Result run(const QByteArray& stream, double budgetSeconds, bool shown,
           const std::function<bool(QTextBrowser*, const QByteArray&)>& handle) {
    QTextBrowser view;
    view.resize(640, 480);
    if (shown) {
        view.show();
    }
    QCoreApplication::processEvents();
    Result result;
    QList<double> times;
    QElapsedTimer total;
    total.start();
    const double cpuStart = cpuSeconds();
    qsizetype offset = 0;
    while (offset < stream.size()) {
        const QByteArray chunk = stream.mid(offset, kChunkBytes);
        QElapsedTimer one;
        one.start();
        result.done = handle(&view, chunk) || result.done;
        // What the event loop does between two deliveries: layout and paint.
        QCoreApplication::processEvents();
        const double ms = one.nsecsElapsed() / 1e6;
        times << ms;
        result.slowestMs = qMax(result.slowestMs, ms);
        offset += chunk.size();
        if (total.elapsed() > budgetSeconds * 1000) {
            break;
        }
    }
    result.seconds = total.nsecsElapsed() / 1e9;
    result.cpu = cpuSeconds() - cpuStart;
    result.megabytes = offset / 1e6;
    result.complete = offset >= stream.size();
    const qsizetype n = qMin<qsizetype>(10, times.size());
    for (qsizetype i = 0; i < n; ++i) {
        result.firstChunksMs += times[i] / n;
        result.lastChunksMs += times[times.size() - n + i] / n;
    }
    return result;
}

void print(const char* name, const Result& r) {
    std::printf(
        "%-36s %5.1f MB: wall %7.2f s, CPU %6.2f s = %6.2f MB/s of CPU; slowest delivery "
        "%7.2f ms; mean of first 10 %7.2f ms, of last 10 %8.2f ms; %s%s\n",
        name, r.megabytes, r.seconds, r.cpu, r.megabytes / r.cpu, r.slowestMs, r.firstChunksMs,
        r.lastChunksMs, r.complete ? "whole stream" : "stopped at budget",
        r.done ? ", Done. found" : "");
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 50.0;
    const double budget = argc > 2 ? std::atof(argv[2]) : 30.0;
    const QByteArray stream = makeOutput(qsizetype(megabytes * 1e6));
    std::printf("%.1f MB of converter output in %lld-byte deliveries\n", stream.size() / 1e6,
                static_cast<long long>(kChunkBytes));

    output::RunOutput runOutput;
    const auto append = [&runOutput](QTextBrowser* view, const QByteArray& bytes) {
        const QString text = runOutput.decode(bytes);
        logview::appendPlainText(view, text);
        logview::scrollToEnd(view);
        return runOutput.feed(text).done;
    };
    runOutput.begin();
    print("append at end, log shown", run(stream, 1e9, true, append));
    runOutput.begin();
    print("append at end, log hidden (default)", run(stream, 1e9, false, append));

    const Result rewritten =
        run(stream, budget, true, [](QTextBrowser* view, const QByteArray& bytes) {
            const QString text = output::chunkText(bytes);
            view->setText(view->document()->toPlainText() + text);
            view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
            return output::scanMarkers(text).done;
        });
    print("rewrite whole log, log shown", rewritten);
    return 0;
}
