#include "meter_screen_page.h"

#include "Form2.h"
#include "failure_texts.h"
#include "messages.h"
#include "meter_window.h"
#include "own_texts.h"
#include "transfer.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace plandex {
namespace {

constexpr const char* DefaultSize = "128x64";
constexpr int DefaultZoom = 4, MostZoom = 12, MostShownSide = 2048;
constexpr int DefaultRefreshSeconds = 10, FewestRefreshSeconds = 2, MostRefreshSeconds = 600;
// A dark pixel as the meter's display shows it, on its light background.
constexpr QRgb DarkPixel = qRgb(0x10, 0x18, 0x20);
constexpr QRgb LightPixel = qRgb(0xC8, 0xD8, 0xC0);

QImage imageOf(const sondrel::client::PixelGrid& grid) {
    QImage image(grid.width, grid.height, QImage::Format_RGB32);
    for (int y = 0; y < grid.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < grid.width; ++x)
            line[x] = grid.darkAt(x, y) ? DarkPixel : LightPixel;
    }
    return image;
}

} // namespace

MeterScreenPage::MeterScreenPage(MeterWindow& window) : window_(window) {
    setObjectName(QStringLiteral("MeterScreenPage"));
    form_ = new QComboBox(this);
    form_->addItem(ownText(OwnText::MeterScreenSmall));
    form_->addItem(ownText(OwnText::MeterScreenBig));
    size_ = new QLineEdit(QString::fromLatin1(DefaultSize), this);
    size_->setMaximumWidth(100);
    zoom_ = new QSpinBox(this);
    zoom_->setRange(1, MostZoom);
    zoom_->setValue(DefaultZoom);
    zoom_->setPrefix(QStringLiteral("×"));
    capture_ = new QPushButton(ownText(OwnText::MeterScreenCapture), this);
    save_ = new QPushButton(ownText(OwnText::MeterScreenSave), this);
    copy_ = new QPushButton(ownText(OwnText::MeterScreenCopy), this);
    refresh_ = new QCheckBox(ownText(OwnText::MeterScreenRefresh), this);
    seconds_ = new QSpinBox(this);
    seconds_->setRange(FewestRefreshSeconds, MostRefreshSeconds);
    seconds_->setValue(DefaultRefreshSeconds);
    seconds_->setSuffix(ownText(OwnText::MeterScreenSeconds));
    refreshTimer_ = new QTimer(this);

    view_ = new QLabel(this);
    view_->setAlignment(Qt::AlignCenter);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(view_);
    scroll->setWidgetResizable(true);
    caption_ = new QLabel(this);
    caption_->setWordWrap(true);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(ownText(OwnText::MeterScreenForm), this));
    controls->addWidget(form_);
    controls->addWidget(new QLabel(ownText(OwnText::MeterScreenSize), this));
    controls->addWidget(size_);
    controls->addWidget(new QLabel(ownText(OwnText::MeterScreenZoom), this));
    controls->addWidget(zoom_);
    controls->addStretch(1);
    auto* commands = new QHBoxLayout;
    commands->addWidget(capture_);
    commands->addWidget(save_);
    commands->addWidget(copy_);
    commands->addStretch(1);
    commands->addWidget(refresh_);
    commands->addWidget(seconds_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(commands);
    layout->addWidget(scroll, 1);
    layout->addWidget(caption_);

    connect(capture_, &QPushButton::clicked, this, &MeterScreenPage::capture);
    connect(save_, &QPushButton::clicked, this, &MeterScreenPage::saveWithDialog);
    connect(copy_, &QPushButton::clicked, this, &MeterScreenPage::copyPicture);
    connect(size_, &QLineEdit::editingFinished, this, &MeterScreenPage::showPicture);
    connect(zoom_, &QSpinBox::valueChanged, this, &MeterScreenPage::showPicture);
    connect(refresh_, &QCheckBox::toggled, this, &MeterScreenPage::updateRefresh);
    connect(seconds_, &QSpinBox::valueChanged, this, &MeterScreenPage::updateRefresh);
    connect(refreshTimer_, &QTimer::timeout, this, &MeterScreenPage::onRefreshTick);
    connect(&window_, &MeterWindow::busyChanged, this, &MeterScreenPage::onBusy);
    showPicture();
}

bool MeterScreenPage::capture() {
    if (window_.jobRunning() || window_.form().transferRunning()) return false;
    struct Capture {
        bool done = false;
        std::vector<std::uint8_t> buffer;
        sondrel::Failure failure;
    };
    auto result = std::make_shared<Capture>();
    const bool big = form_->currentIndex() == Big;
    const auto job = [result, big](sondrel::_KorvaneConnection* meter, MeterJobContext& context) {
        if (!openDeviceConnection(meter)) {
            result->failure = context.lastFailure();
            return;
        }
        if (context.stopRequested()) return;
        sondrel::SafeArray<std::uint8_t> screen;
        std::int16_t done = 0;
        const auto hr =
            big ? meter->ReadSLMScreenBig(&screen, &done) : meter->ReadSLMScreen(&screen, &done);
        result->done = !sondrel::failed(hr) && done != 0;
        if (result->done)
            result->buffer = std::move(screen.items);
        else
            result->failure = context.lastFailure();
    };
    return window_.runJob(job, [this, result] {
        if (result->done) {
            buffer_ = std::move(result->buffer);
            capturedAt_ = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
            window_.showAnswered(QString());
        } else {
            buffer_.reset();
            window_.showFailure(ownText(OwnText::MeterScreenFailed), result->failure);
        }
        showPicture();
    });
}

void MeterScreenPage::showPicture() {
    picture_ = QImage();
    const auto geometry = sondrel::client::screenGeometryOf(size_->text().trimmed().toStdString());
    if (!geometry) {
        caption_->setText(ownText(OwnText::MeterScreenBadSize));
    } else if (buffer_) {
        if (const auto grid = sondrel::client::pixelGridOf(*buffer_, *geometry)) {
            picture_ = imageOf(*grid);
            limitZoom();
            caption_->setText(ownText(OwnText::MeterScreenCaptured)
                                  .arg(geometry->width)
                                  .arg(geometry->height)
                                  .arg(capturedAt_));
        } else {
            caption_->setText(
                ownText(OwnText::MeterScreenTooBig).arg(size_->text()).arg(buffer_->size()));
        }
    } else {
        caption_->clear();
    }
    view_->setPixmap(picture_.isNull() ? QPixmap() : QPixmap::fromImage(shownPicture()));
    save_->setEnabled(!picture_.isNull());
    copy_->setEnabled(!picture_.isNull());
}

QImage MeterScreenPage::shownPicture() const {
    if (picture_.isNull()) return {};
    // Nearest neighbour at a whole factor: every pixel of the meter a sharp square.
    return picture_.scaled(picture_.width() * zoom_->value(), picture_.height() * zoom_->value(),
                           Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void MeterScreenPage::limitZoom() {
    // A big display at a high factor would be tens of megabytes to scale and
    // show at once on the window's thread: keep the picture within MostShownSide.
    const int most = picture_.isNull()
                         ? MostZoom
                         : std::clamp(MostShownSide / std::max(picture_.width(), picture_.height()),
                                      1, MostZoom);
    const QSignalBlocker quiet(zoom_);
    zoom_->setMaximum(most);
}

bool MeterScreenPage::savePng(const QString& path) {
    if (picture_.isNull()) return false;
    QSaveFile file(path);
    QString reason;
    if (!file.open(QIODevice::WriteOnly)) {
        reason = fileErrorText(file.error());
    } else {
        QImageWriter writer(&file, "png");
        if (!writer.write(shownPicture()))
            reason = writer.errorString();
        else if (!file.commit())
            reason = fileErrorText(file.error());
    }
    if (reason.isEmpty()) return true;
    tell(ownText(OwnText::MeterScreenNotSaved).arg(path, reason), MessageStyle::Exclamation);
    return false;
}

void MeterScreenPage::saveWithDialog() {
    const QString path = QFileDialog::getSaveFileName(this, ownText(OwnText::MeterScreenSave),
                                                      QStringLiteral("screen.png"),
                                                      ownText(OwnText::MeterScreenPngFilter));
    if (!path.isEmpty()) savePng(path);
}

void MeterScreenPage::copyPicture() {
    if (!picture_.isNull()) QGuiApplication::clipboard()->setImage(shownPicture());
}

void MeterScreenPage::onBusy(bool busy) {
    capture_->setEnabled(!busy);
}

void MeterScreenPage::updateRefresh() {
    if (refresh_->isChecked())
        refreshTimer_->start(seconds_->value() * 1000);
    else
        refreshTimer_->stop();
}

void MeterScreenPage::onRefreshTick() {
    // Only while the window is open, and never queued behind another job.
    if (!window_.isVisible()) return;
    if (capture())
        ++refreshesStarted_;
    else
        ++refreshesSkipped_;
}

} // namespace plandex
