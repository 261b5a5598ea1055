// Prints the XScreenSaver settings description of the hack, with the transition list taken from
// the same table the settings dialog shows, so the two can never disagree.
#include <cstdio>

#include "show/TransitionCatalogue.h"

int main() {
  std::printf(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<screensaver name=\"brelinde\" _label=\"Brelinde\">\n"
      "  <command arg=\"--root\"/>\n"
      "  <select id=\"effect\">\n"
      "    <option id=\"stored\" _label=\"Transition chosen in the Brelinde settings\"/>\n");
  for (size_t i = 0; i < brelinde::kTransitionNames.size(); ++i) {
    const auto name = brelinde::kTransitionNames[i];
    std::printf("    <option id=\"effect%zu\" _label=\"%.*s\" arg-set=\"--effect %zu\"/>\n", i,
                static_cast<int>(name.size()), name.data(), i);
  }
  std::printf(
      "  </select>\n"
      "  <_description>\n"
      "Brelinde shows 24 photographs one at a time in a shuffled order, each fitted to the\n"
      "screen on black and brought in by an animated transition. Choosing a transition here\n"
      "stores it as the Brelinde setting, the same one the Brelinde settings dialog writes.\n"
      "  </_description>\n"
      "</screensaver>\n");
  return 0;
}
