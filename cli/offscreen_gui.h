// The Qt application sondrel needs while it draws a chart or a report: Qt's
// painting wants a GUI application for its lettering, and a shell has no
// display, so it draws on the offscreen platform. Qt also wants a private
// runtime folder and complains on standard error without one; when the user
// has none, the application gets one of its own for its life.
#pragma once

#include <QTemporaryDir>

#include <memory>

class QGuiApplication;

namespace sondrel::cli {

class OffscreenGui {
  public:
    OffscreenGui();
    ~OffscreenGui();
    OffscreenGui(const OffscreenGui&) = delete;
    OffscreenGui& operator=(const OffscreenGui&) = delete;

  private:
    // The application's command line; it takes its options out of it, and
    // keeps it for its life.
    char name_[8] = "sondrel", option_[10] = "-platform", platform_[10] = "offscreen";
    int argc_ = 3;
    char* argv_[4] = {name_, option_, platform_, nullptr};
    std::unique_ptr<QTemporaryDir> runtimeFolder_; // only when the user has none
    std::unique_ptr<QGuiApplication> application_;
};

} // namespace sondrel::cli
