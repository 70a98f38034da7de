#include "platform/ReadAhead.h"

#include "platform/NameBytes.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <sys/vfs.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vantuke {

namespace {

// Threads for a network file system. Measured over sshfs to 127.0.0.1 with the kernel's
// caches off, listing 5,000 files: 4 threads take the time to 40 % of one, 8 to 30 %, 16
// to 25 %, 32 no lower; a real network's longer round trips only gain more from them.
constexpr int kNetworkThreads = 16;
// Threads for a local disk: reading 5,000 files ahead in 2 threads took 1.3 times as long as
// reading them one by one in the user's thread (the page cache answers at once, and each
// hand-over between threads costs more than the call itself).
constexpr int kLocalThreads = 0;
// The most VANTUKE_IO_THREADS gets.
constexpr int kMostThreads = 64;
// How many files each thread may prepare ahead of the user.
constexpr int kReachPerThread = 4;

// The file systems whose calls wait for another machine (or a user-space daemon), by their
// statfs magic numbers.
bool WaitsForRoundTrips(unsigned long type) {
    switch (type) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFF534D42: // CIFS
    case 0xFE534D42: // SMB2
    case 0x65735546: // FUSE (sshfs, rclone, and the like)
    case 0x01021997: // 9P
    case 0x00C36400: // Ceph
    case 0x5346414F: // AFS
    case 0x6B414653: // kAFS
    case 0x73757245: // Coda
    case 0x0BD00BD0: // Lustre
    case 0x01161970: // GFS2
        return true;
    default:
        return false;
    }
}

} // namespace

int IoThreadsFor(const QString& path) {
    bool given = false;
    const int threads = qEnvironmentVariableIntValue("VANTUKE_IO_THREADS", &given);
    if (given)
        return std::clamp(threads, 0, kMostThreads);
    bool ok = false;
    const QByteArray native = NameToBytes(path, &ok);
    struct statfs volume {};
    if (!ok || native.isEmpty() || native.contains('\0') ||
        ::statfs(native.constData(), &volume) != 0)
        return kLocalThreads;
    return WaitsForRoundTrips(static_cast<unsigned long>(volume.f_type)) ? kNetworkThreads
                                                                         : kLocalThreads;
}

void InParallel(qsizetype count, int threads, const std::function<void(qsizetype)>& work) {
    std::atomic<qsizetype> next = 0;
    const auto share = [&] {
        for (qsizetype k; (k = next++) < count;)
            work(k);
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < std::min<qsizetype>(threads, count); ++t) {
        try {
            helpers.emplace_back(share);
        } catch (const std::exception&) {
            break; // fewer helpers: this thread does the rest
        }
    }
    share();
    for (std::thread& helper : helpers)
        helper.join();
}

struct ReadAhead::Pool final : FileCloser, std::enable_shared_from_this<Pool> {
    enum class State : quint8 {
        Free,    // no entry
        Working, // a thread prepares its entry
        Ready,   // prepared: the file, or nothing when it failed
        Passed,  // in work, and the user went past it: dropped when done
    };
    struct Slot {
        State state = State::Free;
        std::optional<OpenFile> file;
    };

    Pool(const QStringList& paths, OpenMode mode, std::vector<AheadBytes> bytes, int threadCount);
    // Stops the threads (after the calls in flight), and closes the files left.
    void Stop();
    void CloseLater(int fd) override;

    bool Locks() const { return mode == OpenMode::Change || mode == OpenMode::ReadShared; }
    // How the entry's file is opened.
    OpenMode ModeOf(qsizetype entry) const {
        return size_t(entry) < bytes.size() && bytes[size_t(entry)].lookOnly ? OpenMode::Look
                                                                             : mode;
    }
    qsizetype Reach() const { return qsizetype(ring.size()); }
    Slot& SlotOf(qsizetype entry) { return ring[size_t(entry % Reach())]; }
    bool CanStart() {
        return next < paths.size() && next < cursor + Reach() && SlotOf(next).state == State::Free;
    }
    // Files opened for reading only are closed by the threads once their user is done.
    static bool ClosesLater(OpenMode opened) {
        return opened == OpenMode::Read || opened == OpenMode::Look;
    }
    void Work();
    std::optional<OpenFile> Prepare(qsizetype entry) const;
    std::optional<OpenFile> Take(const QString& path, OpenMode wanted);

    const QStringList paths;
    const OpenMode mode;
    const std::vector<AheadBytes> bytes; // of each entry
    std::mutex mutex;
    std::condition_variable work;  // threads wait here for an entry to start
    std::condition_variable ready; // the user waits here for an entry in work
    std::vector<Slot> ring;        // entry k in ring[k % Reach()]
    qsizetype next = 0;            // the first entry no thread has started
    qsizetype cursor = 0;          // the first entry the user has not gone past
    int inWork = 0;                // entries a thread prepares, or closes the file of
    std::vector<int> closing;      // descriptors to close, first of all
    bool stopping = false;
    std::vector<std::thread> threads;
};

namespace {

// The pools whose files hold locks, and the files whose locks this process waits for.
struct LockRegistry {
    std::mutex mutex; // taken before any pool's
    std::vector<ReadAhead::Pool*> pools;
    std::vector<std::pair<quint64, quint64>> wanted; // device, inode

    bool Wants(const FileStat& file) const {
        return std::find(wanted.begin(), wanted.end(), std::pair(file.device, file.inode)) !=
               wanted.end();
    }
};

LockRegistry& Registry() {
    static LockRegistry registry;
    return registry;
}

} // namespace

ReadAhead::Pool::Pool(const QStringList& paths, OpenMode mode, std::vector<AheadBytes> bytes,
                      int threadCount)
    : paths(paths), mode(mode), bytes(std::move(bytes)),
      ring(size_t(std::max(threadCount, 1) * kReachPerThread)) {
    if (threadCount <= 0 || paths.isEmpty())
        return;
    if (Locks()) {
        const std::lock_guard guard(Registry().mutex);
        Registry().pools.push_back(this);
    }
    for (int k = 0; k < threadCount; ++k) {
        try {
            threads.emplace_back([this] { Work(); });
        } catch (const std::exception&) {
            break; // fewer threads, or none: the user opens what none prepared
        }
    }
}

void ReadAhead::Pool::Stop() {
    if (Locks()) {
        const std::lock_guard guard(Registry().mutex);
        std::erase(Registry().pools, this);
    }
    {
        const std::lock_guard guard(mutex);
        stopping = true;
    }
    work.notify_all();
    for (std::thread& thread : threads)
        thread.join();
    threads.clear();
    for (const int fd : std::exchange(closing, {}))
        ::close(fd);
    for (Slot& slot : ring)
        slot.file.reset();
}

void ReadAhead::Pool::CloseLater(int fd) {
    {
        const std::lock_guard guard(mutex);
        if (!stopping) {
            closing.push_back(fd);
            work.notify_one();
            return;
        }
    }
    ::close(fd);
}

std::optional<OpenFile> ReadAhead::Pool::Prepare(qsizetype entry) const {
    try {
        std::optional<OpenFile> file;
        file.emplace(paths.at(entry), ModeOf(entry), LockWait::DontWait);
        if (file->Busy())
            return std::nullopt; // left to the user, who waits for the lock
        if (size_t(entry) < bytes.size())
            file->ReadInAdvance(bytes[size_t(entry)].head, bytes[size_t(entry)].tail);
        return file;
    } catch (const std::exception&) {
        // Left to the user, who meets the failure itself.
        return std::nullopt;
    }
}

void ReadAhead::Pool::Work() {
    std::unique_lock lock(mutex);
    for (;;) {
        work.wait(lock, [this] { return stopping || !closing.empty() || CanStart(); });
        if (stopping)
            return;
        if (!closing.empty()) {
            const int fd = closing.back();
            closing.pop_back();
            lock.unlock();
            ::close(fd);
            lock.lock();
            continue;
        }
        const qsizetype entry = next++;
        SlotOf(entry).state = State::Working;
        ++inWork;
        lock.unlock();

        std::optional<OpenFile> file = Prepare(entry);
        std::optional<OpenFile> dropped;
        // A lock this process wants is not kept: the registry is asked first, and the
        // entry published before its lock is let go of.
        std::unique_lock<std::mutex> registry;
        if (file && Locks()) {
            registry = std::unique_lock(Registry().mutex);
            if (Registry().Wants(file->Stat())) {
                dropped.emplace(std::move(*file));
                file.reset();
            }
        }
        lock.lock();
        Slot& slot = SlotOf(entry);
        if (slot.state == State::Passed) {
            if (file)
                dropped.emplace(std::move(*file));
            slot.state = State::Free;
            work.notify_all();
        } else {
            if (file)
                slot.file.emplace(std::move(*file));
            slot.state = State::Ready;
            ready.notify_all();
        }
        if (registry.owns_lock())
            registry.unlock();
        if (dropped) {
            lock.unlock();
            dropped.reset(); // closed without holding anything
            lock.lock();
        }
        if (--inWork == 0)
            ready.notify_all();
    }
}

std::optional<OpenFile> ReadAhead::Pool::Take(const QString& path, OpenMode wanted) {
    std::vector<OpenFile> passed; // closed once the lock is let go of
    std::optional<OpenFile> taken;
    std::unique_lock lock(mutex);
    const qsizetype end = std::min(paths.size(), cursor + Reach());
    qsizetype found = cursor;
    while (found < end && paths.at(found) != path)
        ++found;
    if (found == end || ModeOf(found) != wanted)
        return std::nullopt;
    for (qsizetype entry = cursor; entry < std::min(found, next); ++entry) {
        Slot& slot = SlotOf(entry);
        if (slot.state == State::Working) {
            slot.state = State::Passed;
            continue;
        }
        if (slot.file) {
            passed.push_back(std::move(*slot.file));
            slot.file.reset();
        }
        slot.state = State::Free;
    }
    cursor = found + 1;
    if (found >= next) {
        // Not started yet: the user opens it now, and the threads go on after it.
        next = found + 1;
    } else {
        Slot& slot = SlotOf(found);
        ready.wait(lock, [&slot] { return slot.state == State::Ready; });
        if (slot.file) {
            taken.emplace(std::move(*slot.file));
            slot.file.reset();
            if (ClosesLater(wanted))
                taken->CloseThrough(shared_from_this());
        }
        slot.state = State::Free;
    }
    work.notify_all();
    lock.unlock();
    return taken;
}

ReadAhead::ReadAhead(const QStringList& paths, OpenMode mode, AheadBytes bytes,
                     std::optional<int> threads)
    : ReadAhead(paths, mode, std::vector<AheadBytes>(size_t(paths.size()), bytes), threads) {}

ReadAhead::ReadAhead(const QStringList& paths, OpenMode mode, std::vector<AheadBytes> bytesOfEach,
                     std::optional<int> threads)
    : pool_(std::make_shared<Pool>(paths, mode, std::move(bytesOfEach),
                                   threads ? *threads
                                           : (paths.isEmpty() ? 0 : IoThreadsFor(paths.first())))) {
}

// The pool itself lives on while files it gave out do: they close at once from now on.
ReadAhead::~ReadAhead() {
    pool_->Stop();
}

void ReadAhead::Settle() {
    Pool& pool = *pool_;
    std::unique_lock lock(pool.mutex);
    pool.ready.wait(lock, [&pool] { return pool.inWork == 0; });
}

int ReadAhead::Threads() const {
    return int(pool_->threads.size());
}

std::optional<OpenFile> ReadAhead::Take(const QString& path, OpenMode mode) {
    if (peeked_ && peeked_->Path() == path && mode == peekedMode_) {
        std::optional<OpenFile> file(std::move(peeked_));
        peeked_.reset();
        return file;
    }
    peeked_.reset();
    if (pool_->threads.empty())
        return std::nullopt;
    return pool_->Take(path, mode);
}

const OpenFile* ReadAhead::Peek(const QString& path, OpenMode mode) {
    if (!peeked_ || peeked_->Path() != path || mode != peekedMode_) {
        std::optional<OpenFile> file = Take(path, mode);
        if (file) {
            peeked_.emplace(std::move(*file));
            peekedMode_ = mode;
        }
    }
    return peeked_ ? &*peeked_ : nullptr;
}

LockWanted::LockWanted(const FileStat& file) : device_(file.device), inode_(file.inode) {
    std::vector<OpenFile> letGo; // closed once the locks are let go of
    LockRegistry& registry = Registry();
    const std::lock_guard guard(registry.mutex);
    registry.wanted.emplace_back(device_, inode_);
    for (ReadAhead::Pool* pool : registry.pools) {
        const std::lock_guard poolGuard(pool->mutex);
        for (ReadAhead::Pool::Slot& slot : pool->ring) {
            if (slot.state == ReadAhead::Pool::State::Ready && slot.file &&
                slot.file->Stat().device == device_ && slot.file->Stat().inode == inode_) {
                letGo.push_back(std::move(*slot.file));
                slot.file.reset();
            }
        }
    }
}

LockWanted::~LockWanted() {
    LockRegistry& registry = Registry();
    const std::lock_guard guard(registry.mutex);
    const auto found =
        std::find(registry.wanted.begin(), registry.wanted.end(), std::pair(device_, inode_));
    if (found != registry.wanted.end())
        registry.wanted.erase(found);
}

} // namespace vantuke
