#include "platform/hosted/open_ahead.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <system_error>

namespace comp_mgr {

OpenAhead::OpenAhead(std::size_t threads, bool startEarly) : threadCount_(threads), startEarly_(startEarly) {}

OpenAhead::~OpenAhead() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
        stopping_ = true;
    }
    ready_.notify_all();
    for (std::thread& thread : threads_) thread.join();
    for (const auto& descriptor : descriptors_) ::close(descriptor.second);
}

int OpenAhead::OwnDescriptor(int folder) {
    if (folder < 0) return folder;
    for (const auto& descriptor : descriptors_)
        if (descriptor.first == folder) return descriptor.second;
    // A copy of the machine's: the machine may close its own while a thread
    // still opens through it.
    const int copy = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (copy >= 0) descriptors_.emplace_back(folder, copy);
    return copy;
}

OpenAhead::Batch::Batch() {
    void* map = ::mmap(nullptr, kRegion, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    mapped = map != MAP_FAILED;
    region = mapped ? static_cast<char*>(map) : new char[kRegion];
    probes = reinterpret_cast<Probe*>(region);
    text = region + kTextAt;
}

OpenAhead::Batch::~Batch() {
    if (mapped)
        ::munmap(region, kRegion);
    else
        delete[] region;
}

OpenAhead::Probe* OpenAhead::Append(std::string_view path, int folder, std::string_view name) {
    // The name as written ends the path, mostly: then it is not kept twice.
    const bool nameEndsPath =
        !name.empty() && name.size() <= path.size() && path.substr(path.size() - name.size()) == name;
    const std::size_t bytes = path.size() + 1 + (nameEndsPath ? 0 : name.size() + 1);
    if (filling_ && !filling_->Fits(bytes)) Publish();
    if (!filling_) filling_ = std::make_unique<Batch>();
    Batch& batch = *filling_;
    // A path longer than a batch holds is not added: it is asked alone.
    if (!batch.Fits(bytes)) return nullptr;
    Probe& probe = batch.probes[batch.count++];
    probe = Probe{static_cast<std::uint32_t>(batch.textUsed), static_cast<std::uint32_t>(path.size()), 0, folder, kNo};
    if (!path.empty()) std::memcpy(batch.text + batch.textUsed, path.data(), path.size());
    batch.textUsed += path.size();
    batch.text[batch.textUsed++] = '\0';
    if (nameEndsPath) {
        probe.nameAt = probe.pathAt + probe.pathSize - static_cast<std::uint32_t>(name.size());
    } else {
        probe.nameAt = static_cast<std::uint32_t>(batch.textUsed);
        if (!name.empty()) std::memcpy(batch.text + batch.textUsed, name.data(), name.size());
        batch.textUsed += name.size();
        batch.text[batch.textUsed++] = '\0';
    }
    ++added_;
    return &probe;
}

void OpenAhead::Add(std::string_view path, int folder, const std::string& name) {
    const int own = OwnDescriptor(folder);
    Probe* probe = Append(path, own, name);
    if (probe && own < 0 && folder >= 0) {
        // No descriptor to spare: answered here, through the machine's.
        const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat st;
        probe->answer =
            fd < 0 ? (errno == ENOENT ? kAskAlone : kNo) : (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? kYes : kNo);
        if (fd >= 0) ::close(fd);
        probe->folder = kAnswered;
    }
    if (filling_ && filling_->count == kBatch) Publish();
    if (startEarly_ && !started_ && added_ >= kThreadsFrom) StartThreads();
}

void OpenAhead::AddAnswer(std::string_view path, bool opens) {
    if (Probe* probe = Append(path, kAnswered, std::string_view())) probe->answer = opens ? kYes : kNo;
    if (filling_ && filling_->count == kBatch) Publish();
}

void OpenAhead::Publish() {
    if (!filling_) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        batches_.push_back(std::move(filling_));
    }
    ready_.notify_one();
}

void OpenAhead::StartThreads() {
    started_ = true;
    try {
        for (std::size_t t = 1; t < threadCount_; ++t) threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // No more threads to be had: those there are, and the caller's at Finish, answer.
    }
}

void OpenAhead::AnswerBatch(Batch& batch) {
    // Only a regular file counts as opened: a folder opens too, and
    // O_NONBLOCK keeps a FIFO from making the open wait.
    for (std::size_t k = 0; k < batch.count; ++k) {
        Probe& probe = batch.probes[k];
        if (probe.folder == kAnswered) continue;
        const int fd = ::openat(probe.folder, batch.text + probe.nameAt, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            probe.answer = errno == ENOENT ? kAskAlone : kNo;
            continue;
        }
        struct stat st;
        probe.answer = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? kYes : kNo;
        ::close(fd);
    }
}

void OpenAhead::Work() {
    for (;;) {
        Batch* batch = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            ready_.wait(lock, [this] { return stopping_ || closing_ || nextToAnswer_ < batches_.size(); });
            if (stopping_ || nextToAnswer_ >= batches_.size()) return;
            batch = batches_[nextToAnswer_++].get();
        }
        AnswerBatch(*batch);
    }
}

void OpenAhead::Finish() {
    if (finished_) return;
    finished_ = true;
    Publish();
    if (!started_ && added_ >= kThreadsFrom) StartThreads();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    ready_.notify_all();
    Work();  // allocates nothing and throws nothing, so the threads are always joined
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
}

OpenAhead::Answer OpenAhead::Take(std::string_view path) {
    // In the order added, one comparison a question.
    while (takeBatch_ < batches_.size() && takeProbe_ >= batches_[takeBatch_]->count) {
        ++takeBatch_;
        takeProbe_ = 0;
    }
    if (takeBatch_ < batches_.size()) {
        const Batch& batch = *batches_[takeBatch_];
        const Probe& probe = batch.probes[takeProbe_];
        if (PathOf(batch, probe) == path) {
            ++takeProbe_;
            return probe.answer;
        }
    }
    // Out of that order: every question, by path, in a table of open
    // addressing built once. The same path added twice has the same answer,
    // as nothing changed the files in between.
    const std::hash<std::string_view> hashOf;
    if (byPath_.empty() && added_ > 0) {
        std::size_t slots = 2;
        while (slots < added_ * 2) slots *= 2;
        byPath_.assign(slots, 0);
        for (std::size_t b = 0; b < batches_.size(); ++b) {
            const Batch& batch = *batches_[b];
            for (std::size_t k = 0; k < batch.count; ++k) {
                std::size_t at = hashOf(PathOf(batch, batch.probes[k])) & (slots - 1);
                while (byPath_[at] != 0) at = (at + 1) & (slots - 1);
                byPath_[at] = static_cast<std::uint32_t>(b * kBatch + k + 1);
            }
        }
    }
    if (byPath_.empty()) return kNotAdded;
    const std::size_t mask = byPath_.size() - 1;
    for (std::size_t at = hashOf(path) & mask; byPath_[at] != 0; at = (at + 1) & mask) {
        const std::size_t number = byPath_[at] - 1;
        const Batch& batch = *batches_[number / kBatch];
        const Probe& probe = batch.probes[number % kBatch];
        if (PathOf(batch, probe) == path) return probe.answer;
    }
    return kNotAdded;
}

}  // namespace comp_mgr
