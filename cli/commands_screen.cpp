// A copy of the meter's screen from the shell.
//
//   sondrel --port 3 screen --out screen.bin             the whole buffer, as the meter sent it
//   sondrel --port 3 screen --out screen.pbm --pbm 128x64
//
// The buffer is 10001 bytes (40001 with --big). A meter that keeps its display
// at one bit per pixel, rows from the top, leftmost pixel in the highest bit
// and a set bit dark, fills its start with exactly the raster of a binary PBM
// image; --pbm WIDTHxHEIGHT writes that image.
#include "cli_errors.h"
#include "command_registry.h"
#include "commands_report.h"
#include "screen_picture.h"

#include <fstream>

namespace sondrel::cli {
namespace {

using client::ScreenGeometry;

ScreenGeometry geometryOf(const std::string& text) {
    const auto geometry = client::screenGeometryOf(text);
    if (!geometry)
        throw UsageError("--pbm takes WIDTHxHEIGHT with a width that is a multiple of 8, not " +
                         text);
    return *geometry;
}

class ScreenCommand final : public Command {
  public:
    void configure(CLI::App& command) override {
        command.add_option("--out", out_, "file to write")->required();
        command.add_flag("--big", big_, "the meter sends 160-byte blocks (the larger display)");
        command.add_option("--pbm", pbm_, "write a PBM image of WIDTHxHEIGHT pixels, one bit each");
        report_.addOptions(command);
    }

    int run(Session& session) override {
        const bool image = !pbm_.empty();
        const char* member = big_ ? "ReadSLMScreenBig" : "ReadSLMScreen";
        // Checked before the meter is asked: a wrong size is the user's mistake.
        const ScreenGeometry picture = image ? geometryOf(pbm_) : ScreenGeometry{};
        std::vector<Variant> args{Variant::bytes({})};
        if (!callDone(session, member, args)) return report_.notDone(session, member);
        const auto& buffer = args[0].asBytes().items;

        std::string contents;
        if (image) {
            auto pbm = client::pbmOf(buffer, picture);
            if (!pbm) throw UsageError("a " + pbm_ + " picture does not fit the screen buffer");
            contents = std::move(*pbm);
        } else {
            contents.assign(buffer.begin(), buffer.end());
        }
        const std::size_t bytes = image ? picture.rasterBytes() : buffer.size();
        std::ofstream file(out_, std::ios::binary | std::ios::trunc);
        file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        if (!file.flush()) throw UsageError("cannot write " + out_);
        Json fields{{"out", out_}, {"format", image ? "pbm" : "raw"}, {"bytes", bytes}};
        return report_.done(fields, "screen: " + std::to_string(bytes) + " bytes " +
                                        (image ? "of a " + pbm_ + " picture " : "") +
                                        "written to " + out_);
    }

  private:
    std::string out_;
    std::string pbm_;
    bool big_ = false;
    Report report_;
};

const RegisterCommand<ScreenCommand> screen{"screen", "copy the meter's screen into a file"};

} // namespace
} // namespace sondrel::cli
