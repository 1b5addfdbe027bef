#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

// What the reader learned about a page when it loaded and checked it, kept
// with the page so that a cache hit needs no second look.
struct HDBPageInfo {
    std::uint32_t count = 0;  // records in the page, at most 254
    std::int64_t total = 0;   // records in the page's whole subtree
    bool leaf = true;         // no child at all
    std::size_t readable = 0; // bytes of the page the file holds
    // A leaf of a mapped file is not kept as bytes: its records are read
    // from the mapping whenever they are needed, and the page keeps only,
    // for each record, the running sum of the stored bytes before it (what
    // unscrambling a record taken from the middle of the page starts from).
    // Such a page costs a few hundred bytes instead of the whole page.
    bool sums = false;
};

// One cached page: owning file, file offset, the unscrambled page bytes, and
// how many users hold it at the moment (a held page is never evicted).
struct CacheElem {
    std::uint64_t file = 0;
    std::uint64_t offset = 0;
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    HDBPageInfo info;
    int useCount = 0;
    // Bytes 0 … ready − 1 are read and unscrambled (for a page of sums: the
    // sums of records 0 … ready − 1 are known). The reader fills a page from
    // the front as far as its searches need (a search mostly needs the
    // header and part of the records); only the thread that uses the page's
    // file touches this.
    std::size_t ready = 0;
};

// The process-wide page cache of all HDB files. A page costs its size in
// bytes from a budget of 2 MiB. A new page goes to the back of the list; when
// the budget is used up, unpinned pages are dropped from the front (least
// recently used first) until it is positive again. Pinned pages are never
// dropped, so the budget may stay exceeded while many pages are in use.
// Every operation holds the one mutex, so files may be read from several
// threads at once (each file and cursor itself belongs to one thread).
class HDBPageCache {
public:
    static constexpr std::size_t DefaultBudget = 2097152;

    // A pinned page; unpins when it goes. Move-only.
    class Page {
    public:
        Page() = default;
        Page(Page&& other) noexcept : m_cache(other.m_cache), m_elem(other.m_elem) { other.m_elem = nullptr; }
        Page& operator=(Page&& other) noexcept;
        Page(const Page&) = delete;
        Page& operator=(const Page&) = delete;
        ~Page() { release(); }

        explicit operator bool() const { return m_elem != nullptr; }
        const std::uint8_t* data() const { return m_elem->bytes.get(); }
        std::size_t size() const { return m_elem->size; }
        const HDBPageInfo& info() const { return m_elem->info; }
        std::uint64_t offset() const { return m_elem->offset; }
        // For the reader that fills the page.
        std::uint8_t* mutableData() const { return m_elem->bytes.get(); }
        std::size_t& ready() const { return m_elem->ready; }
        void release();

    private:
        friend class HDBPageCache;
        Page(HDBPageCache* cache, CacheElem* elem) : m_cache(cache), m_elem(elem) {}
        HDBPageCache* m_cache = nullptr;
        CacheElem* m_elem = nullptr;
    };

    struct Stats {
        std::size_t pages = 0;
        std::size_t bytes = 0;  // sum of the cached pages' sizes
        std::size_t pinned = 0; // pages with a use count above 0
    };

    explicit HDBPageCache(std::size_t budget = DefaultBudget);
    HDBPageCache(const HDBPageCache&) = delete;
    HDBPageCache& operator=(const HDBPageCache&) = delete;

    // The one cache of the process, created on first use.
    static HDBPageCache& instance();

    // A hit pins the page and moves it to the back; a miss gives an empty Page.
    Page find(std::uint64_t file, std::uint64_t offset);
    // Adds a page pinned and evicts as described above. Should another
    // thread have added the same page meanwhile, that one is returned.
    Page insert(std::uint64_t file, std::uint64_t offset, std::unique_ptr<std::uint8_t[]> bytes, std::size_t size,
                const HDBPageInfo& info, std::size_t ready = 0);
    // Drops every page of `file` (its last cursor has gone).
    void removeFile(std::uint64_t file);

    bool contains(std::uint64_t file, std::uint64_t offset) const;
    Stats stats() const;
    Stats stats(std::uint64_t file) const;
    std::size_t budget() const { return m_budget; }

    // A process-unique number for each opened file, so that a page key never
    // matches a page of an earlier file at the same address.
    static std::uint64_t newFileId();

private:
    struct Key {
        std::uint64_t file;
        std::uint64_t offset;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const noexcept {
            return std::hash<std::uint64_t>()(k.file * 0x9E3779B97F4A7C15ull ^ k.offset);
        }
    };
    using List = std::list<CacheElem>;

    void unpin(CacheElem* elem);
    void evictLocked();

    mutable std::mutex m_mutex;
    const std::size_t m_budget;
    std::int64_t m_remaining; // budget minus the cached pages' sizes
    List m_list;              // least recently used first
    std::unordered_map<Key, List::iterator, KeyHash> m_index;
};
