// Areas that an earlier program left half-made (a row of some event missing) are completed on
// the next opening, said once, and every edit of them is stored.
#include <SQLiteCpp/Database.h>

#include <filesystem>
#include <string>
#include <vector>

#include "reliability/project_state.h"
#include "reliability/reliability_fixture.h"

namespace velmora::test {
namespace {

class HealingTest : public ReliabilityTest {};

TEST_F(HealingTest, HalfMadeAreaIsCompletedAndSaidOnce) {
    const std::vector<std::vector<std::string>> missingCases = {
        {"click", "dblclick"}, {"over"}, {"dblclick"}, {"over", "click"}};
    for (const auto& missing : missingCases) {
        SCOPED_TRACE("missing " + missing.front());
        MakeProject();
        {
            SQLite::Database db(ProjectPath(), SQLite::OPEN_READWRITE);
            for (const std::string& event : missing) {
                db.exec("DELETE FROM properties WHERE field='Холл' AND event='" + event + "'");
            }
        }
        const std::string event = missing.back();
        const CliRun set = Cli({"set", "tour.vlm", "Холл", event, "message_text=Привет"});
        EXPECT_EQ(set.status, 0) << set.err;
        EXPECT_EQ(set.err,
                  "Записи некоторых областей были неполными и восстановлены со значениями по "
                  "умолчанию: Холл.\n");
        EXPECT_TRUE(Whole(ReadAreaRows(ProjectPath()).at("Холл")));
        EXPECT_NE(Cli({"get", "tour.vlm", "Холл", event}).out.find("Привет"), std::string::npos);

        const CliRun again = Cli({"info", "tour.vlm"});
        EXPECT_EQ(again.status, 0);
        EXPECT_TRUE(again.err.empty()) << "said more than once: " << again.err;
        const CliRun add = Cli({"area", "add", "tour.vlm", "Холл"});
        EXPECT_EQ(add.err, "Область с таким названием уже существует!\n");
        std::filesystem::remove_all(work);
        std::filesystem::create_directories(work);
    }
}

}  // namespace
}  // namespace velmora::test
