// The settings dialog's control kinds that Qt has no exact counterpart for.
#pragma once

#include <QLabel>
#include <QPixmap>

namespace brelinde {

// A label that reports a click the way a form control does: the left button pressed on it and
// released while still over it.
class TClickLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool pressed_ = false;
};

// An image control. Without a picture it draws nothing, so it serves as an invisible hot area
// over a picture drawn beneath it.
class TImage : public TClickLabel {
  Q_OBJECT
  Q_PROPERTY(bool autoSize READ AutoSize WRITE SetAutoSize)

 public:
  using TClickLabel::TClickLabel;

  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool on);
  // Shows picture; with auto-size on the control takes the picture's size.
  void SetPicture(const QPixmap& picture);

 private:
  bool auto_size_ = false;
};

// A static text: a one-line caption in a small window of its own, with its own background.
class TStaticText : public TClickLabel {
  Q_OBJECT

 public:
  using TClickLabel::TClickLabel;
};

}  // namespace brelinde
