# The settings dialog (Qt): its form, the pictures stored with it, and the web pages its links open.

# The twelve pages, one per link handler: handler, what the page is, default address. Each is a
# cache variable BRELINDE_URL_<HANDLER>, so a build names its own sites; all must differ.
set(brelinde_dialog_links
  Image1Click      "related site A: its page about this screensaver" "https://screensavers.example.org/brelinde.html"
  Image3Click      "related site A: home page"                       "https://screensavers.example.org/"
  Image7Click      "related site A: more screensavers"               "https://screensavers.example.org/more-screensavers.html"
  Image8Click      "related site A: more free programs"              "https://screensavers.example.org/free-programs.html"
  Image5Click      "related site B: home page"                       "https://fotowelt-lindau.example.net/"
  Image6Click      "related site C: home page"                       "https://bildarchiv-nordlicht.example.net/"
  StaticText5Click "the maker's home page"                           "https://kaltvor.example.com/"
  StaticText1Click "the maker's second home page"                    "https://www.kaltvor.example.org/"
  Button1Click     "the maker's donation page"                       "https://kaltvor.example.com/donate.html"
  Image13Click     "the maker's page of another of its programs"     "https://kaltvor.example.com/fotoschau.html"
  Image12Click     "gallery page of a second photo screensaver"      "https://kaltvor.example.com/gallery/brelinde-winter.html"
  Image11Click     "gallery page of a third photo screensaver"       "https://kaltvor.example.com/gallery/brelinde-kueste.html"
)
set(BRELINDE_RELEASE_DATE "2026-12-11" CACHE STRING "Release date shown in the settings dialog (YYYY-MM-DD)")
if(NOT BRELINDE_RELEASE_DATE MATCHES "^[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]$")
  message(FATAL_ERROR "BRELINDE_RELEASE_DATE must be YYYY-MM-DD, not '${BRELINDE_RELEASE_DATE}'")
endif()

set(BRELINDE_DIALOG_LINKS "")
set(seen_urls "")
list(LENGTH brelinde_dialog_links count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 3)
  math(EXPR j "${i} + 1")
  math(EXPR k "${i} + 2")
  list(GET brelinde_dialog_links ${i} handler)
  list(GET brelinde_dialog_links ${j} what)
  list(GET brelinde_dialog_links ${k} default_url)
  string(TOUPPER "${handler}" var)
  set(BRELINDE_URL_${var} "${default_url}" CACHE STRING "Settings dialog, ${handler}: ${what}")
  set(url "${BRELINDE_URL_${var}}")
  if(url STREQUAL "" OR url MATCHES "[\"\\\\ ]")
    message(FATAL_ERROR "BRELINDE_URL_${var} must be a web address without blanks, quotes or backslashes")
  endif()
  if(url IN_LIST seen_urls)
    message(FATAL_ERROR "BRELINDE_URL_${var} (${url}) is already the page of another link")
  endif()
  list(APPEND seen_urls "${url}")
  string(APPEND BRELINDE_DIALOG_LINKS
    "// ${what}\ninline constexpr std::string_view k${handler} = \"${url}\";\n")
endforeach()

set(brelinde_generated "${PROJECT_BINARY_DIR}/generated")
configure_file(Links.h.in "${brelinde_generated}/config/Links.h" @ONLY)
target_include_directories(brelinde_qt PUBLIC "${brelinde_generated}")

# The resource compiler runs per target (the library is made in the top folder), so it is the
# target's AUTORCC that compiles the form's pictures, not a custom command of this folder.
set_property(TARGET brelinde_qt PROPERTY AUTORCC ON)
target_sources(brelinde_qt PRIVATE
  Config.cpp
  DialogControls.cpp
  StartConfig.cpp
  dialog.qrc
)
set_source_files_properties(Config.cpp TARGET_DIRECTORY brelinde_qt PROPERTIES
  COMPILE_DEFINITIONS "BRELINDE_RELEASE_DATE=\"${BRELINDE_RELEASE_DATE}\"")
