// One SQLite connection per thread (SQLite connections must not be shared without locking, and separate
// connections let WAL readers run beside a writer), with the statements it has prepared.
#include "RegistryDatabase.h"

#include <pthread.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unordered_map>

namespace velmora::registry {

namespace {

constexpr int kBusyTimeoutMs = 10000;
constexpr int kSchemaVersion = 1;

// Keys 1-6 are the roots (numbered as the low digit of their HKEY), 7 and 8 are HKLM\Software\Classes,
// which HKEY_CLASSES_ROOT shows. Values keep their creation order through their id.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS keys(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    written INTEGER NOT NULL DEFAULT 0,
    UNIQUE(parent, folded));
CREATE TABLE IF NOT EXISTS vals(
    id INTEGER PRIMARY KEY,
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    UNIQUE(key, folded));
INSERT OR IGNORE INTO keys(id, parent, name, folded) VALUES
    (1, 0, 'HKEY_CURRENT_USER', 'hkey_current_user'),
    (2, 0, 'HKEY_LOCAL_MACHINE', 'hkey_local_machine'),
    (3, 0, 'HKEY_USERS', 'hkey_users'),
    (4, 0, 'HKEY_PERFORMANCE_DATA', 'hkey_performance_data'),
    (5, 0, 'HKEY_CURRENT_CONFIG', 'hkey_current_config'),
    (6, 0, 'HKEY_DYN_DATA', 'hkey_dyn_data'),
    (7, 2, 'Software', 'software'),
    (8, 7, 'Classes', 'classes');
PRAGMA user_version = 1;
)";

DWORD statusOf(int sqliteCode) {
    switch (sqliteCode & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return ERROR_BUSY;
        case SQLITE_NOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case SQLITE_FULL:
            return ERROR_DISK_FULL;
        case SQLITE_CANTOPEN:
            return ERROR_CANTOPEN;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return ERROR_ACCESS_DENIED;
        case SQLITE_TOOBIG:
            return ERROR_INVALID_PARAMETER;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return ERROR_REGISTRY_CORRUPT;
        default:
            return ERROR_REGISTRY_IO_FAILED;
    }
}

void check(int rc) {
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) fail(statusOf(rc));
}

class Connection {
  public:
    explicit Connection(std::string path) : m_path(std::move(path)), m_owner(getpid()) {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), ec);
        const int rc = sqlite3_open_v2(
            m_path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_close(m_db);  // a failed open still allocates a handle
            fail(statusOf(rc));
        }
        try {
            configure();
        } catch (...) {
            sqlite3_close(m_db);
            throw;
        }
    }
    ~Connection() {
        for (auto& [sql, stmt] : m_statements) sqlite3_finalize(stmt);
        sqlite3_close(m_db);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const std::string& path() const { return m_path; }
    pid_t owner() const { return m_owner; }
    sqlite3* db() const { return m_db; }

    sqlite3_stmt* statement(const char* sql) {
        auto& stmt = m_statements[sql];
        if (!stmt) check(sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr));
        return stmt;
    }

  private:
    void configure() {
        sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
        exec("PRAGMA journal_mode=WAL");
        // The registry of the original platform flushes lazily too; NORMAL keeps WAL commits atomic and
        // survives a crashed process, and spares an fsync per write.
        exec("PRAGMA synchronous=NORMAL");
        if (schemaVersion() >= kSchemaVersion) return;
        exec("BEGIN IMMEDIATE");
        const int rc = sqlite3_exec(m_db, kSchema, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            fail(statusOf(rc));
        }
        exec("COMMIT");
    }
    int schemaVersion() {
        sqlite3_stmt* stmt = nullptr;
        check(sqlite3_prepare_v2(m_db, "PRAGMA user_version", -1, &stmt, nullptr));
        const int rc = sqlite3_step(stmt);
        const int version = rc == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : 0;
        sqlite3_finalize(stmt);
        check(rc);
        return version;
    }
    void exec(const char* sql) { check(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr)); }

    std::string m_path;
    pid_t m_owner;
    sqlite3* m_db = nullptr;
    std::unordered_map<const char*, sqlite3_stmt*> m_statements;
};

thread_local std::unique_ptr<Connection> t_connection;

// SQLite keeps per-process lock bookkeeping that a child of fork() inherits without the locks themselves,
// so a connection open across fork() would mislead the child's new one. The forking thread closes its
// connection first and reopens it on next use. (Children that exec are unaffected either way; a fork
// without exec while other threads hold connections is not supported.)
void closeBeforeFork() {
    t_connection.reset();
}

Connection& currentConnection() {
    static const int forkHandler = pthread_atfork(closeBeforeFork, nullptr, nullptr);
    static_cast<void>(forkHandler);
    if (t_connection && t_connection->owner() != getpid()) {
        // Inherited through fork(): SQLite forbids using or even closing it here, since closing could drop
        // the parent's locks. Abandon it on purpose.
        static_cast<void>(t_connection.release());
    }
    std::string path = databasePath();
    if (!t_connection || t_connection->path() != path) {
        t_connection.reset();
        t_connection = std::make_unique<Connection>(std::move(path));
    }
    return *t_connection;
}

}  // namespace

void fail(DWORD code) {
    throw RegistryError{static_cast<LONG>(code)};
}

std::string databasePath() {
    if (const char* path = std::getenv("VELMORA_REGISTRY"); path && *path) return path;
    std::filesystem::path data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        data = xdg;
    } else {
        const char* home = std::getenv("HOME");
        data = std::filesystem::path(home && *home ? home : "/tmp") / ".local" / "share";
    }
    return (data / "velmora" / "registry.db").string();
}

sqlite3* connection() {
    return currentConnection().db();
}

Statement::Statement(const char* sql) : m_stmt(currentConnection().statement(sql)) {}

Statement::~Statement() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

Statement& Statement::bind(int index, std::int64_t value) {
    check(sqlite3_bind_int64(m_stmt, index, value));
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    check(sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    return *this;
}

Statement& Statement::bindBlob(int index, const void* data, std::size_t size) {
    // A zero-length blob must still be a blob, not NULL.
    check(size ? sqlite3_bind_blob64(m_stmt, index, data, size, SQLITE_TRANSIENT)
               : sqlite3_bind_zeroblob(m_stmt, index, 0));
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    check(rc);
    return rc == SQLITE_ROW;
}

void Statement::run() {
    while (step()) {
    }
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

std::string Statement::text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
                : std::string();
}

std::vector<BYTE> Statement::blob(int column) const {
    const auto* data = static_cast<const BYTE*>(sqlite3_column_blob(m_stmt, column));
    return data ? std::vector<BYTE>(data, data + sqlite3_column_bytes(m_stmt, column)) : std::vector<BYTE>();
}

Transaction::Transaction(Kind kind) : m_db(connection()) {
    Statement(kind == Write ? "BEGIN IMMEDIATE" : "BEGIN").run();
}

Transaction::~Transaction() {
    if (m_open) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    Statement("COMMIT").run();
    m_open = false;
}

}  // namespace velmora::registry
