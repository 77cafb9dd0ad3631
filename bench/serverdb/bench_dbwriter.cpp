// The server's side of bench_serverdb_live: a process that commits a small
// write transaction every 10 ms (a row into table Log and an update of one
// Terminal row) and records, for every commit, when it began and how long
// it took from BEGIN IMMEDIATE to the end of COMMIT: the time the writer
// waited for locks plus its own (small) work. Synchronous writes are off so
// that disk flushes do not hide the lock waits.
//
//   bench_dbwriter <database> <stop-file>
// Runs until the stop file exists (at most 300 s), then prints one line per
// commit: "<start ns, steady clock> <duration ns> <result code>".
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace {

using Clock = std::chrono::steady_clock;

long long ns(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

bool exists(const char *path)
{
    struct stat st;
    return stat(path, &st) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s database stop-file\n", argv[0]);
        return 2;
    }
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "open failed\n");
        return 1;
    }
    sqlite3_busy_timeout(db, 30000);
    sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    sqlite3_stmt *log = nullptr, *touch = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT INTO Log VALUES(?, 'server heartbeat')", -1, &log, nullptr) != SQLITE_OK
        || sqlite3_prepare_v2(db, "UPDATE Terminal SET Vol = Vol + 1 WHERE rowid = ?", -1, &touch, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "prepare failed: %s\n", sqlite3_errmsg(db));
        return 1;
    }
    struct Commit {
        long long start, duration;
        int rc;
    };
    std::vector<Commit> commits;
    commits.reserve(40000);
    const auto begin = Clock::now();
    auto next = begin;
    for (long long i = 0; !exists(argv[2]) && Clock::now() - begin < std::chrono::seconds(300); ++i) {
        next += std::chrono::milliseconds(10);
        std::this_thread::sleep_until(next);
        const auto t0 = Clock::now();
        int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK) {
            sqlite3_bind_int64(log, 1, i);
            sqlite3_bind_int64(touch, 1, 1 + (i * 7919) % 100000);
            rc = sqlite3_step(log) == SQLITE_DONE && sqlite3_step(touch) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
            sqlite3_reset(log);
            sqlite3_reset(touch);
            const int committed = sqlite3_exec(db, rc == SQLITE_OK ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK)
                rc = committed;
        }
        const auto t1 = Clock::now();
        commits.push_back({ns(t0), ns(t1) - ns(t0), rc});
        if (t1 > next)
            next = t1; // a late commit does not make the next ones hurry
    }
    sqlite3_finalize(log);
    sqlite3_finalize(touch);
    sqlite3_close_v2(db);
    for (const Commit &c : commits)
        std::printf("%lld %lld %d\n", c.start, c.duration, c.rc);
    return 0;
}
