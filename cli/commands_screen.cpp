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

#include <charconv>
#include <fstream>
#include <optional>
#include <string_view>

namespace sondrel::cli {
namespace {

// A picture's size; width 0 for no picture.
struct Geometry {
    int width = 0;
    int height = 0;
    // Bytes of its raster, one bit a pixel; counted wide, as no int need hold it.
    std::size_t rasterBytes() const {
        return static_cast<std::size_t>(width / 8) * static_cast<std::size_t>(height);
    }
};

// A whole number above 0 that an int holds; nullopt for anything else.
std::optional<int> positiveNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0) return std::nullopt;
    return value;
}

Geometry geometryOf(const std::string& text) {
    const auto x = text.find('x');
    const auto width = positiveNumber(std::string_view(text).substr(0, x));
    const auto height = x == std::string::npos
                            ? std::nullopt
                            : positiveNumber(std::string_view(text).substr(x + 1));
    if (!width || !height || *width % 8 != 0)
        throw UsageError("--pbm takes WIDTHxHEIGHT with a width that is a multiple of 8, not " +
                         text);
    return {*width, *height};
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
        const Geometry picture = pbm_.empty() ? Geometry{} : geometryOf(pbm_);
        const bool image = picture.width > 0;
        const char* member = big_ ? "ReadSLMScreenBig" : "ReadSLMScreen";
        std::vector<Variant> args{Variant::bytes({})};
        if (!callDone(session, member, args)) return report_.notDone(session, member);
        const auto& buffer = args[0].asBytes().items;

        const std::size_t bytes = image ? picture.rasterBytes() : buffer.size();
        if (bytes > buffer.size())
            throw UsageError("a " + pbm_ + " picture does not fit the screen buffer");
        std::ofstream file(out_, std::ios::binary | std::ios::trunc);
        if (image) file << "P4\n" << picture.width << ' ' << picture.height << '\n';
        file.write(reinterpret_cast<const char*>(buffer.data()),
                   static_cast<std::streamsize>(bytes));
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
