#pragma once

#include <memory>
#include <string>

namespace SQLite {
class Database;
}

namespace velmora {

// One connection to a project file that can be pointed at a file, connected and disconnected
// again, as the editor's two long-lived connections are. Every connection is opened in
// SQLite's defensive mode with untrusted schemas, since project files come from anywhere, and
// waits for a file that another program is writing instead of failing at once.
class DbConnection {
public:
    enum class Mode { Create, OpenExisting };

    DbConnection();
    ~DbConnection();
    DbConnection(const DbConnection&) = delete;
    DbConnection& operator=(const DbConnection&) = delete;

    // Throws SQLite::Exception when the file cannot be opened (a missing file in
    // OpenExisting mode, a folder, no permission).
    void Connect(const std::string& path, Mode mode);
    void Disconnect();
    bool Connected() const { return m_db != nullptr; }
    // SQLite opened the file for reading only (a read-only file or file system).
    bool ReadOnly() const;
    const std::string& Path() const { return m_path; }

    // The open database; throws velmora::Error when not connected.
    SQLite::Database& Db();

    // Runs a statement without parameters (constant SQL only).
    void Execute(const char* sql);

    // How long a statement waits for another program's transaction before it fails.
    static constexpr int kBusyTimeoutMs = 15000;

private:
    std::unique_ptr<SQLite::Database> m_db;
    std::string m_path;
};

}  // namespace velmora
