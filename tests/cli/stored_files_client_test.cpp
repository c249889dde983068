// The stored-file logic sondrel and the editor share, against the in-process
// simulated meter: the list in both header forms, copies into a folder with
// their index, a copy stopped half-way, and names that must not leave the folder.
#include "simulated_meter.h"
#include "stored_files.h"

#include "common/stored_file_layout.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace korvane::testing {
namespace {

namespace fs = std::filesystem;
using sondrel::client::HeaderForm;
using sondrel::client::StoredFileEntry;
using sondrel::client::StoredFilesFolder;

std::string twoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// What the list should show of a file the simulator holds.
StoredFileEntry expectedEntry(int number, const sim::StoredFile& f, HeaderForm form) {
    const auto& s = f.stored;
    StoredFileEntry e{number,
                      "",
                      std::to_string(s.year) + "-" + twoDigits(s.month) + "-" + twoDigits(s.day),
                      twoDigits(s.hour) + ":" + twoDigits(s.minute) + ":" + twoDigits(s.second),
                      {},
                      ""};
    if (form == HeaderForm::Short) return e;
    e.name = f.name;
    e.plan = std::string(1, static_cast<char>('A' + f.basePlan));
    for (const auto& flag : sondrel::stored_files::fileInfoFlags())
        if (f.flags & flag.mask) e.kinds.emplace_back(flag.name);
    return e;
}

// The file's content as the meter sends it: whole pages of 64 bytes.
std::string paged(const sondrel::Bytes& content) {
    std::string bytes(content.begin(), content.end());
    bytes.resize((bytes.size() + 63) / 64 * 64, '\0');
    return bytes;
}

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

class StoredFilesClient : public SimulatedMeterTest {
  protected:
    std::vector<sim::StoredFile> simFiles() {
        return meter().withState([](sim::MeterState& s) { return s.files.files; });
    }
    void setSimFiles(std::vector<sim::StoredFile> files) {
        meter().withState([&](sim::MeterState& s) { s.files.files = std::move(files); });
    }
    TempDir folder_;
};

class StoredFilesInEachForm : public StoredFilesClient,
                              public ::testing::WithParamInterface<HeaderForm> {};

TEST_P(StoredFilesInEachForm, TheListIsTheMetersFiles) {
    meter().withState([](sim::MeterState& s) {
        s.files.headerForm =
            GetParam() == HeaderForm::Long ? sim::HeaderForm::Long : sim::HeaderForm::Short;
    });
    std::vector<std::size_t> steps;
    const auto list = sondrel::client::listStoredFiles(link(), GetParam(),
                                                       [&](std::size_t done, std::size_t total) {
                                                           steps.push_back(done);
                                                           return total > 0;
                                                       });
    ASSERT_TRUE(list.done()) << list.failedMember;
    const auto files = simFiles();
    ASSERT_EQ(list.count, static_cast<int>(files.size()));
    ASSERT_EQ(list.files.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto expected = expectedEntry(static_cast<int>(i + 1), files[i], GetParam());
        const auto& got = list.files[i];
        EXPECT_EQ(got.number, expected.number);
        EXPECT_EQ(got.name, expected.name);
        EXPECT_EQ(got.date, expected.date);
        EXPECT_EQ(got.time, expected.time);
        EXPECT_EQ(got.kinds, expected.kinds) << i;
        EXPECT_EQ(got.plan, expected.plan);
    }
    EXPECT_EQ(steps.back(), files.size()) << "the last step counts every file";
}

INSTANTIATE_TEST_SUITE_P(HeaderForms, StoredFilesInEachForm,
                         ::testing::Values(HeaderForm::Long, HeaderForm::Short),
                         [](const auto& info) {
                             return info.param == HeaderForm::Long ? "Long" : "Short";
                         });

TEST_F(StoredFilesClient, TheModelChoosesTheHeaderForm) {
    EXPECT_EQ(sondrel::client::headerFormOfModel("2000Q"), HeaderForm::Long);
    EXPECT_EQ(sondrel::client::headerFormOfModel("2000A"), HeaderForm::Short);
    EXPECT_EQ(sondrel::client::headerFormOfModel(""), HeaderForm::Short);
}

TEST_F(StoredFilesClient, ASilentMeterNamesTheMemberThatFailed) {
    meter().stop();
    const auto list = sondrel::client::listStoredFiles(link(), HeaderForm::Long);
    EXPECT_FALSE(list.done());
    EXPECT_EQ(list.failedMember, "ReadFileCountDigi");
    EXPECT_TRUE(list.files.empty());
    EXPECT_FALSE(sondrel::client::readStoredFile(link(), 1));
    EXPECT_FALSE(sondrel::client::deleteStoredFile(link(), 1));
}

TEST_F(StoredFilesClient, ReadingAllWritesEveryFileAndAnIndexOfThem) {
    const auto files = simFiles();
    const auto list = sondrel::client::listStoredFiles(link(), HeaderForm::Long);
    StoredFilesFolder folder(folder_.path());
    const auto copy = sondrel::client::copyStoredFiles(link(), list.files, folder);
    EXPECT_EQ(copy.completed, files.size());
    EXPECT_FALSE(copy.stopped);
    EXPECT_TRUE(copy.failedMember.empty());

    const auto index = lines(fileText(folder_.path() / "files.csv"));
    ASSERT_EQ(index.size(), files.size() + 1);
    EXPECT_EQ(index[0], "Number,Name,Date,Time,Kinds,Plan,Bytes,File");
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto e = expectedEntry(static_cast<int>(i + 1), files[i], HeaderForm::Long);
        const std::string bytes = paged(files[i].content);
        std::string kinds;
        for (const auto& k : e.kinds)
            kinds += (kinds.empty() ? "" : " ") + k;
        const std::string name = folder.written()[i].file;
        EXPECT_EQ(index[i + 1], std::to_string(i + 1) + "," + e.name + "," + e.date + "," + e.time +
                                    "," + kinds + "," + e.plan + "," +
                                    std::to_string(bytes.size()) + "," + name);
        EXPECT_EQ(fileText(folder_.path() / name), bytes) << name;
    }
}

TEST_F(StoredFilesClient, AStoppedCopyKeepsTheFilesCompletedAndTheirIndex) {
    const auto list = sondrel::client::listStoredFiles(link(), HeaderForm::Long);
    ASSERT_GE(list.files.size(), 3u);
    StoredFilesFolder folder(folder_.path());
    const auto copy = sondrel::client::copyStoredFiles(
        link(), list.files, folder, [](std::size_t done, std::size_t) { return done < 2; });
    EXPECT_TRUE(copy.stopped);
    EXPECT_EQ(copy.completed, 2u);
    EXPECT_EQ(lines(fileText(folder.indexPath())).size(), 3u) << "the header and two files";
    std::size_t written = 0;
    for (const auto& entry : fs::directory_iterator(folder_.path()))
        written += entry.path().extension() == ".bin";
    EXPECT_EQ(written, 2u);
}

TEST_F(StoredFilesClient, HostileNamesStayInsideTheFolderAndNothingIsOverwritten) {
    auto files = simFiles();
    std::vector<sim::StoredFile> hostile;
    for (const std::string name : {"../x", "a/b", "", "..", "a\\b:c", "DUP", "DUP"}) {
        sim::StoredFile f = files[0];
        f.name = name;
        hostile.push_back(f);
    }
    setSimFiles(hostile);
    const fs::path inside = folder_.path() / "in";
    fs::create_directory(inside);
    std::ofstream(inside / "001-___x.bin") << "kept";
    std::ofstream(inside / "files.csv") << "kept";

    const auto list = sondrel::client::listStoredFiles(link(), HeaderForm::Long);
    ASSERT_EQ(list.files.size(), hostile.size());
    EXPECT_EQ(list.files[0].name, "../x") << "the list shows the meter's own name";
    StoredFilesFolder folder(inside);
    const auto copy = sondrel::client::copyStoredFiles(link(), list.files, folder);
    EXPECT_EQ(copy.completed, hostile.size());

    std::set<std::string> names;
    for (const auto& w : folder.written()) {
        EXPECT_EQ(w.file.find_first_of("/\\:"), std::string::npos) << w.file;
        EXPECT_EQ(fs::path(w.file).filename().string(), w.file);
        names.insert(w.file);
    }
    EXPECT_EQ(names.size(), hostile.size()) << "every file has a name of its own";
    std::size_t inFolder = 0;
    for (const auto& entry : fs::directory_iterator(inside))
        inFolder += entry.path().extension() == ".bin";
    EXPECT_EQ(inFolder, hostile.size() + 1);
    EXPECT_EQ(fileText(inside / "001-___x.bin"), "kept");
    EXPECT_EQ(fileText(inside / "files.csv"), "kept");
    EXPECT_EQ(folder.indexPath().filename(), "files-2.csv");
    std::size_t outside = 0;
    for (const auto& entry : fs::directory_iterator(folder_.path()))
        outside += entry.path() != inside;
    EXPECT_EQ(outside, 0u) << "nothing beside the chosen folder";
}

} // namespace
} // namespace korvane::testing
