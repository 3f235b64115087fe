#include "converter/markers.h"

namespace output {

namespace {

const QString kDone = QStringLiteral("Done.");
const QString kError = QStringLiteral("Error.");
const QString kWarning = QStringLiteral("Warning:");

// A marker that ends in a delivery starts at most this many characters before it.
constexpr qsizetype kTailLength = 7;

}  // namespace

QString chunkText(const QByteArray& bytes) {
    if (!bytes.contains('\0')) {
        return QString::fromLatin1(bytes);
    }
    QByteArray kept = bytes;
    kept.removeIf([](char c) { return c == '\0'; });
    return QString::fromLatin1(kept);
}

Markers scanMarkers(QStringView text) {
    Markers found;
    found.done = text.contains(kDone, Qt::CaseSensitive);
    found.failure =
        text.contains(kError, Qt::CaseSensitive) || text.contains(kWarning, Qt::CaseSensitive);
    return found;
}

void RunOutput::begin() {
    tail_.clear();
    whole_ = Markers();
    markerInChunk_ = false;
    active_ = true;
}

Markers RunOutput::feed(const QString& chunk) {
    const Markers own = scanMarkers(chunk);
    markerInChunk_ = markerInChunk_ || own.any();
    // The tail of earlier output joined with the head of this chunk: any marker
    // that ends in this chunk lies within it.
    const QString joined = tail_ + chunk.left(kTailLength);
    const Markers spanning = scanMarkers(joined);
    whole_.done = whole_.done || own.done || spanning.done;
    whole_.failure = whole_.failure || own.failure || spanning.failure;
    if (chunk.size() >= kTailLength) {
        tail_ = chunk.right(kTailLength);
    } else {
        tail_ = (tail_ + chunk).right(kTailLength);
    }
    return own;
}

bool RunOutput::end() {
    const bool wasActive = active_;
    active_ = false;
    return wasActive;
}

}  // namespace output
