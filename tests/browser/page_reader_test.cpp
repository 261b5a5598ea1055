#include "platform/browser/PageReader.h"

#include <gtest/gtest.h>

#include "platform/Errors.h"
#include "platform/Random.h"
#include "show/SlidePages.h"
#include "tests/browser/TestPictures.h"
#include "tests/support/TestFolders.h"

namespace brelinde::browser {
namespace {

using Kind = ExitTransition::Kind;

TEST(PageReader, ReadsTheSlidePagesTheShowWrites) {
  struct Case {
    int32_t effect;
    ExitTransition exit;
  };
  const std::vector<Case> effects = {
      {0, {Kind::kReveal, 3, 0}},    {7, {Kind::kReveal, 3, 7}},   {22, {Kind::kReveal, 3, 22}},
      {23, {Kind::kBlend, 3, 0}},    {25, {Kind::kReveal, 3, 25}}, {-1, {Kind::kReveal, 3, -1}},
      {99, {Kind::kReveal, 3, 99}},
  };
  struct Size {
    int w, h, pw, ph;
  };
  const std::vector<Size> sizes = {{1024, 768, 1024, 768}, {1366, 768, 1024, 768}, {152, 112, 1024, 768},
                                   {1280, 1024, 576, 768}, {1920, 1080, 1024, 768}};
  const std::string path = "/tmp/a#b/ins1A2B.jpg";
  for (const auto& [effect, exit] : effects) {
    for (const auto& s : sizes) {
      const std::string_view fit = FitAttribute(s.w, s.h, s.pw, s.ph);
      const PageDocument page = ParsePage(BuildSlidePage(TransitionMeta(effect), s.w, s.h, path, fit));
      SCOPED_TRACE(::testing::Message() << "effect " << effect << " size " << s.w << "x" << s.h);
      EXPECT_EQ(page.exit, exit);
      EXPECT_EQ(page.background, 0xFF000000u);
      EXPECT_EQ(page.margins, (Margins{0, 0, 0, 0}));
      EXPECT_EQ(page.cell_width, s.w);
      EXPECT_EQ(page.cell_height, s.h);
      ASSERT_TRUE(page.image);
      EXPECT_EQ(page.image->src, path);
      EXPECT_EQ(page.image->align, HAlign::kCenter);
      EXPECT_EQ(page.image->valign, VAlign::kMiddle);
      EXPECT_TRUE(page.image->in_cell);
      if (fit == "width=\"100%\"") {
        EXPECT_EQ(page.image->width, Length::Percent(100));
        EXPECT_EQ(page.image->height, Length{});
      } else {
        EXPECT_EQ(page.image->height, Length::Percent(100));
        EXPECT_EQ(page.image->width, Length{});
      }
    }
  }
}

TEST(PageReader, ReadsTheBlankPageAndTheRandomElements) {
  SetRandSeed(7);
  for (int i = 0; i < 20; ++i) {
    const std::string meta = TransitionMeta(24);
    const PageDocument page = ParsePage(BuildBlankPage(meta));
    EXPECT_TRUE(page.exit == (ExitTransition{Kind::kBlend, 3, 0}) ||
                page.exit == (ExitTransition{Kind::kReveal, 3, 23}))
        << meta;
    EXPECT_EQ(page.background, 0xFF000000u);
    EXPECT_EQ(page.margins, (Margins{0, 0, 0, 0}));
    EXPECT_FALSE(page.image);
    EXPECT_FALSE(page.cell_width);
  }
}

TEST(PageReader, ToleratesOddSpellings) {
  struct Case {
    std::string html;
    ExitTransition exit;
    uint32_t background;
    std::string src;
  };
  const std::vector<Case> cases = {
      {"<HTML><HEAD><META CONTENT='RevealTrans( Duration = 2.5 , Transition = 7 )' "
       "HTTP-EQUIV=\"page-exit\"></HEAD><BODY BGCOLOR=#FFF><IMG HEIGHT='100%' SRC=\"/tmp/a b/x.jpg\">",
       {Kind::kReveal, 2.5, 7}, 0xFFFFFFFFu, "/tmp/a b/x.jpg"},
      {"<meta http-equiv=page-exit content=\"blendTrans()\"><body bgcolor=\"navy\"><img src=pic.jpg>",
       {Kind::kBlend, 1, 0}, 0xFF000080u, "/pages/pic.jpg"},
      {"<meta http-equiv=Page-Enter content=blendTrans(Duration=2)><body style=\"background-color: "
       "#102030\"><!-- <img src=\"/wrong.jpg\"> --><span><img src=\"/tmp/a&amp;b&c#d.jpg\"></span>",
       {}, 0xFF102030u, "/tmp/a&b&c#d.jpg"},
      {"<meta http-equiv=Page-Exit content=progid:DXImageTransform.Microsoft.Fade(duration=2)>"
       "<img src='file:///tmp/x%20y.jpg'><img src=/second.jpg>",
       {}, 0xFFFFFFFFu, "/tmp/x y.jpg"},
      {"<meta http-equiv=Page-Exit content=revealTrans(transition=-4,Duration=0)><body bgcolor=bogus>"
       "<img src = \"/tmp/spaced.jpg\" / >",
       {Kind::kReveal, 0, -4}, 0xFFFFFFFFu, "/tmp/spaced.jpg"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.html);
    const PageDocument page = ParsePage(c.html, "/pages");
    EXPECT_EQ(page.exit, c.exit);
    EXPECT_EQ(page.background, c.background);
    ASSERT_TRUE(page.image);
    EXPECT_EQ(page.image->src, c.src);
  }
}

TEST(PageReader, MarginsFromStyleAndAttributes) {
  EXPECT_EQ(ParsePage("<body>").margins, (Margins{8, 8, 8, 8}));
  EXPECT_EQ(ParsePage("<body style='margin:0'>").margins, (Margins{0, 0, 0, 0}));
  EXPECT_EQ(ParsePage("<body style='margin: 1px 2px 3px 4px'>").margins, (Margins{1, 4, 3, 2}));
  EXPECT_EQ(ParsePage("<body topmargin=5 leftmargin=6 style='MARGIN-RIGHT:7px'>").margins,
            (Margins{5, 6, 8, 7}));
}

TEST(PageReader, ColoursAsHtmlWritesThem) {
  EXPECT_EQ(ParseHtmlColor("#000000"), 0xFF000000u);
  EXPECT_EQ(ParseHtmlColor(" #A0b1C2 "), 0xFFA0B1C2u);
  EXPECT_EQ(ParseHtmlColor("#abc"), 0xFFAABBCCu);
  EXPECT_EQ(ParseHtmlColor("White"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseHtmlColor("#12345"), std::nullopt);
  EXPECT_EQ(ParseHtmlColor("#ggg"), std::nullopt);
}

TEST(PageReader, AMissingPageFileRaisesAndAPageWithoutPictureReads) {
  test_support::TempFolder dir("brelinde-browser");
  EXPECT_THROW(ReadPage(dir.File("missing.htm")), EInOutError);
  const std::string page_path = dir.Write("page.htm", BuildSlidePage(TransitionMeta(5), 200, 100,
                                                                      "relative.jpg", "width=\"100%\""));
  const PageDocument page = ReadPage(page_path);
  ASSERT_TRUE(page.image);
  EXPECT_EQ(page.image->src, dir.File("relative.jpg"));
  EXPECT_FALSE(ParsePage("<html><body></body></html>").image);
  EXPECT_FALSE(ParsePage("").image);
  EXPECT_FALSE(ParsePage("<<<>>> < img").image);
}

}  // namespace
}  // namespace brelinde::browser
