#pragma once
// Where every control of the wizard window sits, in twips (1440 to the inch), and which font it
// uses. Both GUI backends place their controls from this one table, scaled through the screen's
// dots per inch, so the window looks the same on every platform and stays right on dense screens.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace tamberlin {

enum class ControlId {
  Image2,
  Picture1,
  Label1,
  Label2,
  Label3,
  Label4,
  Drive1,
  Label5,
  Dir1,
  ProgressBar1,
  Image1,
  Command2,
  Command3,
  Label6,
  List1,
  File1,
};

enum class FontId { Window, Title, Body };

/// One row of the layout table. Controls placed on Picture1 are relative to its top-left corner.
struct ControlPlace {
  ControlId id;
  const char* name;
  bool onPicture1;
  int left, top, width, height;  ///< twips
  FontId font;
  bool visibleAtStart;
};

/// A font as the layout asks for it: the first family the system has wins.
struct FontChoice {
  std::vector<std::string> families;
  double pointSize;
};

constexpr int kClientWidthTwips = 7455;
constexpr int kClientHeightTwips = 5400;

/// The separator picture Image1 shows at its own size: width and height in pixels at 96 dpi.
constexpr int kSeparatorWidthPx = 600;
constexpr int kSeparatorHeightPx = 2;

/// Every control with a place, in creation order (later rows are drawn above earlier ones).
const std::vector<ControlPlace>& layoutTable();

/// The row of `id`; every ControlId has one.
const ControlPlace& placeOf(ControlId id);

const FontChoice& fontOf(FontId font);

/// Keyboard focus order; hidden controls are passed over. Focus starts on the first.
const std::vector<ControlId>& focusOrder();

/// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel (15 twips a pixel at 96).
int twipsToPixels(int twips, double dpi);

/// The credits line of Label3.
extern const char* const kCreditsText;

}  // namespace tamberlin
