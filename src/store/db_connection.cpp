#include "store/db_connection.h"

#include <sqlite3.h>

#include <SQLiteCpp/Database.h>

#include "store/errors.h"

namespace velmora {

DbConnection::DbConnection() = default;
DbConnection::~DbConnection() = default;

void DbConnection::Connect(const std::string& path, Mode mode) {
    Disconnect();
    const int flags = mode == Mode::Create ? (SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE)
                                           : SQLite::OPEN_READWRITE;
    auto db = std::make_unique<SQLite::Database>(path, flags);
    sqlite3* handle = db->getHandle();
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    // Caps one text or blob, so that a hostile file cannot make us allocate gigabytes.
    sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, 64 * 1024 * 1024);
    db->setBusyTimeout(kBusyTimeoutMs);
    m_db = std::move(db);
    m_path = path;
}

void DbConnection::Disconnect() {
    // Closing under a live statement makes the SQLite wrapper abort the program; should a
    // statement still be alive, the handle is left open rather than taking the program down.
    if (m_db && sqlite3_next_stmt(m_db->getHandle(), nullptr) != nullptr) {
        static_cast<void>(m_db.release());
    }
    m_db.reset();
    m_path.clear();
}

bool DbConnection::ReadOnly() const {
    return m_db && sqlite3_db_readonly(m_db->getHandle(), "main") == 1;
}

SQLite::Database& DbConnection::Db() {
    if (!m_db) {
        throw Error("Нет соединения с базой данных");
    }
    return *m_db;
}

void DbConnection::Execute(const char* sql) {
    Db().exec(sql);
}

}  // namespace velmora
