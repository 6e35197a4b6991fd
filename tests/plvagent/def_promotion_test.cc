// import-defs over the report database: the programs recorded on at least
// N workstations become definitions, and the library identifies them, a
// program whose name is longer than a definition line keeps included.
#include <cstring>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "agent_test_files.h"
#include "definitions.h"
#include "log_time.h"
#include "plvlog/tool_run.h"
#include "store.h"

namespace plvagent {
namespace {

using ::testing::ElementsAre;

class Promotion : public testing::DefinitionsFileTest {
  protected:
    Promotion() {
        const auto store = plvreport::OpenStore(database, plvreport::StoreUse::import);
        store->Begin();
        bool added = false;
        const std::int64_t file =
            store->TakeFile(directory / "19980820.DEF", plvreport::FileKind::definitions, &added)
                .id;
        std::uint64_t offset = 0;
        const auto recorded = [&](const char *time, const char *workstation, const char *user,
                                  const char *program) {
            plvreport::StoredDefinition d;
            d.offset = offset++;
            d.recordedAt = *plv::logs::LoggedInstant("1998/08/20", time);
            d.workstation = workstation, d.user = user, d.context = "QA", d.fileName = program;
            store->AddDefinition(file, d);
        };
        recorded("09:00:00", "WS-1", "ANN", "gnome-calcul");  // of gnome-calculator
        recorded("09:01:00", "WS-3", "CAT", "xeyes");
        recorded("09:02:00", "WS-3", "DAN", "xeyes");
        recorded("09:05:00", "WS-2", "BOB", "XLOGO");  // stored before the earlier one
        recorded("09:03:00", "WS-1", "ANN", "xlogo");
        recorded("09:04:00", "ws-2", "BOB", "gnome-calcul");
        store->Commit();
    }
    plv::testing::ToolRun ImportDefs(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "import-defs");
        return plv::testing::RunTool(PLVAGENT_PROGRAM, arguments, directory.path());
    }
    const std::string database = directory / "report.db";
};

TEST_F(Promotion, WhatTwoWorkstationsRunIsDefinedAndIdentified) {
    // Without a definitions file the sections are shown, not written.
    const plv::testing::ToolRun shown = ImportDefs({"--min-workstations", "2", "--db", database});
    ASSERT_EQ(shown.status, 0) << shown.errors;
    const plv::testing::ToolRun run =
        ImportDefs({"--min-workstations", "2", "--db", database, "-d", path});
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(shown.output, testing::ReadFile(path));
    EXPECT_EQ(testing::ReadFile(path),
              "\r\n[gnome-calcul]\r\n"
              "; recorded 19980820 09:00:00 on WS-1 for ANN (" + database + ")\r\n"
              "Class=gnome-calcul\r\n"
              "\r\n[xlogo]\r\n"
              "; recorded 19980820 09:03:00 on WS-1 for ANN (" + database + ")\r\n"
              "FileName=xlogo\r\n");
    EXPECT_NE(run.errors.find("xeyes was recorded on 1 workstation(s), fewer than 2"), std::string::npos)
        << run.errors;
    EXPECT_NE(run.errors.find("imported [xlogo] from " + database + " into " + path + "\n"),
              std::string::npos)
        << run.errors;

    // Promoting again adds nothing: both are defined already.
    ASSERT_EQ(ImportDefs({"--db", database, "-d", path}).status, 0);
    const std::string promoted = testing::ReadFile(path);
    EXPECT_EQ(std::count(promoted.begin(), promoted.end(), '['), 3) << promoted;  // and xeyes

    DefinitionList list = Read();
    ASSERT_THAT(Described(), ElementsAre());
    const testing::LibraryOver library(list);
    const struct {
        const char *path, *windowClass;
        const PLVAppDefinition *identified;
    } cases[] = {
        {"Z:\\usr\\bin\\gnome-calculator", "Gnome-calculator", &list.nodes()[0]},
        {"Z:\\usr\\bin\\xlogo", "XLogo", &list.nodes()[1]},
        {"Z:\\usr\\bin\\xeyes", "XEyes", &list.nodes()[2]},
        {"Z:\\usr\\bin\\gnome-calendar", "Gnome-calendar", nullptr},
    };
    for (const auto &c : cases) {
        PLVCandidate candidate{};
        std::strcpy(candidate.programPath, c.path);
        std::strcpy(candidate.className, c.windowClass);
        EXPECT_EQ(PLVIdentifyApp(&candidate), c.identified) << c.path;
    }
}

TEST_F(Promotion, ADatabaseThatCannotBeReadIsSaid) {
    const plv::testing::ToolRun run = ImportDefs({"--db", directory / "none.db"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("none.db"), std::string::npos) << run.errors;
    EXPECT_EQ(ImportDefs({}).status, 2);
    EXPECT_EQ(ImportDefs({"--min-workstations", "0", "--db", database}).status, 2);
}

}  // namespace
}  // namespace plvagent
