#include "converter/markers.h"

namespace output {

namespace {

const QString kDone = QStringLiteral("Done.");
const QString kError = QStringLiteral("Error.");
const QString kWarning = QStringLiteral("Warning:");

// A marker that ends in a delivery starts at most this many characters before it.
constexpr qsizetype kTailLength = 7;

// The length of the UTF-8 sequence a lead byte starts, 0 for a byte that
// starts none (continuation bytes, overlong leads C0 and C1, F5 and above).
int sequenceLength(uchar lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// Whether `byte` may follow `lead` as the second byte of a sequence: the
// narrower ranges rule out overlong forms, surrogates and code points above
// U+10FFFF.
bool validSecondByte(uchar lead, uchar byte) {
    switch (lead) {
        case 0xE0:
            return byte >= 0xA0 && byte <= 0xBF;
        case 0xED:
            return byte >= 0x80 && byte <= 0x9F;
        case 0xF0:
            return byte >= 0x90 && byte <= 0xBF;
        case 0xF4:
            return byte >= 0x80 && byte <= 0x8F;
        default:
            return byte >= 0x80 && byte <= 0xBF;
    }
}

bool isContinuation(uchar byte) {
    return (byte & 0xC0) == 0x80;
}

// Whether the `available` bytes at `p`, fewer than the sequence needs, are a
// valid start of the sequence that their lead byte begins.
bool isValidPrefix(const uchar* p, qsizetype available) {
    if (available >= 2 && !validSecondByte(p[0], p[1])) {
        return false;
    }
    for (qsizetype k = 2; k < available; ++k) {
        if (!isContinuation(p[k])) {
            return false;
        }
    }
    return true;
}

}  // namespace

QString OutputDecoder::decode(const QByteArray& bytes) {
    QByteArray joined;
    const QByteArray* input = &bytes;
    if (!pending_.isEmpty()) {
        joined = pending_ + bytes;
        pending_.clear();
        input = &joined;
    }
    const auto* p = reinterpret_cast<const uchar*>(input->constData());
    const qsizetype n = input->size();
    // UTF-16 never needs more units than UTF-8 has bytes.
    QString text(n, Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(text.data());
    char16_t* const begin = out;
    qsizetype i = 0;
    while (i < n) {
        const uchar c = p[i];
        if (c < 0x80) {
            if (c != 0) {
                *out++ = c;
            }
            ++i;
            continue;
        }
        const int length = sequenceLength(c);
        if (length == 0) {
            *out++ = c;
            ++i;
            continue;
        }
        if (i + length > n) {
            if (isValidPrefix(p + i, n - i)) {
                // The rest of this character comes with the next delivery.
                pending_ = input->mid(i);
                break;
            }
            *out++ = c;
            ++i;
            continue;
        }
        bool valid = validSecondByte(c, p[i + 1]);
        for (int k = 2; valid && k < length; ++k) {
            valid = isContinuation(p[i + k]);
        }
        if (!valid) {
            *out++ = c;
            ++i;
            continue;
        }
        char32_t code = c & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        if (code > 0xFFFF) {
            *out++ = QChar::highSurrogate(code);
            *out++ = QChar::lowSurrogate(code);
        } else {
            *out++ = char16_t(code);
        }
        i += length;
    }
    text.truncate(out - begin);
    return text;
}

QString OutputDecoder::finish() {
    const QString rest = QString::fromLatin1(pending_);
    pending_.clear();
    return rest;
}

QString chunkText(const QByteArray& bytes) {
    OutputDecoder decoder;
    // Two statements: the operands of + are evaluated in no fixed order, and
    // finish() must see what decode() held back.
    QString text = decoder.decode(bytes);
    return text + decoder.finish();
}

Markers scanMarkers(QStringView text) {
    Markers found;
    found.done = text.contains(kDone, Qt::CaseSensitive);
    found.failure =
        text.contains(kError, Qt::CaseSensitive) || text.contains(kWarning, Qt::CaseSensitive);
    return found;
}

void RunOutput::begin() {
    decoder_.reset();
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
