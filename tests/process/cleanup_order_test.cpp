// The clean-up against a scripted file layer: search order, skipped folders, no attribute changes.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "process/cleanup.h"
#include "support/empty_file_system.h"

namespace {

class ScriptedFiles : public testing_support::EmptyFileSystem {
public:
    std::map<std::string, std::vector<platform::DirEntry>> results;  // by pattern
    std::set<std::string> locked;                                     // deletions refused
    std::vector<std::string> searches, deletions;
    int attributeChanges = 0;

    std::vector<platform::DirEntry> find(const std::string& pattern) override {
        searches.push_back(pattern);
        auto it = results.find(pattern);
        return it == results.end() ? std::vector<platform::DirEntry>{} : it->second;
    }
    bool deleteFile(const std::string& path) override {
        deletions.push_back(path);
        return !locked.count(path);
    }
    bool setAttributes(const std::string&, uint32_t) override { return ++attributeChanges, true; }
};

platform::DirEntry file(const std::string& name, uint32_t attributes = platform::attr::Archive) {
    return {name, attributes, 1, std::nullopt, 0};
}

}  // namespace

TEST(ExcluirArqScripted, ReportsInSearchOrderAndSkipsFolders) {
    using namespace platform::attr;
    ScriptedFiles files;
    files.results["C:\\QOR\\*7.bpl"] = {file("b7.bpl", ReadOnly | Archive), file("Old7.bpl", Directory),
                                        file("a7.bpl", Hidden | System), file("c7.bpl", ReadOnly)};
    files.locked = {"C:\\QOR\\b7.bpl", "C:\\QOR\\c7.bpl"};
    std::vector<std::string> reports;
    process::ExcluirArq(files, "C:\\QOR\\*7.bpl", [&](const std::string& t) { reports.push_back(t); });

    EXPECT_EQ(files.deletions,
              (std::vector<std::string>{"C:\\QOR\\b7.bpl", "C:\\QOR\\a7.bpl", "C:\\QOR\\c7.bpl"}));
    EXPECT_EQ(reports, (std::vector<std::string>{"Não consegui Excluir C:\\QOR\\b7.bpl",
                                                 "Não consegui Excluir C:\\QOR\\c7.bpl"}));
    EXPECT_EQ(files.attributeChanges, 0);
}

TEST(ApagaAntigosScripted, TriesEveryMaskInOrderJoinedToTheFolder) {
    ScriptedFiles files;
    files.results["C:\\QOR\\midas.dll"] = {file("MIDAS.DLL")};
    files.results["C:\\QOR\\TABDEF\\tabdef.ini"] = {file("tabdef.ini")};
    files.locked = {"C:\\QOR\\MIDAS.DLL", "C:\\QOR\\TABDEF\\tabdef.ini"};
    std::vector<std::string> reports;
    process::ApagaAntigos(files, "C:\\QOR\\", [&](const std::string& t) { reports.push_back(t); });

    ASSERT_EQ(files.searches.size(), process::ArquivosAntigos.size());
    for (size_t i = 0; i < files.searches.size(); ++i)
        EXPECT_EQ(files.searches[i], "C:\\QOR\\" + std::string(process::ArquivosAntigos[i]));
    EXPECT_EQ(reports, (std::vector<std::string>{"Não consegui Excluir C:\\QOR\\TABDEF\\tabdef.ini",
                                                 "Não consegui Excluir C:\\QOR\\MIDAS.DLL"}));
}
