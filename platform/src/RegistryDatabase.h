// The registry's SQLite plumbing: this thread's connection, cached statements and transactions.
#pragma once

#include "platform/win32types.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::registry {

// A registry failure carrying the Win32 status the entry point returns.
struct RegistryError {
    LONG code;
};
[[noreturn]] void fail(DWORD code);

// Where the registry lives: $VELMORA_REGISTRY, else $XDG_DATA_HOME/velmora/registry.db.
std::string databasePath();

// This thread's connection, opened (and the schema created) on first use, reopened when the registry
// path changes or after fork().
sqlite3* connection();

// One cached prepared statement of this thread's connection; reset when the scope ends. `sql` must be a
// string literal: the cache is keyed by its address.
class Statement {
  public:
    explicit Statement(const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view text);
    Statement& bindBlob(int index, const void* data, std::size_t size);
    bool step();  // true while a row is available
    void run();   // steps to the end, for statements without rows
    std::int64_t integer(int column) const;
    std::string text(int column) const;
    std::vector<BYTE> blob(int column) const;

  private:
    sqlite3_stmt* m_stmt;
};

// A transaction on this thread's connection: IMMEDIATE for writes (takes the write lock up front, so
// concurrent writers queue on the busy timeout instead of failing), deferred for reads. Rolls back unless
// committed.
class Transaction {
  public:
    enum Kind { Read, Write };
    explicit Transaction(Kind kind);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

  private:
    sqlite3* m_db;
    bool m_open = true;
};

}  // namespace velmora::registry
