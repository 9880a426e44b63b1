// server/store.h — the table of verified scores and the replays that made them. One interface;
// SQLite behind it (one file, write-ahead log) or PostgreSQL (several servers, one table). The schema carries its version and is migrated
// forward when the server opens an older one.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/replayfile.h"

struct tentry {
    long long id = 0;
    long long replay = 0;             // the replay that made it
    std::string name;                 // Latin-1, as the game keeps it
    int level = 1, score = 0;
    std::string date;                 // UTC, "2026-12-08T05:40:00Z"
    long long rank = 0;               // 1 = best: score, then level, then the earlier entry
    std::string controls;             // a daily row's: the player's mouse options (dailycontrols())
};

// A daily game's row in its day's table: the day's result of its replay.
struct tdailyrow {
    std::string day;    // "2026-12-10", UTC
    std::string name;   // Latin-1
    int level = 1, score = 0;
    std::string controls;   // "1 button", "2 buttons", "auto" or "standard"
};

// A name's place in a day's table: its best game of the day among the day's names (one row per
// name), and how many names the table holds. `of` is 0 when the name has no row that day.
struct tdailyrank {
    std::string day;
    long long rank = 0, of = 0;
};

// A day that has a table, and how many names it holds.
struct tdailyday {
    std::string day;
    long long players = 0;
};

// A game is what it did, whatever its spelling: the program, the seed and the settings and
// table it started with, less those that decide nothing in its world (the window's place and
// size: the events' positions go by the recorded canvas; the volume), and the world along the
// game: the trace characters of every frame, the end frame and the end world's digest. Its
// events are not part of it: another spelling of the same input (a key the game ignores) makes
// the same world and is the same game. Neither are the comments, blank lines, line ends,
// leading zeros, the checkpoints' interval and digests, the clock readings (which the pace
// check reads) nor the data line: every replay a store is asked about has been matched with
// this server's own data files, so the line only spells those files (by their bytes or their
// contents). The session is what the game started from: the same without the world along it.
//
// The key is made from the replay's word before its playback: a copy that claims a stored
// game's world is that game (stored before, its entries, nothing added) and one that claims
// another world is played, and stored only when its world is the one claimed. Two replays of
// one game have the same key; `identity` is the whole text the keys are hashes of.
struct tgamekey {
    long long game = 0;               // the game
    long long session = 0;            // the session it belongs to: what it started from
    std::string identity;
};
// The key of a replay's text; a text that is no replay is keyed by its bytes (the session by
// its bytes up to an "events" line).
tgamekey gamekey(const std::string& replay);
tgamekey gamekey(const treplay& r);

class tstore {
public:
    virtual ~tstore() = default;
    // Stores a verified replay with the rows it made, once: `added` is false when the same
    // game was stored before, in any spelling (then the entries are those stored then). A
    // replay of a session stored before (the game sends the whole session again after each new
    // row) adds only the rows not yet stored for that session; with none, `added` is false and
    // the entries are the session's. Ranks as now.
    // A daily game (`daily` given) is stored with its row in its day's table even when it made
    // no high-score row; `rank` is then its name's place in that day's table (after it).
    virtual std::vector<tentry> add(const std::string& replay, const tgamekey& key, const std::vector<treplayrow>& rows,
                                    const tdailyrow* daily, bool& added, tdailyrank& rank) = 0;
    std::vector<tentry> add(const std::string& replay, const tgamekey& key, const std::vector<treplayrow>& rows,
                            bool& added) {
        tdailyrank rank;
        return add(replay, key, rows, nullptr, added, rank);
    }
    // The entries of the game stored before, or none; `found`: whether it was stored (a daily
    // game may have made no entry), and `daily` its name's place in its day's table when it has
    // a daily row there.
    virtual std::vector<tentry> find(const tgamekey& key, bool& found, tdailyrank& daily) = 0;
    std::vector<tentry> find(const tgamekey& key) {
        bool found = false;
        tdailyrank daily;
        return find(key, found, daily);
    }
    // A day's table, best first: each name's best game of the day (score, then level, then the
    // earlier entry), with its place among the day's names.
    virtual std::vector<tentry> daily(const std::string& day, long long limit, long long offset) = 0;
    // The names in a day's table.
    virtual long long dailycount(const std::string& day) = 0;
    // The days that have a table, newest first.
    virtual std::vector<tdailyday> days(long long limit, long long offset) = 0;
    // The table, best first.
    virtual std::vector<tentry> scores(long long limit, long long offset) = 0;
    virtual long long count() = 0;
    // Throws when the database is out of reach (tdbslow: not answering), within a second.
    virtual void ping() = 0;
    // False while the database is known not to answer (a statement past its time is still
    // unanswered): nothing waits to learn it.
    virtual bool answering() { return true; }
    // The stored replay's bytes; false when there is none with that id.
    virtual bool replay(long long id, std::string& out) = 0;
};

// What a store throws when the database did not answer within the time a call may take.
struct tdbslow : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Opens (and creates, or migrates) the store named by `db`: a file name for SQLite, a
// postgresql:// URL or libpq's "host=... dbname=..." for PostgreSQL. A call waits at most
// `seconds` for the database. Throws std::runtime_error with the reason when it cannot.
std::unique_ptr<tstore> openstore(const std::string& db, double seconds = 5);
std::unique_ptr<tstore> openpostgres(const std::string& url, double seconds);
// Whether `db` names a PostgreSQL database (a URL or libpq's keyword form).
bool postgresname(const std::string& db);

// 64-bit FNV-1a of some bytes, as a signed number (the keys above are such hashes).
long long replayhash(const std::string& bytes);
// `rows` less those already stored for their session (each stored row matches one row).
std::vector<treplayrow> unstored(const std::vector<treplayrow>& rows, std::vector<treplayrow> stored);

// A replay stored before its keys were this server's: the session it was stored under (0:
// none) and the one it belongs to now, and its entries (their ids and rows).
struct trekeyed {
    long long id = 0;
    long long oldsession = 0, session = 0;
    std::vector<std::pair<long long, treplayrow>> entries;
};
// The entries that are more than their session made once its replays are keyed anew, and the
// replays that keep none: the first entries stay. Copies of one game stored under other keys
// (another window, another volume) are one session whose rows each copy listed; a session lists
// each row as often as one of the sessions it was stored under listed it.
void surplus(const std::vector<trekeyed>& replays, std::vector<long long>& entries, std::vector<long long>& gone);

// The daily table's word for the player's mouse options of a replay's `options` line (the
// states of the options 11, 12, 4 and 8): "1 button" (12 ticked), "2 buttons" (4), "auto" (11)
// or "standard".
std::string dailycontrols(const treplaysettings& s);

// The schema version this server writes.
constexpr int schemaversion = 5;
