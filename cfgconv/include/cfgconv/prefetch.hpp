// Decoding measurements on a second thread while the caller writes the ones already decoded.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cfgconv/cfginclude.hpp"

namespace cfgconv {

// The number of threads the converter may use: QUILLMOOR_THREADS when it holds a number from 1
// up, else the processors the system reports (at least 1).
unsigned workerThreads();

// Takes the measurements of `inner` on a thread of its own, in batches, at most a few batches
// ahead of the reader, and hands them out in the same order. The measurements `inner` can
// decode by position are shared: when the reader finds its next batch not ready, it decodes
// a batch itself instead of waiting, so that neither side idles while the other is the slower.
// `inner` must not be used by anyone else meanwhile. The notes arrive in the order of the
// measurements, those of inner's next() once it is exhausted; a failure (exception) while
// decoding is thrown again from next(). The destructor stops and joins the thread.
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
    struct Batch {
        std::vector<Measurement> measurements;
        std::vector<std::string> notes;
    };
    void produce();
    // The positional batch `index`, decoded on the calling thread.
    Batch decodeBatch(std::size_t index) const;
    // Whether the positional batch nextClaim_ may be decoded now (mutex_ held).
    bool claimable() const {
        return nextClaim_ < positionalBatches_ && nextClaim_ < taken_ + maxBatches_;
    }

    MeasurementSource& inner_;
    const std::size_t hint_;
    const std::size_t batchSize_;
    const std::size_t maxBatches_;
    const std::size_t positional_;                    // measurements decodable by position
    const std::size_t positionalBatches_;             // batches 0 .. positionalBatches_-1 of them
    static constexpr std::size_t kReleaseEvery = 16;  // batches between text given back
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::size_t, Batch> ready_;  // by batch index; guarded by mutex_
    std::size_t nextClaim_ = 0;           // next positional batch to decode; guarded by mutex_
    std::size_t taken_ = 0;               // batches handed to the reader; guarded by mutex_
    std::size_t total_ = 0;               // all batches, once done_; guarded by mutex_
    bool done_ = false;                   // guarded by mutex_
    bool stop_ = false;                   // guarded by mutex_
    std::exception_ptr failure_;          // guarded by mutex_
    std::vector<Measurement> current_;    // the reader's batch
    std::size_t next_ = 0;                // the reader's position in current_
    bool finished_ = false;
    std::thread thread_;
};

}  // namespace cfgconv
