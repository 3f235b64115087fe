// Decoding measurements on a second thread while the caller writes the ones already decoded.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "cfgconv/cfginclude.hpp"

namespace cfgconv {

// The number of threads the converter may use: QUILLMOOR_THREADS when it holds a number from 1
// up, else the processors the system reports (at least 1).
unsigned workerThreads();

// Takes the measurements of `inner` on a thread of its own, in batches, at most a few batches
// ahead of the reader, and hands them out in the same order. `inner` must not be used by anyone
// else meanwhile. Its notes are copied over once it is exhausted; a failure (exception) on the
// decoding thread is thrown again from next(). The destructor stops and joins the thread.
class PrefetchingSource : public MeasurementSource {
public:
    explicit PrefetchingSource(MeasurementSource& inner, std::size_t batchSize = 256,
                               std::size_t maxBatches = 8);
    ~PrefetchingSource() override;
    PrefetchingSource(const PrefetchingSource&) = delete;
    PrefetchingSource& operator=(const PrefetchingSource&) = delete;

    std::size_t sizeHint() const override { return hint_; }
    bool next(Measurement& out) override;

private:
    void produce();

    MeasurementSource& inner_;
    const std::size_t hint_;
    const std::size_t batchSize_;
    const std::size_t maxBatches_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<Measurement>> ready_;  // guarded by mutex_
    bool done_ = false;                           // guarded by mutex_
    bool stop_ = false;                           // guarded by mutex_
    std::exception_ptr failure_;                  // guarded by mutex_
    std::vector<Measurement> current_;            // the reader's batch
    std::size_t taken_ = 0;
    bool finished_ = false;
    std::thread thread_;
};

}  // namespace cfgconv
