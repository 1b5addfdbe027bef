// HDB lookups side by side with SQLite on the same million place-like
// records: a 30-character name key, the name of a place part, a relation
// number and two coordinates. SQLite holds them in a table inserted in key
// order (so the rowid is the record number) with an index on the name; both
// sides keep their default page cache of about 2 MB. Each lookup also reads
// the record's fields.
//
//   findNearest  — first record whose name is not smaller than a probe
//                  (SELECT … WHERE ort >= ? ORDER BY ort LIMIT 1)
//   seek         — record by number, in sequence and at random
//                  (SELECT … WHERE rowid = ?)
#include <HDBFile.h>
#include <HDBRecords.h>
#include <HDBWriter.h>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr int RecordCount = 1000000;
constexpr int ProbeCount = 1 << 16;
const char* const Codeword = "Kennmark";

std::string dataDir() {
    return "/tmp/vistrel-bench-hdb-" + std::to_string(::getuid()) + "-v1";
}

std::string placeName(std::mt19937& rng) {
    static const char* const syllables[] = {"BACH",  "BERG", "BURG",   "DORF",  "FELD", "HAUS",  "HEIM", "HOF",
                                            "KIRCH", "LIND", "MAIN",   "MARK",  "MOOS", "MUEHL", "NEU",  "OBER",
                                            "RHEIN", "ROD",  "SCHWAR", "STEIN", "TAL",  "UNTER", "WALD", "WEIL",
                                            "WIES",  "WOLF", "ZELL",   "ALT",   "EICH", "FRIED", "GRUB", "HAGEN"};
    const int n = 2 + int(rng() % 3);
    std::string name;
    for (int i = 0; i < n; ++i)
        name += syllables[rng() % 32];
    if (rng() % 3 == 0) {
        name += " AM ";
        name += syllables[rng() % 32];
    }
    name += ' ';
    name += char('A' + rng() % 26);
    name += char('A' + rng() % 26);
    return name.substr(0, 30);
}

struct Place {
    std::string ort;
    std::string teil;
    int relation;
    double r;
    double h;
};

void check(int rc, sqlite3* db, const char* what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

// The two files, made once and kept in /tmp for later runs.
struct Data {
    std::string hdbPath = dataDir() + "/WOPLA1.HDB";
    std::string sqlitePath = dataDir() + "/wopla1.sqlite";
    std::vector<std::string> probes;

    Data() {
        std::mt19937 rng(42);
        std::vector<Place> places;
        places.reserve(RecordCount);
        for (int i = 0; i < RecordCount; ++i)
            places.push_back({placeName(rng), placeName(rng), int(rng() % RecordCount) + 1,
                              3400000.0 + (rng() % 2000000) / 10.0, 5400000.0 + (rng() % 2000000) / 10.0});
        std::sort(places.begin(), places.end(), [](const Place& a, const Place& b) { return a.ort < b.ort; });
        // Probes: names present, prefixes of names, and arbitrary text.
        for (int i = 0; i < ProbeCount; ++i) {
            const std::string& name = places[rng() % RecordCount].ort;
            switch (i % 4) {
            case 0:
            case 1:
                probes.push_back(name);
                break;
            case 2:
                probes.push_back(name.substr(0, 3 + rng() % 5));
                break;
            default:
                probes.push_back(placeName(rng));
            }
        }
        if (std::filesystem::exists(hdbPath) && std::filesystem::exists(sqlitePath))
            return;
        std::filesystem::create_directories(dataDir());
        std::fprintf(stderr, "writing %d records to %s\n", RecordCount, dataDir().c_str());
        HDBWriter w({{"ORT", 7, 30, 0},
                     {"ORTS_TEIL", 7, 30, 0},
                     {"RELATION", 3, 7, 0},
                     {"R_WERT", 3, 10, 1},
                     {"H_WERT", 3, 10, 1}},
                    Codeword);
        for (const Place& p : places)
            w.addRecord({p.ort, p.teil, std::int64_t(p.relation), p.r, p.h});
        if (!w.write(hdbPath))
            throw std::runtime_error(w.errorString());

        std::filesystem::remove(sqlitePath);
        sqlite3* db = nullptr;
        check(sqlite3_open(sqlitePath.c_str(), &db), db, "open");
        check(sqlite3_exec(db,
                           "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
                           "CREATE TABLE places(ort TEXT, orts_teil TEXT, relation INTEGER, r_wert REAL, h_wert REAL);"
                           "BEGIN;",
                           nullptr, nullptr, nullptr),
              db, "create");
        sqlite3_stmt* insert = nullptr;
        check(sqlite3_prepare_v2(db, "INSERT INTO places VALUES(?,?,?,?,?)", -1, &insert, nullptr), db, "prepare");
        for (const Place& p : places) {
            sqlite3_bind_text(insert, 1, p.ort.c_str(), int(p.ort.size()), SQLITE_STATIC);
            sqlite3_bind_text(insert, 2, p.teil.c_str(), int(p.teil.size()), SQLITE_STATIC);
            sqlite3_bind_int(insert, 3, p.relation);
            sqlite3_bind_double(insert, 4, p.r);
            sqlite3_bind_double(insert, 5, p.h);
            check(sqlite3_step(insert), db, "insert");
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        check(sqlite3_exec(db, "COMMIT; CREATE INDEX places_ort ON places(ort);", nullptr, nullptr, nullptr), db,
              "index");
        sqlite3_close(db);
    }
};

Data& data() {
    static Data d;
    return d;
}

std::vector<int> randomRecordNumbers() {
    std::mt19937 rng(7);
    std::vector<int> r(ProbeCount);
    for (int& x : r)
        x = int(rng() % RecordCount) + 1;
    return r;
}

// Reads the fields the place search reads.
struct HdbSide {
    HDBRecords cursor;
    const RowField* ort;
    const RowField* relation;
    const RowField* r;
    const RowField* h;
    HdbSide()
        : cursor(HDBFile::open(data().hdbPath, Codeword)), ort(cursor.file()->fieldByName("ORT")),
          relation(cursor.file()->fieldByName("RELATION")), r(cursor.file()->fieldByName("R_WERT")),
          h(cursor.file()->fieldByName("H_WERT")) {
        if (cursor.recordCount() != RecordCount)
            throw std::runtime_error("HDB file unreadable");
    }
    void readFields(benchmark::State& state) {
        std::string name;
        std::uint32_t rel = 0;
        double x = 0, y = 0;
        if (ort->getString(cursor, name) || relation->getInteger(cursor, rel) || r->getDouble(cursor, x) ||
            h->getDouble(cursor, y))
            state.SkipWithError("field unreadable");
        benchmark::DoNotOptimize(name.data());
        benchmark::DoNotOptimize(rel);
        benchmark::DoNotOptimize(x);
        benchmark::DoNotOptimize(y);
    }
};

struct SqliteSide {
    sqlite3* db = nullptr;
    sqlite3_stmt* nearest = nullptr;
    sqlite3_stmt* byRowid = nullptr;
    SqliteSide() {
        check(sqlite3_open_v2(data().sqlitePath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), db, "open");
        check(sqlite3_prepare_v2(db,
                                 "SELECT rowid, ort, relation, r_wert, h_wert FROM places WHERE ort >= ?1 "
                                 "ORDER BY ort LIMIT 1",
                                 -1, &nearest, nullptr),
              db, "prepare");
        check(sqlite3_prepare_v2(db, "SELECT ort, relation, r_wert, h_wert FROM places WHERE rowid = ?1", -1, &byRowid,
                                 nullptr),
              db, "prepare");
        // One read transaction for the whole run, so that SQLite does not
        // take and drop its file lock (and re-check the file) per statement.
        check(sqlite3_exec(db, "BEGIN; SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr), db, "begin");
    }
    ~SqliteSide() {
        sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
        sqlite3_finalize(nearest);
        sqlite3_finalize(byRowid);
        sqlite3_close(db);
    }
    bool fetch(sqlite3_stmt* stmt, int first) {
        const bool row = sqlite3_step(stmt) == SQLITE_ROW;
        if (row) {
            benchmark::DoNotOptimize(sqlite3_column_text(stmt, first));
            benchmark::DoNotOptimize(sqlite3_column_int(stmt, first + 1));
            benchmark::DoNotOptimize(sqlite3_column_double(stmt, first + 2));
            benchmark::DoNotOptimize(sqlite3_column_double(stmt, first + 3));
        }
        sqlite3_reset(stmt);
        return row;
    }
};

void BM_FindNearest_HDB(benchmark::State& state) {
    const auto& probes = data().probes;
    HdbSide hdb;
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& key = probes[i++ % probes.size()];
        if (hdb.cursor.findNearest(key, true))
            hdb.readFields(state);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_FindNearest_SQLite(benchmark::State& state) {
    const auto& probes = data().probes;
    SqliteSide sql;
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& key = probes[i++ % probes.size()];
        sqlite3_bind_text(sql.nearest, 1, key.c_str(), int(key.size()), SQLITE_STATIC);
        sql.fetch(sql.nearest, 1);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_SeekSequential_HDB(benchmark::State& state) {
    data();
    HdbSide hdb;
    int r = 0;
    for (auto _ : state) {
        r = r % RecordCount + 1;
        if (!hdb.cursor.seek(r))
            state.SkipWithError("seek failed");
        hdb.readFields(state);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_SeekSequential_SQLite(benchmark::State& state) {
    data();
    SqliteSide sql;
    int r = 0;
    for (auto _ : state) {
        r = r % RecordCount + 1;
        sqlite3_bind_int(sql.byRowid, 1, r);
        if (!sql.fetch(sql.byRowid, 0))
            state.SkipWithError("row missing");
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_SeekRandom_HDB(benchmark::State& state) {
    data();
    const std::vector<int> numbers = randomRecordNumbers();
    HdbSide hdb;
    std::size_t i = 0;
    for (auto _ : state) {
        if (!hdb.cursor.seek(numbers[i++ % numbers.size()]))
            state.SkipWithError("seek failed");
        hdb.readFields(state);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_SeekRandom_SQLite(benchmark::State& state) {
    data();
    const std::vector<int> numbers = randomRecordNumbers();
    SqliteSide sql;
    std::size_t i = 0;
    for (auto _ : state) {
        sqlite3_bind_int(sql.byRowid, 1, numbers[i++ % numbers.size()]);
        if (!sql.fetch(sql.byRowid, 0))
            state.SkipWithError("row missing");
    }
    state.SetItemsProcessed(state.iterations());
}

// A whole pass over every record number, in order, as one iteration.
void BM_SeekEveryRecord_HDB(benchmark::State& state) {
    data();
    HdbSide hdb;
    for (auto _ : state) {
        for (int r = 1; r <= RecordCount; ++r) {
            hdb.cursor.seek(r);
            hdb.readFields(state);
        }
    }
    state.SetItemsProcessed(state.iterations() * RecordCount);
}

void BM_SeekEveryRecord_SQLite(benchmark::State& state) {
    data();
    SqliteSide sql;
    for (auto _ : state) {
        for (int r = 1; r <= RecordCount; ++r) {
            sqlite3_bind_int(sql.byRowid, 1, r);
            sql.fetch(sql.byRowid, 0);
        }
    }
    state.SetItemsProcessed(state.iterations() * RecordCount);
}

} // namespace

BENCHMARK(BM_FindNearest_HDB);
BENCHMARK(BM_FindNearest_SQLite);
BENCHMARK(BM_SeekSequential_HDB);
BENCHMARK(BM_SeekSequential_SQLite);
BENCHMARK(BM_SeekRandom_HDB);
BENCHMARK(BM_SeekRandom_SQLite);
BENCHMARK(BM_SeekEveryRecord_HDB)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SeekEveryRecord_SQLite)->Unit(benchmark::kMillisecond)->Iterations(3);
