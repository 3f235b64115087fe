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

// The text of one delivery: every byte one Latin-1 character, NUL bytes
// dropped (the rest of the delivery is kept).
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
    QString tail_;
    Markers whole_;
    bool markerInChunk_ = false;
    bool active_ = false;
};

}  // namespace output
