#include "show/SlidePages.h"

#include <cmath>

#include "platform/Random.h"
#include "show/TransitionCatalogue.h"

namespace brelinde {
namespace {

constexpr std::string_view kFadeMeta = "<meta http-equiv=Page-Exit content=blendTrans(Duration=3)>";
constexpr std::string_view kRevealMetaStart =
    "<meta http-equiv=Page-Exit content=revealTrans(Duration=3,transition=";
constexpr std::string_view kRevealMetaEnd = ")>";

constexpr std::string_view kHead = "<html><head>";
constexpr std::string_view kBody =
    "</head><body oncontextmenu=\"return false;\" "
    "style=\"margin-top:0;margin-left:0;margin-bottom:0;margin-right:0\" bgcolor=\"#000000\">";
constexpr std::string_view kBlankEnd = "</body></html>";
constexpr std::string_view kTableStart = "<table cellspacing=\"0\" cellpadding=\"0\" border=\"0\" width=\"";
constexpr std::string_view kHeightAttr = "\" height=\"";
constexpr std::string_view kCellStart = "\" style=\"overflow:hidden\"><tr><td width=\"";
constexpr std::string_view kDivStart =
    "\" style=\"overflow:hidden\"><div align=\"center\" style=\"overflow:hidden\">";
constexpr std::string_view kImgStart = "<img src=\"";
constexpr std::string_view kImgSrcEnd = "\" ";
constexpr std::string_view kSlideEnd = "></div></td></tr></table></body></html>";

constexpr std::string_view kFitHeight = "height=\"100%\"";
constexpr std::string_view kFitWidth = "width=\"100%\"";

std::string RevealMeta(int32_t number) {
  std::string meta(kRevealMetaStart);
  meta += std::to_string(number);
  meta += kRevealMetaEnd;
  return meta;
}

}  // namespace

std::string TransitionMeta(int32_t effect) {
  if (effect == kEffectFade) return std::string(kFadeMeta);
  if (effect == kEffectRandom) {
    return Random(kRevealPatternCount) == 0 ? std::string(kFadeMeta) : RevealMeta(kRevealRandom);
  }
  return RevealMeta(effect);
}

std::string BuildBlankPage(std::string_view meta) {
  std::string page;
  page.reserve(kHead.size() + meta.size() + kBody.size() + kBlankEnd.size());
  page += kHead;
  page += meta;
  page += kBody;
  page += kBlankEnd;
  return page;
}

std::string_view FitAttribute(int32_t w, int32_t h, int32_t picture_width, int32_t picture_height) {
  // The quotient first, then the product, as the original computed it in extended precision;
  // nearbyint rounds an exact half to the even neighbour.
  const long double quotient = static_cast<long double>(h) / static_cast<long double>(picture_height);
  const long double width_at_height = quotient * static_cast<long double>(picture_width);
  const long double d = std::nearbyint(width_at_height);
  return d < static_cast<long double>(w) ? kFitHeight : kFitWidth;
}

std::string BuildSlidePage(std::string_view meta, int32_t w, int32_t h, std::string_view picture_file,
                           std::string_view fit) {
  std::string page;
  page.reserve(400 + meta.size() + picture_file.size());
  page += kHead;
  page += meta;
  page += kBody;
  page += kTableStart;
  page += std::to_string(static_cast<int64_t>(w) + 1);
  page += kHeightAttr;
  page += std::to_string(static_cast<int64_t>(h) + 1);
  page += kCellStart;
  page += std::to_string(w);
  page += kHeightAttr;
  page += std::to_string(h);
  page += kDivStart;
  page += kImgStart;
  page += picture_file;
  page += kImgSrcEnd;
  page += fit;
  page += kSlideEnd;
  return page;
}

}  // namespace brelinde
