// The meter's stored measurement files from the shell:
//
//   files list                 one line a file: number, name, date, time, plan, kinds
//   files read 2 --out x.bin   one file's raw bytes
//   files read --all --dir d   every file into the folder d, beside an index
//   files delete 2             later files move up
#include "cli_errors.h"
#include "command_registry.h"
#include "commands_report.h"
#include "stored_files.h"

#include <cstdio>
#include <fstream>

namespace sondrel::cli {
namespace {

using client::HeaderForm;
using client::StoredFileEntry;

Json entryJson(const StoredFileEntry& entry) {
    return {{"number", entry.number}, {"name", entry.name}, {"date", entry.date},
            {"time", entry.time},     {"plan", entry.plan}, {"contents", entry.kinds}};
}

class FilesCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.require_subcommand(1);
        list_ = command.add_subcommand("list", "count the files and show each one's header");
        addShortForm(*list_);
        report_.addOptions(*list_);

        read_ = command.add_subcommand(
            "read", "copy one file's content into a local file, or every file into a folder");
        auto* number =
            read_->add_option("NUMBER", number_, "file number, from 1")->check(CLI::Range(0, 255));
        auto* out = read_->add_option("--out", out_, "local file to write");
        auto* all = read_->add_flag("--all", all_,
                                    "every file, each into a new file of the folder --dir "
                                    "(001-LEVEL1.bin, ...) beside an index files.csv");
        auto* dir = read_->add_option("--dir", dir_, "folder to write every file into");
        addShortForm(*read_);
        number->needs(out)->excludes(all);
        out->needs(number);
        all->needs(dir);
        dir->needs(all);
        report_.addOptions(*read_);

        delete_ = command.add_subcommand("delete", "delete one file from the meter");
        delete_->add_option("NUMBER", number_, "file number, from 1; later files move up")
            ->required()
            ->check(CLI::Range(0, 255));
        report_.addOptions(*delete_);
    }

    int run(Session& session) override {
        if (list_->parsed()) return list(session);
        if (read_->parsed()) {
            if (all_) return readAll(session);
            if (out_.empty())
                throw UsageError("files read needs NUMBER --out FILE or --all --dir DIR");
            return read(session);
        }
        return remove(session);
    }

  private:
    void addShortForm(CLI::App& command) {
        command.add_flag("--short-form", shortForm_,
                         "the meter answers with short headers (date and time only) and paged "
                         "directories");
    }
    HeaderForm form() const { return shortForm_ ? HeaderForm::Short : HeaderForm::Long; }

    int list(Session& session) {
        const auto list = client::listStoredFiles(session.connection(), form());
        if (!list.done()) return report_.notDone(session, list.failedMember);
        Json files = Json::array();
        std::string text;
        for (const StoredFileEntry& entry : list.files) {
            files.push_back(entryJson(entry));
            char line[96];
            std::snprintf(line, sizeof line, "%3d  %-6s  %s %s", entry.number, entry.name.c_str(),
                          entry.date.c_str(), entry.time.c_str());
            text += line;
            if (!entry.plan.empty()) text += "  plan " + entry.plan;
            const std::string kinds = client::kindsText(entry);
            if (!kinds.empty()) text += "  " + kinds;
            text += "\n";
        }
        text += std::to_string(list.count) + (list.count == 1 ? " file" : " files");
        return report_.done({{"count", list.count}, {"files", files}}, text);
    }

    int read(Session& session) {
        const auto content = client::readStoredFile(session.connection(), number_);
        if (!content) return report_.notDone(session, "ReadFileContent");
        std::ofstream file(out_, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(content->data()),
                   static_cast<std::streamsize>(content->size()));
        if (!file.flush()) throw UsageError("cannot write " + out_);
        return report_.done({{"number", number_}, {"bytes", content->size()}, {"out", out_}},
                            "file " + std::to_string(number_) + ": " +
                                std::to_string(content->size()) + " bytes written to " + out_);
    }

    // Every file into the folder; a read that fails ends the copy, and the
    // files completed before it stay with their index.
    int readAll(Session& session) {
        std::optional<client::StoredFilesFolder> folder;
        try {
            folder.emplace(dir_);
        } catch (const client::StoredFilesFolder::WriteError& e) {
            throw UsageError(e.what());
        }
        const auto list = client::listStoredFiles(session.connection(), form());
        if (!list.done()) return report_.notDone(session, list.failedMember);
        const auto copy = client::copyStoredFiles(session.connection(), list.files, *folder);
        if (!copy.writeError.empty()) throw UsageError(copy.writeError);
        if (!copy.failedMember.empty())
            return report_.notDone(session, copy.failedMember,
                                   "file " + std::to_string(copy.failedNumber) +
                                       ": no answer, or a reply of another form, from the meter; " +
                                       std::to_string(copy.completed) + " files written before");
        Json files = Json::array();
        std::string text;
        for (const auto& written : folder->written()) {
            files.push_back({{"number", written.entry.number},
                             {"bytes", written.bytes},
                             {"file", written.file}});
            text += "file " + std::to_string(written.entry.number) + ": " +
                    std::to_string(written.bytes) + " bytes written to " + written.file + "\n";
        }
        const std::string index = folder->indexPath().filename().string();
        text += std::to_string(copy.completed) + (copy.completed == 1 ? " file" : " files") +
                " written to " + dir_ + (index.empty() ? "" : ", index " + index);
        return report_.done(
            {{"count", copy.completed}, {"dir", dir_}, {"index", index}, {"files", files}}, text);
    }

    int remove(Session& session) {
        if (!client::deleteStoredFile(session.connection(), number_))
            return report_.notDone(session, "DeleteFile");
        return report_.done({{"deleted", number_}}, "file " + std::to_string(number_) + " deleted");
    }

    CLI::App* list_ = nullptr;
    CLI::App* read_ = nullptr;
    CLI::App* delete_ = nullptr;
    bool shortForm_ = false;
    bool all_ = false;
    int number_ = 0;
    std::string out_;
    std::string dir_;
    Report report_;
};

const RegisterCommand<FilesCommand> files{"files",
                                          "list, copy or delete the meter's measurement files"};

} // namespace
} // namespace sondrel::cli
