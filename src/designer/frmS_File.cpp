// The File menu's pattern commands.

#include <ctime>
#include <memory>

#include "controls/Progress.h"
#include "designer/frmS.h"
#include "document/PatternFile.h"

namespace wlg {

struct frmS::FileState {
  frmProgress dialog;
  ProgressReporter reporter{dialog};
};

frmProgress& frmS::ProgressDialog() { return file_->dialog; }
ProgressReporter& frmS::Progress() { return file_->reporter; }

void frmS::WireFileHandlers() {
  file_ = std::make_shared<FileState>();
  file_->reporter.letPendingInputRun = [this] { p_.processEvents(); };

  auto wire = [this](const char* name, void (frmS::*handler)()) {
    MenuItem& item = Menu(name);
    item.onClick = [this, handler](int) { (this->*handler)(); };
    item.SetEnabled(true);
  };
  wire("mnuFileLoad", &frmS::mnuFileLoad_Click);
  wire("mnuFileSave", &frmS::mnuFileSave_Click);

  openCommandLineFile = [this] { mnuFileLoad_Click(); };
}

void frmS::mnuFileSave_Click() {
  FileDialogRequest request;
  request.title = "Saving Whirligon configuration";
  request.filter = "Whirligon files|*.wlg";
  request.defaultExt = "wlg";
  request.confirmOverwrite = true;
  const auto path = p_.prompts.SaveFile(request);
  if (!path) return;

  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string text = WritePattern(p_, {this, p_.view3D, p_.tessellator}, local);
  std::string reason;
  if (!SavePatternFile(*path, text, reason))
    p_.prompts.Message(kAppTitle, std::string(kPatternSaveFailed) + "\r\n" + reason, Buttons::OK,
                       Icon::Warning);
  else
    RememberRecentFile(*path);
}

void frmS::mnuFileLoad_Click() {
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
    p_.prompts.Tell(kPatternLoadFailed);
  };

  // The whole file is read and checked before anything changes, so a broken
  // file costs the user nothing: the message comes and the design stays.
  std::string text, reason;
  if (!ReadPatternFile(path, text, reason)) return failed({0, reason}, false);
  {
    auto scratch = std::make_unique<Program>(p_.prompts);
    const PatternLoadResult check = ReadPattern(text, *scratch, {}, {});
    if (!check.ok) return failed(check.error, false);
  }

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
  const PatternLoadResult result = ReadPattern(text, p_, {this, p_.view3D, p_.tessellator}, hooks);
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
  RememberRecentFile(path);
}

}  // namespace wlg
