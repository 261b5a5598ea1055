#include "config/DialogControls.h"

#include <QMouseEvent>

namespace brelinde {

void TClickLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = true;
  QLabel::mousePressEvent(event);
}

void TClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = event->button() == Qt::LeftButton && pressed_ &&
                     rect().contains(event->position().toPoint());
  if (event->button() == Qt::LeftButton) pressed_ = false;
  QLabel::mouseReleaseEvent(event);
  if (click) emit clicked();
}

void TImage::SetAutoSize(bool on) {
  auto_size_ = on;
  if (auto_size_ && !pixmap().isNull()) resize(pixmap().deviceIndependentSize().toSize());
}

void TImage::SetPicture(const QPixmap& picture) {
  setPixmap(picture);
  if (auto_size_) resize(picture.deviceIndependentSize().toSize());
}

}  // namespace brelinde
