#include "cfgconv/prefetch.hpp"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace cfgconv {

unsigned workerThreads() {
    if (const char* text = std::getenv("QUILLMOOR_THREADS")) {
        char* end = nullptr;
        unsigned long n = std::strtoul(text, &end, 10);
        if (end != text && *end == '\0' && n >= 1 && n <= 1024)
            return static_cast<unsigned>(n);
    }
    unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

PrefetchingSource::PrefetchingSource(MeasurementSource& inner, std::size_t batchSize,
                                     std::size_t maxBatches)
    : inner_(inner),
      hint_(inner.sizeHint()),
      batchSize_(batchSize == 0 ? 1 : batchSize),
      maxBatches_(maxBatches == 0 ? 1 : maxBatches),
      positional_(inner.positionalCount()),
      positionalBatches_((positional_ + batchSize_ - 1) / batchSize_),
      thread_([this] { produce(); }) {}

PrefetchingSource::~PrefetchingSource() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

PrefetchingSource::Batch PrefetchingSource::decodeBatch(std::size_t index) const {
    Batch batch;
    const std::size_t first = index * batchSize_;
    const std::size_t end = std::min(positional_, first + batchSize_);
    batch.measurements.resize(end - first);
    for (std::size_t i = first; i < end; ++i)
        inner_.decodeAt(i, batch.measurements[i - first], batch.notes);
    return batch;
}

void PrefetchingSource::produce() {
    try {
        // The positional batches, shared with the reader.
        for (;;) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock,
                          [&] { return stop_ || claimable() || nextClaim_ >= positionalBatches_; });
            if (stop_)
                return;
            if (nextClaim_ >= positionalBatches_)
                break;
            const std::size_t index = nextClaim_++;
            lock.unlock();
            Batch batch = decodeBatch(index);
            lock.lock();
            ready_.emplace(index, std::move(batch));
            lock.unlock();
            changed_.notify_all();
        }
        // The others, one after the other: only this thread reads them.
        inner_.skipPositional();
        for (std::size_t index = positionalBatches_;; ++index) {
            Batch batch;
            batch.measurements.reserve(batchSize_);
            Measurement m;
            while (batch.measurements.size() < batchSize_ && inner_.next(m))
                batch.measurements.push_back(std::move(m));
            const bool last = batch.measurements.size() < batchSize_;
            const bool empty = batch.measurements.empty();
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || index < taken_ + maxBatches_; });
            if (stop_)
                return;
            if (!empty)
                ready_.emplace(index, std::move(batch));
            if (last) {
                total_ = empty ? index : index + 1;
                done_ = true;
                break;
            }
            lock.unlock();
            changed_.notify_all();
        }
    } catch (...) {
        std::lock_guard lock(mutex_);
        failure_ = std::current_exception();
        done_ = true;
    }
    changed_.notify_all();
}

bool PrefetchingSource::next(Measurement& out) {
    if (next_ == current_.size()) {
        if (finished_)
            return false;
        Batch batch;
        std::unique_lock lock(mutex_);
        for (;;) {
            auto it = ready_.find(taken_);
            if (it != ready_.end()) {
                batch = std::move(it->second);
                ready_.erase(it);
                ++taken_;
                break;
            }
            if (failure_) {
                finished_ = true;
                std::rethrow_exception(failure_);
            }
            if (done_ && taken_ >= total_) {
                finished_ = true;
                lock.unlock();
                // The decoding thread has left `inner_` for good: its notes are final, and
                // they follow those of the positional measurements.
                notes += inner_.notes;
                for (const auto& n : inner_.firstNotes) {
                    if (firstNotes.size() < kFirstNotes)
                        firstNotes.push_back(n);
                }
                return false;
            }
            if (claimable()) {
                // Rather than wait, decode a batch here.
                const std::size_t index = nextClaim_++;
                lock.unlock();
                Batch mine = decodeBatch(index);
                lock.lock();
                ready_.emplace(index, std::move(mine));
                continue;
            }
            changed_.wait(lock);
        }
        const std::size_t index = taken_ - 1;
        lock.unlock();
        changed_.notify_all();  // the window moved on
        for (auto& n : batch.notes)
            note(std::move(n));
        current_ = std::move(batch.measurements);
        next_ = 0;
        // Every batch before this one is decoded: the text before it is not read again.
        if (index < positionalBatches_ && index % kReleaseEvery == 0)
            inner_.releaseBefore(index * batchSize_);
    }
    out = std::move(current_[next_++]);
    return true;
}

}  // namespace cfgconv
