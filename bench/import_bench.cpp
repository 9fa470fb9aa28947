// Area import of a source project holding 10^6 rows (255 areas, each with thousands of rows
// spread over the three events) into an empty project: the whole ImportAreas, one change.
// Reports the peak resident memory of the process as a counter.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include "store/common_data.h"
#include "store/db_connection.h"

namespace {

constexpr int kSourceRows = 1'000'000;

class SilentPrompter : public velmora::Prompter {
public:
    void Message(const std::string&) override {}
    velmora::Answer Ask(const std::string&, const std::string&, velmora::Buttons) override {
        return velmora::Answer::No;
    }
    void Beep() override {}
};

// The source project, written once through SQLite directly: building it through the store
// would be the thing being measured.
class SourceProject {
public:
    SourceProject() {
        char pattern[] = "/tmp/velmora-import-bench-XXXXXX";
        m_folder = ::mkdtemp(pattern);
        SilentPrompter prompter;
        velmora::DbConnection db;
        velmora::COMMON_DATA data(prompter);
        data.project.ProjectDb = &db;
        data.CreateProject(Path());
        data.CloseProject();
        SQLite::Database source(Path(), SQLite::OPEN_READWRITE);
        SQLite::Transaction transaction(source);
        SQLite::Statement insert(source,
                                 "INSERT INTO properties (field,color,event,message_style,"
                                 "message_type,message_text,sound_volume,area_gamma,"
                                 "background_gamma) VALUES (?,?,?,'blue_small','speech',?,100,"
                                 "100,100);");
        const char* events[] = {"over", "click", "dblclick"};
        for (int row = 0; row < kSourceRows; ++row) {
            const int area = 1 + row % velmora::kMaxAreas;
            insert.reset();
            insert.bind(1, "Область " + std::to_string(area));
            insert.bind(2, area);
            insert.bind(3, events[(row / velmora::kMaxAreas) % 3]);
            insert.bind(4, "Текст строки " + std::to_string(row));
            insert.exec();
        }
        transaction.commit();
    }
    ~SourceProject() {
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }
    std::string Path() const { return m_folder + "/source.vlm"; }
    std::string Folder() const { return m_folder; }

private:
    std::string m_folder;
};

long PeakRssMb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void BM_ImportMillionRows(benchmark::State& state) {
    static const SourceProject source;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SilentPrompter prompter;
        velmora::DbConnection projectDb;
        velmora::DbConnection sourceDb;
        velmora::COMMON_DATA data(prompter);
        data.project.ProjectDb = &projectDb;
        data.project.SourceDb = &sourceDb;
        const std::string target = source.Folder() + "/target" + std::to_string(round++) + ".vlm";
        data.CreateProject(target);
        state.ResumeTiming();
        if (!data.ImportAreas(source.Path())) {
            state.SkipWithError("import refused");
        }
        state.PauseTiming();
        data.CloseProject();
        std::filesystem::remove(target);
        state.ResumeTiming();
    }
    state.counters["rows"] = kSourceRows;
    state.counters["peak_rss_mb"] = static_cast<double>(PeakRssMb());
}
BENCHMARK(BM_ImportMillionRows)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
