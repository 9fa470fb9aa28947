// The web export on a 4000 × 3000 map with 255 registered areas of which 10 are painted: the
// whole data script generation against one memcpy of the map, and the map encoder's throughput.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "canvas/map/area_presence.h"
#include "export/data_script.h"
#include "export/map_encode.h"
#include "store/common_data.h"
#include "store/db_connection.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kPaintedAreas = 10;

// Benchmarks answer no questions; a message would mean the set-up is wrong.
class SilentPrompter : public velmora::Prompter {
public:
    void Message(const std::string& text) override { last = text; }
    velmora::Answer Ask(const std::string&, const std::string&, velmora::Buttons) override {
        return velmora::Answer::No;
    }
    void Beep() override {}
    std::string last;
};

// A project in a temporary folder with 255 areas, areas 1, 26, 51, ... 226 painted as irregular
// blobs (a disc with a rectangle through it), the rest only registered.
class ExportProject {
public:
    ExportProject() : m_data(m_prompter) {
        char pattern[] = "/tmp/velmora-bench-XXXXXX";
        m_folder = ::mkdtemp(pattern);
        m_data.project.ProjectDb = &m_db;
        m_data.CreateProject(m_folder + "/bench.vlm");
        m_data.BeginTransaction();
        for (int n = 1; n <= velmora::kMaxAreas; ++n) {
            m_data.AddArea("Area " + std::to_string(n), true);
        }
        m_data.CommitTransaction();
        m_data.canvas.Width = kWidth;
        m_data.canvas.Height = kHeight;
        m_data.canvas.Map.Resize(kWidth, kHeight);
        for (int i = 0; i < kPaintedAreas; ++i) {
            const int area = 1 + i * 25;
            const int cx = 300 + (i % 5) * 800;
            const int cy = 700 + (i / 5) * 1500;
            const int r = 250 + i * 20;
            for (int y = cy - r; y <= cy + r; ++y) {
                for (int x = cx - r - 100; x <= cx + r + 100; ++x) {
                    const bool disc = (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
                    const bool bar = y > cy - 40 && y < cy + 40;
                    if (m_data.canvas.Map.Contains(x, y) && (disc || bar)) {
                        std::uint8_t* p = m_data.canvas.Map.Pixel(x, y);
                        p[0] = p[1] = p[2] = static_cast<std::uint8_t>(area);
                    }
                }
            }
        }
        std::filesystem::create_directories(m_folder + "/out/VLM");
        m_data.project.PageId = "vlm_1234";
    }
    ~ExportProject() {
        m_data.CloseProject();
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
    }

    velmora::COMMON_DATA& Data() { return m_data; }
    std::string ScriptPath() const { return m_folder + "/out/VLM/bench.js"; }

private:
    SilentPrompter m_prompter;
    velmora::DbConnection m_db;
    velmora::COMMON_DATA m_data;
    std::string m_folder;
};

ExportProject& Project() {
    static ExportProject project;
    return project;
}

void MapBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(Project().Data().canvas.Map.SizeInBytes()));
}

// The yardstick: one copy of the map's bytes.
void BM_MemcpyMap(benchmark::State& state) {
    const velmora::Bitmap& map = Project().Data().canvas.Map;
    std::vector<std::uint8_t> copy(map.SizeInBytes());
    for (auto _ : state) {
        std::memcpy(copy.data(), map.Data(), map.SizeInBytes());
        benchmark::ClobberMemory();
    }
    MapBytes(state);
}
BENCHMARK(BM_MemcpyMap)->Unit(benchmark::kMillisecond);

void BM_WriteDataScript(benchmark::State& state) {
    velmora::COMMON_DATA& data = Project().Data();
    for (auto _ : state) {
        if (!velmora::WriteDataScript(data, Project().ScriptPath())) {
            state.SkipWithError("the data script was not written");
            break;
        }
    }
    MapBytes(state);
}
BENCHMARK(BM_WriteDataScript)->Unit(benchmark::kMillisecond);

void BM_AreasOnMap(benchmark::State& state) {
    const velmora::Bitmap& map = Project().Data().canvas.Map;
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::AreasOnMap(map));
    }
    MapBytes(state);
}
BENCHMARK(BM_AreasOnMap)->Unit(benchmark::kMillisecond);

// What finding the painted areas cost when each of the 255 was looked for on its own.
void BM_AreaOnMapPerArea(benchmark::State& state) {
    const velmora::Bitmap& map = Project().Data().canvas.Map;
    for (auto _ : state) {
        int found = 0;
        for (int area = 1; area <= velmora::kMaxAreas; ++area) {
            found += velmora::AreaOnMap(map, area) ? 1 : 0;
        }
        benchmark::DoNotOptimize(found);
    }
    MapBytes(state);
}
BENCHMARK(BM_AreaOnMapPerArea)->Unit(benchmark::kMillisecond);

// Throughput in bytes of map per second (the map's whole size, though only a quarter of the
// pixels are sampled).
void BM_EncodeMap(benchmark::State& state) {
    const velmora::COMMON_DATA& data = Project().Data();
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::EncodeMap(data));
    }
    MapBytes(state);
}
BENCHMARK(BM_EncodeMap)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
