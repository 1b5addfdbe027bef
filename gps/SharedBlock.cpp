#include "SharedBlock.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using GpsProtocol::PositionRecord;
using GpsProtocol::SharedBlockSize;
using GpsProtocol::SharedPositionBlock;

namespace {

constexpr std::size_t PositionWords = sizeof(PositionRecord) / 4;

std::uint32_t* wordsOf(SharedPositionBlock* block) {
    return reinterpret_cast<std::uint32_t*>(block);
}

std::string blockText(const char* name) {
    return std::string("Der gemeinsame Speicherblock \"") + name + "\"";
}

} // namespace

SharedBlock::~SharedBlock() {
    munmap(m_block, SharedBlockSize);
}

std::unique_ptr<SharedBlock> SharedBlock::create(std::string* error, const char* name) {
    return openBlock(true, error, name);
}

std::unique_ptr<SharedBlock> SharedBlock::openExisting(std::string* error, const char* name) {
    return openBlock(false, error, name);
}

void SharedBlock::remove(const char* name) {
    shm_unlink(name);
}

std::unique_ptr<SharedBlock> SharedBlock::openBlock(bool create, std::string* error, const char* name) {
    auto fail = [&](const std::string& text) -> std::unique_ptr<SharedBlock> {
        if (error)
            *error = text;
        return nullptr;
    };
    const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
    const int fd = shm_open(name, flags, 0600);
    if (fd < 0) {
        if (errno == EACCES)
            return fail(blockText(name) + " gehört einem anderen Benutzer und wird nicht benutzt.");
        return fail(blockText(name) + " kann nicht geöffnet werden: " + std::strerror(errno));
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        close(fd);
        return fail(blockText(name) + " kann nicht geprüft werden.");
    }
    // The ownership check comes before anything is read or written: a block
    // planted by another user is refused even if its mode lets us in.
    if (st.st_uid != geteuid()) {
        close(fd);
        return fail(blockText(name) + " gehört einem anderen Benutzer und wird nicht benutzt.");
    }
    if ((st.st_mode & 077) != 0)
        fchmod(fd, 0600);
    if (st.st_size < off_t(SharedBlockSize)) {
        if (!create || ftruncate(fd, off_t(SharedBlockSize)) != 0) {
            close(fd);
            return fail(blockText(name) + " hat nicht die erwartete Größe.");
        }
    }
    void* address = mmap(nullptr, SharedBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (address == MAP_FAILED)
        return fail(blockText(name) + " kann nicht eingeblendet werden.");
    return std::unique_ptr<SharedBlock>(new SharedBlock(static_cast<SharedPositionBlock*>(address)));
}

void SharedBlock::writePosition(const PositionRecord& record) {
    std::uint32_t words[PositionWords];
    std::memcpy(words, &record, sizeof(words));
    std::atomic_ref<std::uint32_t> sequence(m_block->sequence);
    const std::uint32_t start = sequence.load(std::memory_order_relaxed);
    // An odd start means a previous writer died mid-write; carry on from the
    // next even value so readers are not kept waiting.
    const std::uint32_t even = start & ~1u;
    sequence.store(even + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    std::uint32_t* target = wordsOf(m_block);
    for (std::size_t i = 0; i < PositionWords; ++i)
        std::atomic_ref<std::uint32_t>(target[i]).store(words[i], std::memory_order_relaxed);
    sequence.store(even + 2, std::memory_order_release);
}

bool SharedBlock::readPosition(PositionRecord& record) const {
    std::uint32_t words[PositionWords];
    std::atomic_ref<std::uint32_t> sequence(m_block->sequence);
    std::uint32_t* source = wordsOf(m_block);
    for (int attempt = 0; attempt < 10000; ++attempt) {
        const std::uint32_t before = sequence.load(std::memory_order_acquire);
        if ((before & 1u) == 0) {
            for (std::size_t i = 0; i < PositionWords; ++i)
                words[i] = std::atomic_ref<std::uint32_t>(source[i]).load(std::memory_order_relaxed);
            std::atomic_thread_fence(std::memory_order_acquire);
            if (sequence.load(std::memory_order_relaxed) == before) {
                std::memcpy(&record, words, sizeof(words));
                return true;
            }
        }
        if (attempt > 100)
            std::this_thread::yield();
    }
    for (std::size_t i = 0; i < PositionWords; ++i)
        words[i] = std::atomic_ref<std::uint32_t>(source[i]).load(std::memory_order_relaxed);
    std::memcpy(&record, words, sizeof(words));
    return false;
}

std::int32_t SharedBlock::loadInt(const std::int32_t& field) const {
    return std::atomic_ref<std::int32_t>(const_cast<std::int32_t&>(field)).load(std::memory_order_acquire);
}

void SharedBlock::storeInt(std::int32_t& field, std::int32_t value) {
    std::atomic_ref<std::int32_t>(field).store(value, std::memory_order_release);
}
