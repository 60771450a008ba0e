// Start-up, activation and shut-down of the designer window.

#include <algorithm>

#include "designer/frmS.h"
#include "platform/Numbers.h"
#include "shell/Help.h"

namespace wlg {

namespace {
bool ReadBool(const SettingsStore& store, const std::string& key) {
  const auto v = store.Get(key);
  return v && EqualsNoCase(TrimSpaces(*v), "True");
}
const char* BoolText(bool b) { return b ? "True" : "False"; }
}  // namespace

void frmS::Form_Load(const std::string& commandLine) {
  p_.SuppressEvents = true;
  SetCaption(std::string("Whirligons v") + Version);

  p_.persisted.Restore(settings_);

  Menu("mnuEditSnap").SetChecked(ReadBool(settings_, "Snap"));
  Menu("mnuEditDisableTessChecks").SetChecked(ReadBool(settings_, "DisableTessChecks"));
  VLines = ReadBool(settings_, "VLines");
  VSmooth = ReadBool(settings_, "VSmooth");
  SmoothEdges = ReadBool(settings_, "SmoothEdges");
  if (auto r = settings_.Get("SnapRadius")) {
    // The radius is 1..10 wherever it is set; an odd stored value falls back.
    const float v = static_cast<float>(Val(*r));
    p_.design.SnapRadius = (v >= 1 && v <= 10) ? v : 5.0f;
  }
  UpdateSnapRadiusCaptions();
  p_.design.CreatorName = settings_.Get("CreatedBy").value_or("");

  p_.design.CustomColours = Palette16;
  if (startupRestored) startupRestored();
  p_.design.CanvasCentre = {TileCanvasSize / 2.0f, TileCanvasSize / 2.0f};

  p_.design.SelectedSlot = 0;
  for (int k = 0; k <= LastSlot; ++k) p_.design.PointCount[k] = vs("vsN", k).Integer();

  ShowTab(0);
  for (int t = 0; t < TileCount; ++t) {
    chk("chkHideLine", 3 * t).SetValue(0);
    chk("chkHideLine", 3 * t + 1).SetValue(0);
  }

  ClearAll();
  for (int t = LastTile; t >= 0; --t) {
    p_.design.CurrentTile = t;
    DrawPolygon();
  }
  // Every rank frame shows its first rank chosen; only tile 1's is selected.
  for (int t = 1; t < TileCount; ++t) optRank(RanksPerTile * t).SetValueQuietly(true);
  optRank(0).SetValue(true);
  p_.SuppressEvents = false;

  for (int t = 0; t < TileCount; ++t) {
    ColourEntry(vs("vsFirstCol", t));
    ColourEntry(vs("vsBackground", t));
  }
  // The design the settings gave is a new, unchanged one.
  document().MarkClean("");
  UpdateCaption();

  // A pattern named on the command line. The test is made on the upper-cased
  // text; the name itself keeps its letters, as Linux file names are case
  // sensitive.
  std::string text = TrimSpaces(commandLine);
  if (ToUpper(text).find(".WLG") != std::string::npos) {
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    commandLineFile_ = TrimSpaces(text);
    CommandLineLoad = true;
    if (openCommandLineFile) openCommandLineFile();
    CommandLineLoad = false;
  }

  p_.TessImageChanged = true;

  // The help pages, when they were installed with the program.
  p_.help.HelpFile = FindHelpFile();
}

void frmS::Form_Activate() {
  // The tessellator edits the tile the designer shows.
  if (selectTessTile) selectTessTile(p_.design.CurrentTile);
}

void frmS::Form_QueryUnload() {
  p_.persisted.Save(settings_);
  settings_.Set("CreatedBy", p_.design.CreatorName);
  settings_.Set("Snap", BoolText(Menu("mnuEditSnap").Checked()));
  settings_.Set("SnapRadius", FormatSingle(p_.design.SnapRadius));
  settings_.Set("DisableTessChecks", BoolText(Menu("mnuEditDisableTessChecks").Checked()));
  settings_.Set("VLines", BoolText(VLines));
  settings_.Set("VSmooth", BoolText(VSmooth));
  settings_.Set("SmoothEdges", BoolText(SmoothEdges));
  if (!settings_.Flush())
    p_.prompts.Tell("Sorry, your settings could not be saved; the settings folder may not be writable.");
  p_.AppClosing = true;
  // A clean exit: the recovery copy is not needed any more.
  document().Close();
  for (Form* f : {p_.tessellator, p_.view3D, p_.sphereWrap})
    if (f) f->Hide();
  Hide();
}

void frmS::mnuFileExit_Click() {
  if (QueryClose()) Form_QueryUnload();
}

}  // namespace wlg
