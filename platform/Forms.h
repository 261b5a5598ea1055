// What a form's logic needs from its window, without a toolkit.
#pragma once

#include <string>

namespace brelinde {

// The page view that stands in for the browser control (WebBrowser1 of the show window).
class TWebBrowserView {
 public:
  virtual ~TWebBrowserView() = default;

  // Shows the page file at path (a plain local path), playing the Page-Exit transition of the
  // page it leaves. Raises an error when the page file cannot be read; never waits for pictures.
  virtual void Navigate(const std::string& path) = 0;

  virtual int Left() const = 0;
  virtual int Top() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // The view draws no border of its own, so its client width is its width.
  virtual int ClientWidth() const = 0;
  virtual void SetLeft(int left) = 0;
  virtual void SetTop(int top) = 0;
  virtual void SetWidth(int width) = 0;
  virtual void SetHeight(int height) = 0;
  virtual void SetClientWidth(int width) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
};

}  // namespace brelinde
