// Whether files open, found out on threads of its own while the caller goes
// on: the start-up check asks about every program file of the catalog, and
// on a large catalog those opens are most of the run.
//
// The caller finds each file's folder (HostedMachine::Locate, which is not
// shared between threads) and adds the name; the threads only open, look and
// close, through descriptors of their own. A name that is not there as
// written is answered kAskAlone: its match in another case is the machine's
// to find, on the caller's thread.
#ifndef COMP_MGR_PLATFORM_HOSTED_OPEN_AHEAD_H
#define COMP_MGR_PLATFORM_HOSTED_OPEN_AHEAD_H

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace comp_mgr {

class OpenAhead {
public:
    enum Answer : unsigned char { kNo, kYes, kAskAlone, kNotAdded };

    // Below this many questions the caller answers them alone: starting
    // threads costs more than it saves.
    static constexpr std::size_t kThreadsFrom = 1024;

    // `threads` counts the caller's. With `startEarly` the others start once
    // kThreadsFrom questions are added, and answer while more are added;
    // otherwise at Finish.
    OpenAhead(std::size_t threads, bool startEarly);
    ~OpenAhead();  // stops the threads, answered or not
    OpenAhead(const OpenAhead&) = delete;
    OpenAhead& operator=(const OpenAhead&) = delete;

    // `path` is the question as asked; `name` is opened in `folder` (a
    // descriptor, which need not outlive this call, or AT_FDCWD with a host
    // path as `name`).
    void Add(std::string_view path, int folder, const std::string& name);
    // A question whose answer is known without opening anything.
    void AddAnswer(std::string_view path, bool opens);
    // Every question answered, the threads gone.
    void Finish();
    // After Finish: the answer for `path`, kNotAdded when it was not added.
    // Cheapest when asked in the order added.
    Answer Take(std::string_view path);

private:
    struct Probe {
        std::uint32_t pathAt;  // in the batch's text
        std::uint32_t pathSize;
        std::uint32_t nameAt;  // NUL-terminated, in the batch's text
        int folder;            // a descriptor of this object's, or AT_FDCWD
        Answer answer;
    };
    static constexpr std::size_t kBatch = 256;     // questions handed over at a time
    static constexpr std::size_t kRegion = 65536;  // a batch's memory: its probes, then its text
    // Filled by the caller only; handed to the threads once full, and never
    // changed by the caller again. Its memory is mapped apart from the heap
    // and given back when it is freed, so the questions of a large catalog
    // leave no holes in the heap that the rest of the run cannot use.
    struct Batch {
        Batch();
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        bool Fits(std::size_t bytes) const { return count < kBatch && textUsed + bytes <= kRegion - kTextAt; }

        static constexpr std::size_t kTextAt = kBatch * sizeof(Probe);
        char* region;
        bool mapped;
        Probe* probes;
        std::size_t count = 0;
        char* text;
        std::size_t textUsed = 0;
    };
    static constexpr int kAnswered = -2;  // a probe's folder when its answer is known

    Probe* Append(std::string_view path, int folder, std::string_view name);
    void Publish();
    void StartThreads();
    void Work();
    static void AnswerBatch(Batch& batch);
    int OwnDescriptor(int folder);
    std::string_view PathOf(const Batch& batch, const Probe& probe) const {
        return std::string_view(batch.text + probe.pathAt, probe.pathSize);
    }

    const std::size_t threadCount_;
    const bool startEarly_;
    std::size_t added_ = 0;
    std::unique_ptr<Batch> filling_;
    std::vector<std::pair<int, int>> descriptors_;  // the machine's, and this object's copy

    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<std::unique_ptr<Batch>> batches_;  // guarded by mutex_ until Finish
    std::size_t nextToAnswer_ = 0;                 // guarded by mutex_
    bool closing_ = false;                         // guarded by mutex_: no batch will come
    bool stopping_ = false;                        // guarded by mutex_: answers are not wanted
    std::vector<std::thread> threads_;
    bool started_ = false;
    bool finished_ = false;

    // Take's place in the order added, and, for questions asked out of it, a
    // table of every question by its path's hash: batch * kBatch + probe + 1, or 0.
    std::size_t takeBatch_ = 0;
    std::size_t takeProbe_ = 0;
    std::vector<std::uint32_t> byPath_;
};

}  // namespace comp_mgr

#endif
