#include "RegistryStore.h"

#include "RegistryDatabase.h"
#include "platform/filetime.h"
#include "runtime/ascii.h"

#include <chrono>

namespace velmora::registry {

namespace {

// Names compare case-insensitively in ASCII only, as the original does for the characters the suite uses.
std::string folded(std::string_view name) {
    return lowerAscii(name);
}

std::int64_t fileTimeNow() {
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    return kUnixEpochAsFileTime + std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
}

StoredValue valueFrom(const Statement& row) {
    return {row.text(0), static_cast<DWORD>(row.integer(1)), row.blob(2)};
}

}  // namespace

KeyId findSubkey(KeyId parent, std::string_view name) {
    Statement query("SELECT id FROM keys WHERE parent = ?1 AND folded = ?2");
    query.bind(1, parent).bind(2, folded(name));
    return query.step() ? query.integer(0) : 0;
}

KeyId createSubkey(KeyId parent, std::string_view name) {
    Statement("INSERT INTO keys(parent, name, folded, written) VALUES(?1, ?2, ?3, ?4)")
        .bind(1, parent)
        .bind(2, name)
        .bind(3, folded(name))
        .bind(4, fileTimeNow())
        .run();
    touchKey(parent);
    return sqlite3_last_insert_rowid(connection());
}

bool keyExists(KeyId key) {
    Statement query("SELECT 1 FROM keys WHERE id = ?1");
    return query.bind(1, key).step();
}

bool hasSubkeys(KeyId key) {
    Statement query("SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
    return query.bind(1, key).step();
}

void deleteKey(KeyId key) {
    Statement("UPDATE keys SET written = ?2 WHERE id = (SELECT parent FROM keys WHERE id = ?1)")
        .bind(1, key)
        .bind(2, fileTimeNow())
        .run();
    Statement("DELETE FROM vals WHERE key = ?1").bind(1, key).run();
    Statement("DELETE FROM keys WHERE id = ?1").bind(1, key).run();
}

void touchKey(KeyId key) {
    Statement("UPDATE keys SET written = ?2 WHERE id = ?1").bind(1, key).bind(2, fileTimeNow()).run();
}

std::optional<StoredValue> findValue(KeyId key, std::string_view name) {
    Statement query("SELECT name, type, data FROM vals WHERE key = ?1 AND folded = ?2");
    if (!query.bind(1, key).bind(2, folded(name)).step()) return std::nullopt;
    return valueFrom(query);
}

void storeValue(KeyId key, std::string_view name, DWORD type, const BYTE* data, std::size_t size) {
    // An upsert rather than a replace keeps the value's row, hence its place in the enumeration order.
    Statement(
        "INSERT INTO vals(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
        "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data")
        .bind(1, key)
        .bind(2, name)
        .bind(3, folded(name))
        .bind(4, static_cast<std::int64_t>(type))
        .bindBlob(5, data, size)
        .run();
    touchKey(key);
}

bool deleteValue(KeyId key, std::string_view name) {
    Statement("DELETE FROM vals WHERE key = ?1 AND folded = ?2").bind(1, key).bind(2, folded(name)).run();
    if (sqlite3_changes(connection()) == 0) return false;
    touchKey(key);
    return true;
}

std::optional<Subkey> subkeyAt(KeyId key, DWORD index) {
    Statement query("SELECT name, written FROM keys WHERE parent = ?1 ORDER BY folded LIMIT 1 OFFSET ?2");
    if (!query.bind(1, key).bind(2, static_cast<std::int64_t>(index)).step()) return std::nullopt;
    return Subkey{query.text(0), query.integer(1)};
}

std::optional<StoredValue> valueAt(KeyId key, DWORD index) {
    Statement query("SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2");
    if (!query.bind(1, key).bind(2, static_cast<std::int64_t>(index)).step()) return std::nullopt;
    return valueFrom(query);
}

KeyInfo keyInfo(KeyId key) {
    KeyInfo info;
    Statement keys(
        "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0) FROM keys WHERE parent = ?1");
    keys.bind(1, key).step();
    info.subkeys = static_cast<DWORD>(keys.integer(0));
    info.maxSubkeyName = static_cast<DWORD>(keys.integer(1));
    Statement values(
        "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0), coalesce(max(length(data)), 0) "
        "FROM vals WHERE key = ?1");
    values.bind(1, key).step();
    info.values = static_cast<DWORD>(values.integer(0));
    info.maxValueName = static_cast<DWORD>(values.integer(1));
    info.maxValueData = static_cast<DWORD>(values.integer(2));
    Statement written("SELECT written FROM keys WHERE id = ?1");
    if (written.bind(1, key).step()) info.written = written.integer(0);
    return info;
}

}  // namespace velmora::registry
