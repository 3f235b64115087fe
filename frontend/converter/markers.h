#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Reading the converter's standard output: turning a delivery into text and
// finding the result markers in it. No widgets involved.
namespace output {

// What one piece of output reports. "Done." means success; "Error." or, when
// that is absent, "Warning:" means failure. Both can hold at once.
struct Markers {
    bool done = false;
    bool failure = false;

    bool any() const { return done || failure; }
};

// Turns the converter's output into text, delivery by delivery. The converter
// writes UTF-8; a character whose bytes are split over two deliveries is held
// back until its last byte arrives. Bytes that do not form UTF-8 (a converter
// printing in a Windows code page) are taken as Latin-1, one character each.
// NUL bytes are dropped. The markers are ASCII, which is never held back, so
// each delivery's text still holds the markers of that delivery.
class OutputDecoder {
public:
    // The text of `bytes`, after the bytes held back from earlier deliveries.
    QString decode(const QByteArray& bytes);
    // The output has ended: bytes still held back, as Latin-1.
    QString finish();
    // Forgets bytes held back.
    void reset() { pending_.clear(); }

private:
    QByteArray pending_;
};

// The text of one delivery on its own, decoded as by OutputDecoder with
// nothing held back.
QString chunkText(const QByteArray& bytes);

// Case-sensitive search for the markers in `text`.
Markers scanMarkers(QStringView text);

// The output of one run of a job. Each delivery is judged on its own; besides,
// the run remembers the last few characters it has seen, so that a marker split
// over two or more deliveries is still known when the run ends.
class RunOutput {
public:
    // A new run starts: forgets the previous one.
    void begin();
    // The text of a delivery of this run (see OutputDecoder).
    QString decode(const QByteArray& bytes) { return decoder_.decode(bytes); }
    // The text of bytes held back at the end of the run's output.
    QString finishText() { return decoder_.finish(); }
    // The markers of `chunk` alone; also records markers that span deliveries.
    Markers feed(const QString& chunk);
    // The run has ended; returns whether it had begun and was not ended before.
    bool end();

    bool isActive() const { return active_; }
    // Whether any single delivery of this run held a marker.
    bool markerInChunk() const { return markerInChunk_; }
    // The markers found anywhere in the run's output, across deliveries too.
    Markers wholeOutput() const { return whole_; }

private:
    OutputDecoder decoder_;
    QString tail_;
    Markers whole_;
    bool markerInChunk_ = false;
    bool active_ = false;
};

}  // namespace output
