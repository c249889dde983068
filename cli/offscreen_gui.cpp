#include "offscreen_gui.h"

#include <QGuiApplication>

#include <cstdlib>

namespace sondrel::cli {
OffscreenGui::OffscreenGui() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) {
        // QTemporaryDir makes the folder readable by its owner only, as Qt wants it.
        runtimeFolder_ = std::make_unique<QTemporaryDir>();
        if (runtimeFolder_->isValid())
            setenv("XDG_RUNTIME_DIR", runtimeFolder_->path().toLocal8Bit().constData(), 1);
    }
    application_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

OffscreenGui::~OffscreenGui() {
    application_.reset();
    if (runtimeFolder_) unsetenv("XDG_RUNTIME_DIR");
}

} // namespace sondrel::cli
