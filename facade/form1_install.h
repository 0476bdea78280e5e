#pragma once
// The installation, as methods of the wizard's window Form1: reading "ins.cfg", running its
// lines against the game folder, and the bridges of its archive commands to the archive engine.
// The wizard's Form1 derives from this class; the headless `tamberlin install` uses it alone.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "facade/archive_set.h"
#include "facade/module1.h"
#include "installscript/script.h"
#include "installscript/script_file.h"
#include "ui/entry_list.h"
#include "ui/status_line.h"

namespace tamberlin {

class FileSystem;
class MessageBoxes;
namespace journal {
class InstallJournal;
}

/// What the installation needs from the window beyond its status line and message boxes.
class InstallWindow {
 public:
  virtual ~InstallWindow() = default;
  virtual void setFocus() {}
  virtual void makeVisible() {}
  /// Before script line `index` (0-based) of `total` runs; `line` is the line's text.
  virtual void lineStarted(std::size_t /*index*/, std::size_t /*total*/,
                           const std::string& /*line*/) {}
  /// After script line `index` of `total` has run.
  virtual void lineDone(std::size_t /*index*/, std::size_t /*total*/) {}
};

class Form1Install {
 public:
  static constexpr std::size_t kMaxLines = kMaxScriptLines;

  Form1Install(FileSystem& fs, MessageBoxes& boxes, StatusLine& label2, InstallWindow& window);
  virtual ~Form1Install();

  // Window state used by the installation.
  std::string saPath;                 ///< the game folder
  std::vector<std::string> insLines;  ///< kMaxLines slots
  float numNumHH = 0;                 ///< lines read
  std::int16_t forceCloseInt = 0;     ///< 1 once the installation has completed
  std::string Label6 = "Label6";      ///< hidden holder of a command's operand text
  ListBox List1;                      ///< hidden list of the archive's entry names
  Module1 module1;                    ///< the archive engine
  /// Keep the install journal in the game folder (journal/): what the run changes can be taken
  /// back, and a run of the same script after a stop goes on at the line where it stopped.
  bool keepJournal = true;

  /// Appends the lines of "ins.cfg" (current folder; CR, CR LF or LF end a line; decoded from
  /// the ANSI code page) to insLines from slot numNumHH on. Error 52 when the script cannot be
  /// opened, 9 past kMaxLines lines.
  void ReadINS();
  /// Runs lines 0 .. numNumHH - 1 in order against saPath. The first error stops it and passes
  /// up, naming the line; what earlier lines did stays done. Archive changes defer their last
  /// flush while it runs; it returns or passes an error up only after its changes are on stable
  /// storage (a failure to get them there is an error too).
  void AnalyseINS();
  /// Plans lines 0 .. numNumHH - 1 against saPath before anything changes: a line that would
  /// end the installation with an error ends it now, with that error, and nothing changed.
  void checkBeforeChanging();
  /// Runs the whole installation. Ends the program (throws ProgramEnd{0}) after
  /// "Installation Complete"; an error that no routine handles escapes as a RuntimeError.
  void ImgInstall();
  /// Gives the lowest entry named `inStra` of the archive at module1.imgPath (entries added
  /// this run included) the bytes of the file `outStra`. Error 53, with nothing changed, when
  /// the archive, the entry or the file is missing.
  void RepInIMGSys(const std::string& inStra, const std::string& outStra);
  /// Shows the file's path in an OK box, then adds the file to the archive at module1.imgPath.
  void AddinImgSys(const std::string& ffInputOmega);

  /// Commands that ran to their end in this run (a failed one does not count).
  std::size_t commandsDone() const { return commandsDone_; }
  /// The archives the run has read or changed, as their lines named them.
  std::vector<std::string> archivePaths() const { return archives_.paths(); }
  /// The installation this run's journal keeps (0 without a journal, or when it changed nothing).
  unsigned installNumber() const { return installNumber_; }
  /// The complete installation of the same script that this run took back first (0: none).
  unsigned tookBack() const { return tookBack_; }
  /// Lines an earlier run of the same installation had done, skipped in this one.
  std::size_t linesResumed() const { return linesResumed_; }

  /// The scratch file that turns a command's operand text into fields, in the current folder.
  static constexpr const char* kScratchFile = tamberlin::kScratchFile;
  /// The install script, in the current folder.
  static constexpr const char* kScriptFile = tamberlin::kScriptFile;

 protected:
  FileSystem& fs_;
  MessageBoxes& boxes_;
  StatusLine& label2_;
  InstallWindow& window_;

 private:
  /// Runs script line `index` (1-based number index + 1), recognised as `line`.
  void runCommand(std::size_t index, const RecognisedLine& line);
  /// Runs the command of line `index`, its fields as read back from the scratch file.
  void runCommandFields(std::size_t index, const script::Command& command);
  /// Sets Label6 to `operand`, writes it to the scratch file as one line and returns the
  /// file's text as read back.
  std::string throughScratch(const std::string& operand);

  /// Makes the name changes of this run (copies renamed into place, files deleted, folders made)
  /// durable: each folder once, not once per file.
  void syncChangedFolders();
  /// Puts what the run changed on stable storage: the folders whose names it changed and the
  /// archives whose last flush was deferred. Tries all; throws the first failure. Turns deferral
  /// off.
  void makeDurable();
  /// makeDurable on a run that is ending with an error already: its own failures are dropped
  /// (false when there was one).
  bool makeDurableQuietly();

  /// Starts the journal of this run (keepJournal): a new installation, or the stopped one of
  /// the same script resumed, or the complete one taken back first.
  void startJournal();
  /// The journal's record of how the run ended; its own failure is dropped.
  /// `durable`: the run's changes reached the disk, so its lines count as done.
  void stopJournalQuietly(std::size_t line, int error, const std::string& text, bool durable);
  /// The archive of a REPINIMG or ADDINIMG line `field` (full path `path`), named to the journal.
  Module1& archiveEngine(const std::string& field, const std::string& path);

  std::unique_ptr<journal::InstallJournal> journal_;
  std::string archiveField_;  ///< the archive field of the line running
  unsigned installNumber_ = 0;
  unsigned tookBack_ = 0;
  std::size_t linesResumed_ = 0;
  ArchiveSet archives_;                   ///< one directory per archive the script names
  std::set<std::string> changedFolders_;  ///< folders with name changes not yet synced
  std::size_t commandsDone_ = 0;
};

}  // namespace tamberlin
