// render-transition: renders a transition between two pictures with the page view's own engine,
// as a PNG contact sheet (frames left to right, top to bottom) or as numbered PNG frames.
//
//   render-transition FROM.jpg TO.jpg --effect N [--size WxH] [--steps S] [--columns C]
//                     (--sheet OUT.png | --frames DIR)
//   render-transition --list        the effects' names, one a line, by index
//
// N is an effect index as the settings dialog numbers them: 0 to 22 the reveal patterns, 23 the
// fade, 24 a pattern picked at random (--seed picks it, and orders the random patterns).
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "pictures/JpegDecode.h"
#include "platform/Files.h"
#include "platform/browser/Compositor.h"
#include "platform/browser/PageRender.h"
#include "platform/browser/PageViewEngine.h"
#include "show/SlidePages.h"
#include "show/TransitionCatalogue.h"

namespace {

using namespace brelinde;
using namespace brelinde::browser;

struct Options {
  std::string from, to, sheet, frames;
  int effect = -1, width = 480, height = 270, steps = 9, columns = 3;
  uint64_t seed = 1;
};

[[noreturn]] void Usage(const std::string& why) {
  std::fprintf(stderr,
               "render-transition: %s\n"
               "usage: render-transition FROM.jpg TO.jpg --effect N [--size WxH] [--steps S] "
               "[--columns C] [--seed K] (--sheet OUT.png | --frames DIR)\n"
               "       render-transition --list\n",
               why.c_str());
  std::exit(2);
}

int Number(const std::string& text, const char* what) {
  try {
    size_t used = 0;
    const int v = std::stoi(text, &used);
    if (used == text.size()) return v;
  } catch (const std::exception&) {
  }
  Usage(std::string("not a number for ") + what + ": " + text);
}

Options Parse(int argc, char** argv) {
  Options o;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const auto value = [&]() -> std::string {
      if (i + 1 >= argc) Usage(a + " needs a value");
      return argv[++i];
    };
    if (a == "--effect") {
      o.effect = Number(value(), "--effect");
    } else if (a == "--size") {
      const std::string v = value();
      const size_t x = v.find('x');
      if (x == std::string::npos) Usage("--size is WxH");
      o.width = Number(v.substr(0, x), "--size");
      o.height = Number(v.substr(x + 1), "--size");
    } else if (a == "--steps") {
      o.steps = Number(value(), "--steps");
    } else if (a == "--columns") {
      o.columns = Number(value(), "--columns");
    } else if (a == "--seed") {
      o.seed = static_cast<uint64_t>(Number(value(), "--seed"));
    } else if (a == "--sheet") {
      o.sheet = value();
    } else if (a == "--frames") {
      o.frames = value();
    } else if (!a.empty() && a[0] == '-') {
      Usage("unknown option " + a);
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() != 2) Usage("two pictures are needed");
  o.from = positional[0];
  o.to = positional[1];
  if (o.effect < 0 || o.effect > kEffectRandom) Usage("--effect is 0 to 24");
  if (o.width < 1 || o.height < 1 || o.width > 8192 || o.height > 8192) Usage("--size out of range");
  if (o.steps < 2) Usage("--steps is at least 2");
  if (o.columns < 1) Usage("--columns is at least 1");
  if (o.sheet.empty() == o.frames.empty()) Usage("give one of --sheet and --frames");
  return o;
}

// The slide page of a picture, rendered as the show would put it on a screen of w x h.
Frame RenderSlide(const std::string& picture, int w, int h) {
  const std::string bytes = ReadWholeFile(picture);
  const JpegSize size = ReadJpegSize(std::as_bytes(std::span(bytes.data(), bytes.size())));
  RenderJob job;
  job.page = ParsePage(BuildSlidePage(TransitionMeta(kEffectFade), w, h, picture,
                                      FitAttribute(w, h, size.width, size.height)));
  job.geometry = {w + 2 * kViewBorder, h + 2 * kViewBorder, Rect{kViewBorder, kViewBorder, w, h}};
  RenderResult r = RunRenderJob(job);
  if (!r.warning.empty()) throw std::runtime_error(r.warning);
  return std::move(r.frame);
}

void Save(const QImage& image, const std::string& path) {
  QImageWriter writer(QString::fromStdString(path), "png");
  if (!writer.write(image))
    throw std::runtime_error("cannot write " + path + ": " + writer.errorString().toStdString());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--list") {
    for (const std::string_view name : kTransitionNames)
      std::printf("%.*s\n", static_cast<int>(name.size()), name.data());
    return 0;
  }
  const Options o = Parse(argc, argv);
  try {
    const Frame from = RenderSlide(o.from, o.width, o.height);
    const Frame to = RenderSlide(o.to, o.width, o.height);
    // The page view's own choice for this effect, from the page the show writes for it. Effect 24
    // is always the view's random pick here: the show's own draw between that and the fade would
    // make --seed decide nothing.
    PageViewEngine engine([](RenderJob) {}, o.seed);
    const ExitTransition exit =
        o.effect == kEffectRandom
            ? ExitTransition{ExitTransition::Kind::kReveal, 3.0, kRevealRandom}
            : ParsePage(BuildBlankPage(TransitionMeta(o.effect))).exit;
    const TransitionChoice choice = engine.Choose(exit);
    const Transition t = choice.kind == Transition::Kind::kFade
                             ? Transition::Fade(o.width, o.height)
                             : Transition::Reveal(choice.pattern, o.width, o.height, choice.seed);

    const int gap = 4, rows = (o.steps + o.columns - 1) / o.columns;
    QImage sheet;
    if (!o.sheet.empty()) {
      sheet = QImage(gap + o.columns * (o.width + gap), gap + rows * (o.height + gap), QImage::Format_RGB32);
      sheet.fill(QColor(48, 48, 48));
    }
    Frame out(o.width, o.height);
    for (int i = 0; i < o.steps; ++i) {
      const double p = static_cast<double>(i) / (o.steps - 1);
      t.Render(from, to, out, p);
      const QImage frame(reinterpret_cast<const uchar*>(out.pixels.data()), o.width, o.height, o.width * 4,
                         QImage::Format_RGB32);
      if (!o.frames.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame%03d.png", i);
        Save(frame, o.frames + name);
      } else {
        QPainter painter(&sheet);
        painter.drawImage(gap + (i % o.columns) * (o.width + gap), gap + (i / o.columns) * (o.height + gap), frame);
      }
    }
    if (!o.sheet.empty()) Save(sheet, o.sheet);
    std::printf("%s: %s\n", kTransitionNames[static_cast<size_t>(o.effect)].data(),
                choice.kind == Transition::Kind::kFade
                    ? "fade"
                    : ("pattern " + std::to_string(choice.pattern)).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "render-transition: %s\n", e.what());
    return 1;
  }
  return 0;
}
