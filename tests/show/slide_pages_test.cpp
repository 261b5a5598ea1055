#include "show/SlidePages.h"

#include <gtest/gtest.h>

#include "platform/Random.h"
#include "show/TransitionCatalogue.h"

namespace brelinde {
namespace {

const std::string kFade = "<meta http-equiv=Page-Exit content=blendTrans(Duration=3)>";
const std::string kRandomReveal =
    "<meta http-equiv=Page-Exit content=revealTrans(Duration=3,transition=23)>";
std::string Reveal(const std::string& n) {
  return "<meta http-equiv=Page-Exit content=revealTrans(Duration=3,transition=" + n + ")>";
}

TEST(TransitionMeta, ElementForEachKindOfEffect) {
  EXPECT_EQ(kFade.size(), 58u);
  EXPECT_EQ(kRandomReveal.size(), 73u);
  const std::vector<std::pair<int32_t, std::string>> cases = {
      {0, Reveal("0")}, {22, Reveal("22")}, {23, kFade}, {25, Reveal("25")}, {99, Reveal("99")},
      {-1, Reveal("-1")}, {INT32_MIN, Reveal("-2147483648")}};
  for (const auto& [effect, meta] : cases) {
    const uint32_t seed = RandSeed();
    EXPECT_EQ(TransitionMeta(effect), meta) << effect;
    EXPECT_EQ(RandSeed(), seed) << "effect " << effect << " must draw nothing";
  }
}

TEST(TransitionMeta, RandomEffectFadesExactlyWhenTheDrawIsZero) {
  int fades = 0, reveals = 0;
  for (uint32_t seed = 0; seed < 2000; ++seed) {
    SetRandSeed(seed);
    const int32_t draw = Random(23);
    SetRandSeed(seed);
    const std::string meta = TransitionMeta(kEffectRandom);
    EXPECT_EQ(meta, draw == 0 ? kFade : kRandomReveal) << seed;
    (draw == 0 ? fades : reveals)++;
  }
  EXPECT_GT(fades, 0);
  EXPECT_GT(reveals, 0);
}

TEST(BuildBlankPage, IsTheBlackPageWithTheElement) {
  const std::string page = BuildBlankPage(kFade);
  EXPECT_EQ(page,
            "<html><head>" + kFade +
                "</head><body oncontextmenu=\"return false;\" "
                "style=\"margin-top:0;margin-left:0;margin-bottom:0;margin-right:0\" "
                "bgcolor=\"#000000\"></body></html>");
  EXPECT_EQ(page.size(), 153 + kFade.size());
  EXPECT_EQ(BuildBlankPage("").size(), 153u);
}

TEST(BuildSlidePage, ByteForByteWithAPathContainingHash) {
  const std::string meta = Reveal("7");
  const std::string path = "/tmp/a#b/ins1A2B.jpg";
  const std::string page = BuildSlidePage(meta, 1024, 768, path, "width=\"100%\"");
  EXPECT_EQ(page,
            "<html><head>" + meta +
                "</head><body oncontextmenu=\"return false;\" "
                "style=\"margin-top:0;margin-left:0;margin-bottom:0;margin-right:0\" "
                "bgcolor=\"#000000\"><table cellspacing=\"0\" cellpadding=\"0\" border=\"0\" "
                "width=\"1025\" height=\"769\" style=\"overflow:hidden\"><tr><td width=\"1024\" "
                "height=\"768\" style=\"overflow:hidden\"><div align=\"center\" "
                "style=\"overflow:hidden\"><img src=\"/tmp/a#b/ins1A2B.jpg\" "
                "width=\"100%\"></div></td></tr></table></body></html>");
  EXPECT_EQ(page.find('\n'), std::string::npos);
  // The constant pieces add up to 378 characters.
  EXPECT_EQ(BuildSlidePage("", 1, 1, "", "").size(), 378u + 4u);
}

TEST(FitAttribute, WindowAndPicturePairs) {
  struct Case {
    int32_t w, h, pw, ph;
    std::string_view fit;
  };
  const std::string_view H = "height=\"100%\"", W = "width=\"100%\"";
  EXPECT_EQ(H.size(), 13u);
  EXPECT_EQ(W.size(), 12u);
  const Case cases[] = {
      {1024, 768, 1024, 768, W}, {1366, 768, 1024, 768, H}, {1280, 1024, 1024, 768, W},
      {1280, 1024, 576, 768, H}, {779, 1038, 576, 768, H},  {788, 1050, 576, 768, W},
      {152, 112, 1024, 768, H},  {1920, 1080, 1024, 768, H}, {1920, 1080, 576, 768, H},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitAttribute(c.w, c.h, c.pw, c.ph), c.fit) << c.w << "x" << c.h << " " << c.pw << "x" << c.ph;
  }
}

}  // namespace
}  // namespace brelinde
