// The Meter window's Screen page: a copy of the meter's display, in the small
// or big block form, turned into a picture of the size the user gives (the
// meter does not say it), shown enlarged by a whole factor with every pixel a
// sharp square, saved as PNG or copied to the clipboard as shown. An optional
// refresh captures again every few seconds; a refresh that comes while any
// job with the meter runs is skipped, never queued. A capture that failed
// clears the picture: what is shown is always the meter's last answer.
#pragma once

#include "screen_picture.h"

#include <QImage>
#include <QWidget>

#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace plandex {

class MeterWindow;

class MeterScreenPage : public QWidget {
    Q_OBJECT
  public:
    enum Form { Small = 0, Big = 1 };

    explicit MeterScreenPage(MeterWindow& window);

    // Starts a capture; false when a job with the meter runs.
    bool capture();
    // Writes the picture as shown; false (and the reason told) when it could not.
    bool savePng(const QString& path);
    void copyPicture();

    // The picture at one pixel a pixel (null when there is none) and as shown.
    const QImage& picture() const { return picture_; }
    QImage shownPicture() const;

    QComboBox* form() const { return form_; }
    QLineEdit* size() const { return size_; }
    QSpinBox* zoom() const { return zoom_; }
    QPushButton* captureButton() const { return capture_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* copyButton() const { return copy_; }
    QCheckBox* refresh() const { return refresh_; }
    QSpinBox* refreshSeconds() const { return seconds_; }
    QTimer* refreshTimer() const { return refreshTimer_; }
    QLabel* view() const { return view_; }
    QLabel* caption() const { return caption_; }
    // Captures started by the refresh, and refreshes skipped while busy.
    int refreshesStarted() const { return refreshesStarted_; }
    int refreshesSkipped() const { return refreshesSkipped_; }

  private:
    void onBusy(bool busy);
    void onRefreshTick();
    void updateRefresh();
    // Turns the last buffer into the picture at the size given, and shows it.
    void showPicture();
    void limitZoom();
    void saveWithDialog();

    MeterWindow& window_;
    QComboBox* form_ = nullptr;
    QLineEdit* size_ = nullptr;
    QSpinBox* zoom_ = nullptr;
    QPushButton* capture_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* copy_ = nullptr;
    QCheckBox* refresh_ = nullptr;
    QSpinBox* seconds_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
    QLabel* view_ = nullptr;
    QLabel* caption_ = nullptr;
    std::optional<std::vector<std::uint8_t>> buffer_; // the meter's last answer
    QString capturedAt_;
    QImage picture_;
    int refreshesStarted_ = 0;
    int refreshesSkipped_ = 0;
};

} // namespace plandex
