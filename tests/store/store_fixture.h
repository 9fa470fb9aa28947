#pragma once

#include <gtest/gtest.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "store/common_data.h"
#include "support/test_support.h"

namespace velmora::test {

// A COMMON_DATA wired to its two connections and a scripted prompter, in a fresh folder.
class StoreTest : public ::testing::Test {
protected:
    StoreTest() : data(prompter) {
        data.project.ProjectDb = &projectDb;
        data.project.SourceDb = &sourceDb;
    }
    ~StoreTest() override {
        try {
            if (data.project.ProjectOpen) {
                data.CloseProject();
            }
        } catch (...) {
        }
    }

    std::string ProjectPath(const std::string& name = "tour.vlm") const { return folder / name; }

    // A new project file with the given areas, open in `data`.
    void CreateWithAreas(const std::vector<std::string>& names,
                         const std::string& file = "tour.vlm") {
        ASSERT_TRUE(data.CreateProject(ProjectPath(file)));
        for (const auto& name : names) {
            ASSERT_GT(data.AddArea(name, true), 0) << name;
        }
    }

    // Runs one query on a project file through a separate read-only connection.
    static std::vector<std::vector<std::string>> Rows(const std::string& path,
                                                      const std::string& sql) {
        SQLite::Database db(path, SQLite::OPEN_READONLY);
        SQLite::Statement query(db, sql);
        std::vector<std::vector<std::string>> rows;
        while (query.executeStep()) {
            std::vector<std::string> row;
            for (int i = 0; i < query.getColumnCount(); ++i) {
                row.push_back(query.getColumn(i).isNull() ? "NULL"
                                                          : query.getColumn(i).getString());
            }
            rows.push_back(row);
        }
        return rows;
    }

    TempFolder folder;
    ScriptedPrompter prompter;
    DbConnection projectDb;
    DbConnection sourceDb;
    COMMON_DATA data;
};

}  // namespace velmora::test
