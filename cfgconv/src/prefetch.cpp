#include "cfgconv/prefetch.hpp"

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
      thread_([this] { produce(); }) {}

PrefetchingSource::~PrefetchingSource() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void PrefetchingSource::produce() {
    try {
        for (;;) {
            std::vector<Measurement> batch;
            batch.reserve(batchSize_);
            Measurement m;
            while (batch.size() < batchSize_ && inner_.next(m))
                batch.push_back(std::move(m));
            const bool last = batch.size() < batchSize_;
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || ready_.size() < maxBatches_; });
            if (stop_)
                return;
            if (!batch.empty())
                ready_.push_back(std::move(batch));
            if (last) {
                done_ = true;
                lock.unlock();
                changed_.notify_all();
                return;
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
    if (taken_ == current_.size()) {
        if (finished_)
            return false;
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !ready_.empty() || done_; });
        if (ready_.empty()) {
            finished_ = true;
            if (failure_)
                std::rethrow_exception(failure_);
            // The decoding thread has left `inner_` for good: its notes are final.
            notes = inner_.notes;
            firstNotes = inner_.firstNotes;
            return false;
        }
        current_ = std::move(ready_.front());
        ready_.pop_front();
        taken_ = 0;
        lock.unlock();
        changed_.notify_all();
    }
    out = std::move(current_[taken_++]);
    return true;
}

}  // namespace cfgconv
