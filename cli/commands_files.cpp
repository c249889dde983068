// The meter's stored measurement files from the shell.
//
//   sondrel --port 3 files list              1  LEVEL1  2009-08-25 13:45:30  plan A  Level
//   LimitsTest sondrel --port 3 files read 2 --out scan.bin sondrel --port 3 files delete 2
#include "cli_errors.h"
#include "command_registry.h"
#include "commands_report.h"
#include "common/com_date.h"
#include "common/stored_file_layout.h"

#include <cstdio>
#include <fstream>

namespace sondrel::cli {
namespace {

// A date or time no calendar holds shows as its number.
std::string dateText(ComDate date) {
    const auto f = civilOf(date);
    if (!f) return std::to_string(date.value);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", f->year, f->month, f->day);
    return text;
}

std::string timeText(ComDate time) {
    const auto f = civilOf(time);
    if (!f) return std::to_string(time.value);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", f->hour, f->minute, f->second);
    return text;
}

// The file name without the zero bytes that pad it to six characters.
std::string shownName(std::string name) {
    name.erase(name.find_last_not_of('\0') + 1);
    return name;
}

class FilesCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.require_subcommand(1);
        list_ = command.add_subcommand("list", "count the files and show each one's header");
        list_->add_flag("--short-form", shortForm_,
                        "the meter answers with short headers (date and time only) and paged "
                        "directories");
        report_.addOptions(*list_);

        read_ = command.add_subcommand("read", "copy one file's content into a local file");
        read_->add_option("NUMBER", number_, "file number, from 1")
            ->required()
            ->check(CLI::Range(0, 255));
        read_->add_option("--out", out_, "local file to write")->required();
        report_.addOptions(*read_);

        delete_ = command.add_subcommand("delete", "delete one file from the meter");
        delete_->add_option("NUMBER", number_, "file number, from 1; later files move up")
            ->required()
            ->check(CLI::Range(0, 255));
        report_.addOptions(*delete_);
    }

    int run(Session& session) override {
        if (list_->parsed()) return list(session);
        if (read_->parsed()) return read(session);
        return remove(session);
    }

  private:
    int list(Session& session) {
        const char* countMember = shortForm_ ? "ReadFileCount" : "ReadFileCountDigi";
        std::vector<Variant> count{Variant::ui1(0)};
        if (!callDone(session, countMember, count)) return report_.notDone(session, countMember);

        const char* headMember = shortForm_ ? "ReadFileHead" : "ReadFileHeadDigi";
        Json files = Json::array();
        std::string text;
        const int total = static_cast<int>(numberOf(count[0]));
        for (int number = 1; number <= total; ++number) {
            std::vector<Variant> args{Variant::ui1(static_cast<std::uint8_t>(number)),
                                      Variant::fileHead({})};
            if (!callDone(session, headMember, args)) return report_.notDone(session, headMember);
            const FileHead& head = args[1].asFileHead();
            Json contents = Json::array();
            std::string shown;
            for (const auto& flag : stored_files::fileInfoFlags())
                if (head.*flag.field) {
                    contents.push_back(std::string(flag.name));
                    shown += " " + std::string(flag.name);
                }
            files.push_back({{"number", number},
                             {"name", shownName(head.FileName)},
                             {"date", dateText(head.FileDate)},
                             {"time", timeText(head.FileTime)},
                             {"plan", head.FileBaseChannel},
                             {"contents", contents}});
            char line[96];
            std::snprintf(line, sizeof line, "%3d  %-6s  %s %s", number,
                          shownName(head.FileName).c_str(), dateText(head.FileDate).c_str(),
                          timeText(head.FileTime).c_str());
            text += line;
            if (!head.FileBaseChannel.empty()) text += "  plan " + head.FileBaseChannel;
            text += (shown.empty() ? "" : " ") + shown + "\n";
        }
        text += std::to_string(total) + (total == 1 ? " file" : " files");
        return report_.done({{"count", total}, {"files", files}}, text);
    }

    int read(Session& session) {
        std::vector<Variant> args{Variant::bytes({}),
                                  Variant::ui1(static_cast<std::uint8_t>(number_))};
        if (!callDone(session, "ReadFileContent", args))
            return report_.notDone(session, "ReadFileContent");
        const auto& content = args[0].asBytes().items;
        std::ofstream file(out_, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(content.data()),
                   static_cast<std::streamsize>(content.size()));
        if (!file.flush()) throw UsageError("cannot write " + out_);
        return report_.done({{"number", number_}, {"bytes", content.size()}, {"out", out_}},
                            "file " + std::to_string(number_) + ": " +
                                std::to_string(content.size()) + " bytes written to " + out_);
    }

    int remove(Session& session) {
        std::vector<Variant> args{Variant::ui1(static_cast<std::uint8_t>(number_))};
        if (!callDone(session, "DeleteFile", args)) return report_.notDone(session, "DeleteFile");
        return report_.done({{"deleted", number_}}, "file " + std::to_string(number_) + " deleted");
    }

    CLI::App* list_ = nullptr;
    CLI::App* read_ = nullptr;
    CLI::App* delete_ = nullptr;
    bool shortForm_ = false;
    int number_ = 0;
    std::string out_;
    Report report_;
};

const RegisterCommand<FilesCommand> files{"files",
                                          "list, copy or delete the meter's measurement files"};

} // namespace
} // namespace sondrel::cli
