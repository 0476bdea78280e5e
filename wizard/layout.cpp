#include "wizard/layout.h"

#include <cmath>
#include <stdexcept>

namespace tamberlin {

const char* const kCreditsText = "Installer made with Tamberlin";

const std::vector<ControlPlace>& layoutTable() {
  // The progress bar is ours: it sits under the status line on the installation page, clear of
  // the description's text and above the credits.
  static const std::vector<ControlPlace> table = {
      {ControlId::Image2, "Image2", false, 0, 0, 2160, 4695, FontId::Window, true},
      {ControlId::Picture1, "Picture1", false, 2160, 0, 5295, 4675, FontId::Window, true},
      {ControlId::Label1, "Label1", true, 120, 240, 5055, 735, FontId::Title, true},
      {ControlId::Label2, "Label2", true, 120, 1200, 5055, 1695, FontId::Body, true},
      {ControlId::Label3, "Label3", true, 120, 4200, 5055, 375, FontId::Body, true},
      {ControlId::Label4, "Label4", true, 120, 1920, 1935, 495, FontId::Body, false},
      {ControlId::Drive1, "Drive1", true, 1800, 1920, 3135, 315, FontId::Window, false},
      {ControlId::Label5, "Label5", true, 120, 2280, 1935, 495, FontId::Body, false},
      {ControlId::Dir1, "Dir1", true, 1800, 2280, 3135, 1665, FontId::Window, false},
      {ControlId::ProgressBar1, "ProgressBar1", true, 120, 3240, 5055, 300, FontId::Window, false},
      {ControlId::Image1, "Image1", false, -220, 4680, 9000, 30, FontId::Window, true},
      {ControlId::Command2, "Command2", false, 5040, 4920, 1095, 375, FontId::Window, true},
      {ControlId::Command3, "Command3", false, 6240, 4920, 1095, 375, FontId::Window, true},
      {ControlId::Label6, "Label6", false, 2280, 4920, 1935, 495, FontId::Window, false},
      {ControlId::List1, "List1", false, 120, 2520, 855, 2010, FontId::Window, false},
      {ControlId::File1, "File1", false, 960, 2520, 975, 2040, FontId::Window, false},
  };
  return table;
}

const ControlPlace& placeOf(ControlId id) {
  for (const ControlPlace& p : layoutTable())
    if (p.id == id) return p;
  throw std::logic_error("control without a place in the layout table");
}

const FontChoice& fontOf(FontId font) {
  // Tahoma and Verdana first, then look-alikes: DejaVu Sans Condensed is close to Tahoma's width
  // where plain DejaVu Sans runs about a seventh wider and would overflow the labels.
  static const FontChoice title{{"Verdana", "DejaVu Sans", "Bitstream Vera Sans", "Sans Serif"},
                              14.25};
  static const FontChoice body{
      {"Tahoma", "DejaVu Sans Condensed", "Liberation Sans", "Arial", "DejaVu Sans", "Sans Serif"},
      9.75};
  static const FontChoice window{{"MS Sans Serif", "Tahoma", "DejaVu Sans Condensed",
                                "Liberation Sans", "Arial", "DejaVu Sans", "Sans Serif"},
                               8.25};
  switch (font) {
    case FontId::Title:
      return title;
    case FontId::Body:
      return body;
    case FontId::Window:
      break;
  }
  return window;
}

const std::vector<ControlId>& focusOrder() {
  // Picture1 is only a container here: it takes no focus of its own, so Tab never lands on an
  // invisible focus. File1 and List1 are never shown, so they are passed over too.
  static const std::vector<ControlId> order = {
      ControlId::Command2, ControlId::Command3, ControlId::Picture1, ControlId::Drive1,
      ControlId::File1,    ControlId::Dir1,     ControlId::List1};
  return order;
}

int twipsToPixels(int twips, double dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

}  // namespace tamberlin
