#pragma once
// Modal message boxes behind an interface, so the core never opens a toolkit's modal loop and
// tests answer boxes from a script.

#include <string>

namespace tamberlin {

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Warning };
enum class MsgAnswer { Ok, Yes, No };

struct MessageBoxRequest {
  std::string text;   ///< lines separated by a lone CR (character 13)
  std::string title;  ///< "Tamberlin", "Veldra" or "Installation Cancel"
  MsgButtons buttons = MsgButtons::Ok;
  MsgIcon icon = MsgIcon::None;
  bool defaultNo = false;  ///< for Yes/No boxes: No is the default button
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  /// Shows the box and waits for the answer.
  virtual MsgAnswer show(const MessageBoxRequest& box) = 0;
};

/// The application title of every box that gives no other.
inline const char* const kAppTitle = "Tamberlin";
/// The title of the archive engine's error boxes.
inline const char* const kEngineErrorTitle = "Veldra";

}  // namespace tamberlin
