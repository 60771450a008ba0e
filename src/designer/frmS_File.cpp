// The File menu's pattern commands and the document they keep.

#include <ctime>
#include <memory>
#include <utility>

#include "controls/Progress.h"
#include "designer/frmS.h"
#include "document/PatternFile.h"
#include "tessellator/frmT.h"

namespace wlg {

struct frmS::FileState {
  FileState(std::function<std::string(const std::tm&)> patternText,
            std::function<void(std::string&)> designKey)
      : document(std::move(patternText), std::move(designKey)) {}
  frmProgress dialog;
  ProgressReporter reporter{dialog};
  Document document;
};

frmProgress& frmS::ProgressDialog() { return file_->dialog; }
ProgressReporter& frmS::Progress() { return file_->reporter; }
Document& frmS::document() { return file_->document; }

void frmS::WireFileHandlers() {
  file_ = std::make_shared<FileState>(
      [this](const std::tm& created) {
        return WritePattern(p_, {this, p_.view3D, p_.tessellator}, created);
      },
      [this, keys = DesignKeys()](std::string& key) mutable {
        keys.Make(p_, {this, p_.view3D, p_.tessellator}, key);
      });
  file_->reporter.letPendingInputRun = [this] { p_.processEvents(); };

  WireMenu("mnuFileLoad", &frmS::mnuFileLoad_Click);
  WireMenu("mnuFileSave", &frmS::mnuFileSave_Click);
  WireMenu("mnuFileSaveAs", &frmS::mnuFileSaveAs_Click);

  openCommandLineFile = [this] { mnuFileLoad_Click(); };
}

namespace {
// The load message: its first line as it always was, then where and why.
std::string LoadFailedText(const std::string& path, const PatternLoadError& error) {
  std::string text = std::string(kPatternLoadFailed) + "\r\n";
  // A file that could not be read at all is named by its reason already.
  if (error.line == 0) return text + error.reason;
  return text + path + "\r\n" + "line " + std::to_string(error.line) + ": " + error.reason;
}
}  // namespace

void frmS::UpdateCaption() {
  const std::string caption = document().Caption(std::string("Whirligons v") + Version);
  if (caption != Caption()) SetCaption(caption);
}

void frmS::RefreshDocument() {
  document().Refresh();
  UpdateCaption();
}

void frmS::DocumentTick(Document::Clock::time_point now) {
  // Mid-load the design is half this and half that; the end of the load
  // settles it.
  if (p_.SuppressEvents || p_.AppClosing) return;
  document().Tick(now);
  UpdateCaption();
}

bool frmS::SaveChangesFirst() {
  RefreshDocument();
  if (!document().Modified()) return true;
  const Answer answer =
      p_.prompts.Message(kAppTitle, "Save changes to " + document().DisplayName() + "?",
                         Buttons::SaveDiscardCancel, Icon::Warning);
  if (answer == Answer::Save) return SaveDesign(false);
  return answer == Answer::Discard;
}

bool frmS::QueryClose() { return p_.AppClosing || SaveChangesFirst(); }

void frmS::mnuFileSave_Click() { SaveDesign(false); }

void frmS::mnuFileSaveAs_Click() { SaveDesign(true); }

std::optional<std::string> frmS::AskSaveName(FileDialogRequest request, std::string& lastName) {
  request.initialName = document().SaveOffer(request.defaultExt, lastName);
  const auto chosen = p_.prompts.SaveFile(request);
  if (!chosen) return chosen;
  document().SaveChosen(request.defaultExt, *chosen);
  lastName = *chosen;
  return chosen;
}

bool frmS::SaveDesign(bool ask) {
  std::string path = document().FileName();
  if (ask || path.empty()) {
    FileDialogRequest request;
    request.title = "Saving Whirligon configuration";
    request.filter = "Whirligon files|*.wlg";
    request.defaultExt = "wlg";
    request.initialName = path;
    request.confirmOverwrite = true;
    const auto chosen = p_.prompts.SaveFile(request);
    if (!chosen) return false;
    path = *chosen;
  }

  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string text = WritePattern(p_, {this, p_.view3D, p_.tessellator}, local);
  std::string reason;
  if (!SavePatternFile(path, text, reason)) {
    p_.prompts.Message(kAppTitle, std::string(kPatternSaveFailed) + "\r\n" + reason, Buttons::OK,
                       Icon::Warning);
    return false;
  }
  RememberRecentFile(path);
  document().MarkClean(path);
  UpdateCaption();
  return true;
}

void frmS::mnuFileLoad_Click() {
  // Another design is about to replace this one.
  if (!SaveChangesFirst()) return;
  std::string path = commandLineFile_;
  if (!CommandLineLoad) {
    FileDialogRequest request;
    request.title = "Select a Whirligon file";
    request.filter = "Whirligons|*.wlg";
    request.defaultExt = "wlg";
    request.confirmOverwrite = false;
    const auto chosen = p_.prompts.OpenFile(request);
    if (!chosen) return;
    path = *chosen;
  }
  if (!LoadPattern(path)) return;
  RememberRecentFile(path);
  document().MarkClean(path);
  UpdateCaption();
}

void frmS::OfferRecovery() {
  RecoveryCopy& copy = document().recovery();
  if (copy.Owned() || !copy.Exists()) return;
  if (p_.prompts.Message(kRestoreTitle, kRestoreQuestion, Buttons::YesNo, Icon::Question) !=
      Answer::Yes) {
    copy.Remove();
    return;
  }
  const std::string original = copy.OriginalPath();
  // A copy that does not load is no use another time either.
  if (!LoadPattern(copy.Path())) {
    copy.Remove();
    RefreshDocument();
    return;
  }
  // Kept until the design is saved or the program closes properly, in case
  // this run ends badly too.
  copy.Adopt();
  document().MarkRecovered(original);
  UpdateCaption();
}

bool frmS::LoadPattern(const std::string& path) {
  // Each tile is redrawn, and with it thousands of placed tiles: the
  // tessellation is drawn once, at the end.
  std::optional<frmT::RedrawHold> hold;
  if (auto* t = dynamic_cast<frmT*>(p_.tessellator)) hold.emplace(*t);
  lastLoadError_.reset();
  DesignModel& m = p_.design;
  ProgressReporter& progress = Progress();
  progress.state = {"Loading ...", this};

  auto failed = [&](const PatternLoadError& error, bool designTouched) {
    progress.ShowProgress(100);
    lastLoadError_ = LoadError{error.line, error.reason};
    // Whether the designer listens again after a failed load is ours to
    // choose: it does, or every one of its handlers would stay dead until the
    // next good load.
    p_.SuppressEvents = false;
    if (designTouched) {
      m.CurrentTile = TabIndex();
      optRank_Click(RanksPerTile * m.CurrentTile);
    }
    p_.prompts.Tell(LoadFailedText(path, error));
    return false;
  };

  // The whole file is read and checked before anything changes, so a broken
  // file costs the user nothing: the message comes and the design stays.
  std::string text, reason;
  if (!ReadPatternFile(path, text, reason)) return failed({0, reason}, false);
  CheckedPattern pattern;
  if (PatternLoadError error; !pattern.Read(text, error)) return failed(error, false);

  TabsActivate();
  if (hide3D)
    hide3D();
  else if (p_.view3D)
    p_.view3D->Hide();
  p_.KeepTessellation = false;
  for (int t = 0; t < TileCount; ++t) {
    m.CurrentTile = t;
    ClearAll();
  }
  p_.KeepTessellation = true;
  auto clearCanvas = [this, &m] {
    picS(m.CurrentTile).canvas.Clear();
    picS(m.CurrentTile).Invalidate();
  };
  clearCanvas();
  p_.SuppressEvents = true;
  if (markSolidUnbuilt) markSolidUnbuilt();
  progress.ShowProgress(0);

  PatternLoadHooks hooks;
  hooks.progress = [&progress](int percent) { progress.ShowProgress(percent); };
  hooks.updateEdit = updateEdit;
  hooks.clearDesignerCanvas = clearCanvas;
  const PatternLoadResult result = pattern.Apply(p_, {this, p_.view3D, p_.tessellator}, hooks);
  // Rank selection refreshes the point counts of one tile only; every tile
  // is drawn below, so all of them follow their loaded vsN now.
  for (int k = 0; k <= LastSlot; ++k) m.PointCount[k] = vs("vsN", k).Integer();
  if (!result.ok) return failed(result.error, true);

  if (result.solidName) {
    m.SolidName = *result.solidName;
    ShowTab(0);
    for (int t = 0; t < TileCount; ++t) optRank_Click(RanksPerTile * t);
    if (p_.tessellator) p_.tessellator->Hide();
    if (show3D)
      show3D();
    else if (p_.view3D)
      p_.view3D->Show();
  }
  const bool shown3D = p_.view3D && p_.view3D->IsVisible();
  if (!shown3D) {
    for (int t = 0; t < TileCount; ++t) {
      if (t == TabIndex()) continue;
      m.CurrentTile = t;
      DrawPolygon();
    }
  }
  for (int t = 0; t < TileCount; ++t) {
    ColourEntry(vs("vsFirstCol", t));
    ColourEntry(vs("vsBackground", t));
  }
  m.CurrentTile = TabIndex();
  if (!shown3D && p_.tess.TessCount > 1) {
    if (showTessellator)
      showTessellator();
    else if (p_.tessellator)
      p_.tessellator->Show();
  }
  p_.SuppressEvents = false;
  optRank_Click(RanksPerTile * m.CurrentTile);
  progress.ShowProgress(100);
  return true;
}

}  // namespace wlg
