#pragma once
// The open design as a document: which file it is, whether it holds changes
// that file does not have, and the crash-recovery copy kept while it does.
// The windows ask it; they keep no flags of their own.

#include <chrono>
#include <ctime>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace wlg {

inline constexpr const char* kUntitled = "Untitled";
inline constexpr const char* kRestoreTitle = "Restore unsaved design";
inline constexpr const char* kRestoreQuestion =
    "Whirligons did not close properly last time.\r\nRestore the design that was not saved?";

// $XDG_STATE_HOME/whirligons, or ~/.local/state/whirligons when that is unset
// or not absolute. Either variable may be null.
std::string RecoveryFolderFor(const char* xdgStateHome, const char* home);
std::string DefaultRecoveryFolder();

// The crash-recovery copy: a pattern file in the state folder, replaced
// whole at every write. Each running program holds one slot (recovery.wlg;
// a second program running at the same time recovery-2.wlg, and so on)
// through an advisory lock on the slot's .lock file, which the system drops
// however the program ends. So a copy found in a slot just claimed was left
// by a program that did not close properly, and one program's clean exit
// never touches another's copy.
class RecoveryCopy {
 public:
  static constexpr int MaxSlots = 8;

  RecoveryCopy() = default;
  ~RecoveryCopy();
  RecoveryCopy(const RecoveryCopy&) = delete;
  RecoveryCopy& operator=(const RecoveryCopy&) = delete;

  // Claims the first free slot in 'folder', made when missing. False when the
  // folder cannot be used: then no copy is kept, and nobody is told.
  bool Open(const std::string& folder);
  void Release();
  bool IsOpen() const { return lockFd_ >= 0; }
  const std::string& Path() const { return path_; }

  // A copy is in the slot (left by an earlier run, or written by this one).
  bool Exists() const;
  // Whether this run wrote the copy or took it over; only then may the run
  // remove it.
  bool Owned() const { return owned_; }
  void Adopt() { owned_ = true; }

  // 'patternText' with the design's own file name noted among the header
  // lines the loader skips.
  bool Write(std::string_view patternText, const std::string& originalPath, std::string* error);
  // The design's own file name noted in the copy; empty when there was none.
  std::string OriginalPath() const;
  void Remove();

 private:
  std::string path_;
  int lockFd_ = -1;
  bool owned_ = false;
};

class Document {
 public:
  using Clock = std::chrono::steady_clock;
  // The recovery copy follows the design at most this often, and after a
  // failed write waits longer before trying again.
  static constexpr std::chrono::milliseconds WriteInterval{1000};
  static constexpr std::chrono::milliseconds RetryAfterFailure{30000};

  // 'patternText' returns the pattern file the design would be saved as now,
  // dated 'created'. 'designKey', when given, fills a key that stays the same
  // while the design part of that text does (see DesignKey): the text is then
  // not written again to be compared.
  explicit Document(std::function<std::string(const std::tm& created)> patternText,
                    std::function<void(std::string& key)> designKey = {});

  // The file the design was last loaded from or saved to; empty for one
  // never saved.
  const std::string& FileName() const { return fileName_; }
  // The file name without its folder, or "Untitled".
  std::string DisplayName() const;
  bool Modified() const { return modified_; }
  // "Whirligons v1.14" for an untouched new design, else "NAME - ..." with a
  // leading "*" while there are unsaved changes.
  std::string Caption(const std::string& appCaption) const;

  // Compares the design with the file again; true when Modified() changed.
  bool Refresh();
  // The design as it is now counts as unchanged: a fresh start (no file) or
  // the file 'path' just loaded or saved. A copy this run kept goes.
  void MarkClean(const std::string& path);
  // The design just came back from the recovery copy: it is unsaved, and
  // belongs to 'originalPath' (empty when it had no file).
  void MarkRecovered(const std::string& originalPath);

  // What a window's save dialog for files of extension 'ext' ("bmp") offers:
  // the design's name, else the window's own last name ('lastName'), with
  // 'ext' in place of its extension, in the folder last chosen for that
  // kind, else the folder of 'lastName', else the design's. Just the folder
  // when there is no name; empty when there is nothing to go by.
  std::string SaveOffer(const std::string& ext, const std::string& lastName = {}) const;
  // A save dialog for 'ext' chose 'path': the next one opens in its folder.
  void SaveChosen(const std::string& ext, const std::string& path);

  RecoveryCopy& recovery() { return recovery_; }
  // Refresh, then keep the recovery copy in step with the design: written
  // when it changed (no more often than WriteInterval), removed once the
  // design matches its file again. Time is passed in, so the decision can be
  // driven without waiting.
  void Tick(Clock::time_point now);
  // A clean exit: the copy goes and nothing is written any more.
  void Close();

  // The part of a pattern text the loader reads: from the "Designer" line
  // on. The header lines (save time, creator name) are not the design.
  static std::string_view DesignPart(std::string_view patternText);

 private:
  std::string DesignText() const;
  // currentText_ made to follow the design.
  void UpdateCurrentText();
  void RemoveOwnCopy();

  std::function<std::string(const std::tm&)> patternText_;
  std::function<void(std::string&)> designKey_;
  std::string fileName_;
  std::optional<std::string> cleanText_;  // none after a recovery: unsaved until saved
  std::string currentText_;
  std::optional<std::string> currentKey_;  // the design's key when currentText_ was written
  std::string nextKey_;
  bool modified_ = false;

  std::map<std::string, std::string> saveFolders_;  // by extension

  RecoveryCopy recovery_;
  std::string copiedText_;  // the design part the copy holds
  std::optional<Clock::time_point> lastWrite_;
  bool lastWriteFailed_ = false;
};

}  // namespace wlg
