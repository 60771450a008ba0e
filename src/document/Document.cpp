#include "document/Document.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/SafeFile.h"

namespace wlg {

namespace fs = std::filesystem;

namespace {

// The header line that names the design's own file inside a recovery copy.
// The loader skips every line before "Designer", so the copy stays a plain
// pattern file.
constexpr std::string_view kOriginalNote = "Unsaved copy of: ";

bool Set(const char* v) { return v && *v; }

std::string SlotName(int slot) {
  return slot == 1 ? "recovery" : "recovery-" + std::to_string(slot);
}

// Offset of the first line that is exactly "Designer", or npos.
size_t DesignerLine(std::string_view text) {
  constexpr std::string_view kHeader = "Designer";
  for (size_t start = 0; start < text.size();) {
    if (text.substr(start, kHeader.size()) == kHeader) {
      const size_t end = start + kHeader.size();
      if (end == text.size() || text[end] == '\r' || text[end] == '\n') return start;
    }
    const size_t eol = text.find('\n', start);
    if (eol == std::string_view::npos) break;
    start = eol + 1;
  }
  return std::string_view::npos;
}

}  // namespace

std::string RecoveryFolderFor(const char* xdgStateHome, const char* home) {
  // Relative values are to be ignored, as for every XDG base folder.
  if (Set(xdgStateHome) && xdgStateHome[0] == '/') return std::string(xdgStateHome) + "/whirligons";
  return std::string(Set(home) ? home : "") + "/.local/state/whirligons";
}

std::string DefaultRecoveryFolder() {
  return RecoveryFolderFor(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
}

// ---- the recovery copy

RecoveryCopy::~RecoveryCopy() { Release(); }

bool RecoveryCopy::Open(const std::string& folder) {
  Release();
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder, ec)) return false;
  for (int slot = 1; slot <= MaxSlots; ++slot) {
    const std::string base = folder + "/" + SlotName(slot);
    // Not inherited by the helper programs we start, which would hold the
    // slot after we are gone.
    const int fd = ::open((base + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      lockFd_ = fd;
      path_ = base + ".wlg";
      owned_ = false;
      return true;
    }
    const int err = errno;
    ::close(fd);
    if (err != EWOULDBLOCK) return false;
  }
  return false;
}

void RecoveryCopy::Release() {
  if (lockFd_ >= 0) ::close(lockFd_);
  lockFd_ = -1;
  path_.clear();
  owned_ = false;
}

bool RecoveryCopy::Exists() const {
  std::error_code ec;
  return IsOpen() && fs::is_regular_file(path_, ec);
}

bool RecoveryCopy::Write(std::string_view patternText, const std::string& originalPath,
                         std::string* error) {
  if (!IsOpen()) return false;
  std::string text(patternText);
  const bool oneLine = originalPath.find_first_of("\r\n") == std::string::npos;
  const size_t at = DesignerLine(text);
  if (!originalPath.empty() && oneLine && at != std::string::npos)
    text.insert(at, std::string(kOriginalNote) + originalPath + "\r\n");
  if (!WriteFileAtomically(path_, text, error)) return false;
  owned_ = true;
  return true;
}

std::string RecoveryCopy::OriginalPath() const {
  std::ifstream in(path_, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  const std::string_view header = std::string_view(text).substr(0, DesignerLine(text));
  for (size_t start = 0; start < header.size();) {
    size_t eol = header.find('\n', start);
    if (eol == std::string_view::npos) eol = header.size();
    std::string_view line = header.substr(start, eol - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.substr(0, kOriginalNote.size()) == kOriginalNote)
      return std::string(line.substr(kOriginalNote.size()));
    start = eol + 1;
  }
  return {};
}

void RecoveryCopy::Remove() {
  std::error_code ec;
  if (!path_.empty()) fs::remove(path_, ec);
  owned_ = false;
}

// ---- the document

Document::Document(std::function<std::string(const std::tm&)> patternText,
                   std::function<void(std::string&)> designKey)
    : patternText_(std::move(patternText)), designKey_(std::move(designKey)) {}

std::string Document::DisplayName() const {
  return fileName_.empty() ? kUntitled : fs::path(fileName_).filename().string();
}

std::string Document::Caption(const std::string& appCaption) const {
  if (fileName_.empty() && !modified_) return appCaption;
  return (modified_ ? "*" : "") + DisplayName() + " - " + appCaption;
}

std::string_view Document::DesignPart(std::string_view patternText) {
  const size_t at = DesignerLine(patternText);
  return at == std::string_view::npos ? patternText : patternText.substr(at);
}

std::string Document::DesignText() const {
  // Any fixed date: only the design part is compared.
  const std::tm noDate{};
  return std::string(DesignPart(patternText_(noDate)));
}

void Document::UpdateCurrentText() {
  // Writing the whole design is most of what a check costs, and mostly
  // nothing changed since the last one.
  if (!designKey_) {
    currentText_ = DesignText();
    return;
  }
  designKey_(nextKey_);
  if (currentKey_ && nextKey_ == *currentKey_) return;
  currentText_ = DesignText();
  if (!currentKey_) currentKey_.emplace();
  currentKey_->swap(nextKey_);
}

bool Document::Refresh() {
  UpdateCurrentText();
  const bool was = modified_;
  modified_ = !cleanText_ || currentText_ != *cleanText_;
  return modified_ != was;
}

void Document::MarkClean(const std::string& path) {
  std::error_code ec;
  const fs::path full = path.empty() ? fs::path() : fs::absolute(path, ec);
  fileName_ = path.empty() || ec ? path : full.lexically_normal().string();
  UpdateCurrentText();
  cleanText_ = currentText_;
  modified_ = false;
  RemoveOwnCopy();
}

std::string Document::SaveOffer(const std::string& ext, const std::string& lastName) const {
  const fs::path design(fileName_), last(lastName);
  fs::path folder;
  if (const auto kind = saveFolders_.find(ext); kind != saveFolders_.end())
    folder = kind->second;
  else
    folder = last.has_parent_path() ? last.parent_path() : design.parent_path();
  const fs::path stem = !fileName_.empty() ? design.stem() : last.stem();
  if (stem.empty()) return folder.string();
  return (folder / stem).string() + "." + ext;
}

void Document::SaveChosen(const std::string& ext, const std::string& path) {
  saveFolders_[ext] = fs::path(path).parent_path().string();
}

void Document::MarkRecovered(const std::string& originalPath) {
  fileName_ = originalPath;
  cleanText_.reset();
  Refresh();
}

void Document::RemoveOwnCopy() {
  if (recovery_.Owned()) recovery_.Remove();
  copiedText_.clear();
  lastWrite_.reset();
  lastWriteFailed_ = false;
}

void Document::Tick(Clock::time_point now) {
  Refresh();
  if (!recovery_.IsOpen()) return;
  if (!modified_) {
    RemoveOwnCopy();
    return;
  }
  if (recovery_.Owned() && currentText_ == copiedText_) return;
  const auto wait = lastWriteFailed_ ? RetryAfterFailure : WriteInterval;
  if (lastWrite_ && now - *lastWrite_ < wait) return;
  lastWrite_ = now;

  // The copy carries its real date, as a saved file would.
  const std::time_t wall = std::time(nullptr);
  std::tm local{};
  localtime_r(&wall, &local);
  const std::string text = patternText_(local);
  // A failed write is not worth a message every few seconds: it is tried
  // again a while later, and a save is what really keeps the design.
  lastWriteFailed_ = !recovery_.Write(text, fileName_, nullptr);
  if (!lastWriteFailed_) copiedText_ = std::string(DesignPart(text));
}

void Document::Close() {
  RemoveOwnCopy();
  // Released: nothing is written any more.
  recovery_.Release();
}

}  // namespace wlg
