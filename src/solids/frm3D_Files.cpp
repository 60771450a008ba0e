// The 3D window's menus: the pattern save, pictures, OBJ, glTF, VRML and
// print files, the clipboard, the VRML options and leaving the 3D view.

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <optional>

#include "animation/FoldUp.h"
#include "animation/SpinFrames.h"
#include "controls/Progress.h"
#include "designer/frmS.h"
#include "platform/Numbers.h"
#include "solids/SolidExport.h"
#include "solids/SolidGltf.h"
#include "solids/SolidNet.h"
#include "solids/frm3D.h"

namespace wlg {

namespace {

// A length typed in a dialog, from lo to hi millimetres.
std::optional<double> ReadMm(const std::string& typed, double lo, double hi) {
  const std::string text = TrimSpaces(typed);
  char* end = nullptr;
  const double mm = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !(mm >= lo && mm <= hi))
    return std::nullopt;
  return mm;
}

// The chosen name when it ends in one of the kinds, else with the first kind.
std::string WithKind(const std::string& chosen, std::initializer_list<std::string> kinds) {
  const std::string ext = FileExtension(chosen);
  for (const std::string& k : kinds)
    if (ext == k) return chosen;
  const std::string& first = *kinds.begin();
  return PictureOutputName(chosen, first).value_or(chosen + "." + first);
}

}  // namespace

void frm3D::WireFiles() {
  auto wire = [this](const char* name, void (frm3D::*handler)()) {
    Menu(name).onClick = [this, handler](int) { (this->*handler)(); };
  };
  wire("mnuFileSave", &frm3D::mnuFileSave_Click);
  Menu("mnuFileSaveAs").onClick = [this](int) { designer_.mnuFileSaveAs_Click(); };
  Menu("mnuFileSaveBMP", 0).onClick = [this](int i) { mnuFileSaveBMP_Click(i); };
  Menu("mnuFileSaveBMP", 1).onClick = [this](int i) { mnuFileSaveBMP_Click(i); };
  wire("mnuFileSaveOBJ", &frm3D::mnuFileSaveOBJ_Click);
  wire("mnuFileSaveGLTF", &frm3D::mnuFileSaveGLTF_Click);
  wire("mnuFileSaveVRML2", &frm3D::mnuFileSaveVRML2_Click);
  wire("mnuFileSaveNet", &frm3D::mnuFileSaveNet_Click);
  wire("mnuFileSave3MF", &frm3D::mnuFileSave3MF_Click);
  wire("mnuFileSaveAnimation", &frm3D::mnuFileSaveAnimation_Click);
  wire("mnuFileSaveFoldUp", &frm3D::mnuFileSaveFoldUp_Click);
  wire("mnuFileExit3D", &frm3D::mnuFileExit3D_Click);
  wire("mnuCopy", &frm3D::mnuCopy_Click);
  wire("mnuEditVRMLLines", &frm3D::mnuEditVRMLLines_Click);
  wire("mnuEditVRMLSmooth", &frm3D::mnuEditVRMLSmooth_Click);
}

void frm3D::mnuFileSave_Click() { designer_.mnuFileSave_Click(); }

void frm3D::mnuFileSaveBMP_Click(int index) {
  const bool jpg = index == 1;
  FileDialogRequest r;
  r.title = jpg ? "Saving 3D Whirligon jpg" : "Saving 3D Whirligon bmp";
  r.filter = jpg ? "JPG files|*.jpg" : "BMP files|*.bmp";
  r.defaultExt = jpg ? "jpg" : "bmp";
  r.confirmOverwrite = true;
  const auto chosen = designer_.AskSaveName(r, DialogFileName);
  if (!chosen) return;
  // Whatever extension was typed, the file gets the kind's own; a name
  // without a usable one writes nothing.
  const auto name = PictureOutputName(*chosen, jpg ? "jpg" : "bmp");
  if (!name) return;
  std::string error;
  if (!SavePicture(*name, jpg ? PictureKind::JPG : PictureKind::BMP, &error))
    p_.prompts.Tell(std::string(PictureFailed) + "\r\n" + error);
}

void frm3D::SaveScene(const FileDialogRequest& dialog, const char* failed,
                      bool (frm3D::*save)(const std::string&, std::string*)) {
  const auto chosen = designer_.AskSaveName(dialog, DialogFileName);
  if (!chosen) return;
  p_.processEvents();
  std::string error;
  if (!(this->*save)(*chosen, &error)) p_.prompts.Tell(std::string(failed) + "\r\n" + error);
}

void frm3D::mnuFileSaveOBJ_Click() { SaveScene(ObjSaveDialog(), ObjFailed, &frm3D::SaveObj); }

void frm3D::mnuFileSaveGLTF_Click() { SaveScene(GltfSaveDialog(), GltfFailed, &frm3D::SaveGltf); }

void frm3D::mnuFileSaveVRML2_Click() { SaveScene(VrmlSaveDialog(), VrmlFailed, &frm3D::SaveVrml); }

void frm3D::mnuFileSaveNet_Click() {
  FileDialogRequest request{
      "Saving 3D Whirligon as a net", "PDF files|*.pdf|SVG files|*.svg", "pdf", {}, true};
  std::vector<FileDialogOption> options = {
      {NetLetterOption, LastNetOptions.page == PageSize::Letter, 0},
      {NetLaserOption, LastNetOptions.laser, 0},
      {NetEngraveOption, LastNetOptions.engrave, 0},
      {NetTabNumbersOption, LastNetOptions.numbers == NetNumbers::Tabs, 1},
      {NetNoNumbersOption, LastNetOptions.numbers == NetNumbers::None, 1}};
  request.options = &options;
  const auto chosen = designer_.AskSaveName(request, DialogFileName);
  if (!chosen) return;
  NetOptions o;
  o.page = options[0].checked ? PageSize::Letter : PageSize::A4;
  o.laser = options[1].checked;
  // Engraving asked for makes it a laser file: nothing else engraves.
  o.engrave = options[2].checked;
  o.laser = o.laser || o.engrave;
  o.numbers = options[3].checked   ? NetNumbers::Tabs
              : options[4].checked ? NetNumbers::None
                                   : NetNumbers::Both;
  const auto edge = p_.prompts.InputBox(NetEdgeTitle, NetEdgePrompt,
                                        FormatSingle(static_cast<float>(LastNetOptions.edgeMm)));
  if (!edge) return;
  const auto mm = ReadMm(*edge, 0, kMaxNetEdgeMm);
  if (!mm || !ValidNetEdge(*mm)) {
    p_.prompts.Tell(std::string(NetFailed) + "\r\n" + "The edge length must be 0, or from 1 to " +
                    "2000 millimetres.");
    return;
  }
  o.edgeMm = *mm;
  LastNetOptions = o;
  // An SVG when asked for by name, otherwise a PDF.
  const std::string name = WithKind(*chosen, {"pdf", "svg"});
  p_.processEvents();
  std::string error;
  if (!SaveNet(name, o, &error)) p_.prompts.Tell(std::string(NetFailed) + "\r\n" + error);
}

void frm3D::mnuFileSave3MF_Click() {
  // No more filaments than palette colours.
  constexpr int most = static_cast<int>(Palette16.size());
  std::vector<std::string> counts{PrintAllColours};
  for (int n = 1; n <= most; ++n) counts.push_back(std::to_string(n));
  PrintFileOptions o = LastPrintOptions;
  std::vector<FormField> fields{
      {PrintEdgeLabel, FormatSingle(static_cast<float>(o.mesh.edgeMm)), {}},
      {PrintColoursLabel, counts[std::clamp(o.colours, 0, most)], counts},
      {PrintReliefLabel, FormatSingle(static_cast<float>(LastReliefMm)), {}, o.mesh.reliefMm > 0}};
  for (;;) {
    if (!p_.prompts.EditForm(PrintTitle, fields)) return;
    const auto edge = ReadMm(fields[0].value, kMinPrintEdgeMm, kMaxPrintEdgeMm);
    const auto relief = ReadMm(fields[2].value, 0, kMaxReliefMm);
    const bool raised = fields[2].checked.value_or(false);
    if (edge && (!raised || (relief && *relief > 0))) {
      o.mesh.edgeMm = *edge;
      o.mesh.reliefMm = raised ? *relief : 0;
      if (raised) LastReliefMm = *relief;
      break;
    }
    p_.prompts.Tell(PrintNumbers);
  }
  const auto count = std::find(counts.begin(), counts.end(), fields[1].value);
  o.colours = count == counts.end() ? 0 : static_cast<int>(count - counts.begin());
  LastPrintOptions = o;

  FileDialogRequest request{
      "Saving 3D Whirligon as 3MF", "3MF files|*.3mf|STL files|*.stl", "3mf", {}, true};
  const auto chosen = designer_.AskSaveName(request, DialogFileName);
  if (!chosen) return;
  // An STL when asked for by name (or by its filter), otherwise a 3MF.
  const std::string name = WithKind(*chosen, {"3mf", "stl"});
  p_.processEvents();
  std::string note, error;
  if (!SavePrint(name, o, &note, &error)) {
    const bool stl = FileExtension(name) == "stl";
    p_.prompts.Tell(std::string(stl ? StlFailed : ThreeMfFailed) + "\r\n" + error);
  } else if (!note.empty()) {
    p_.prompts.Message(kAppTitle, note, Buttons::OK, Icon::Information);
  }
}

void frm3D::mnuFileSaveAnimation_Click() {
  SaveAnimationCommand(designer_, "Saving 3D Whirligon animation", LastAnimation, DialogFileName,
                       this, [this](int frames) -> std::unique_ptr<FrameSource> {
                         return std::make_unique<SolidSpin>(*this, p_.design.solid, frames);
                       });
}

void frm3D::mnuFileSaveFoldUp_Click() {
  SaveAnimationCommand(designer_, "Saving 3D Whirligon fold-up", LastAnimation, DialogFileName,
                       this, [this](int frames) -> std::unique_ptr<FrameSource> {
                         std::string why;
                         auto folding = FoldUp::Make(*this, p_.design.solid, frames, &why);
                         if (!folding) p_.prompts.Tell(std::string(FoldUpFailed) + "\r\n" + why);
                         return folding;
                       });
}

bool frm3D::SavePicture(const std::string& path, PictureKind kind, std::string* error,
                        bool smooth) {
  const ImageCanvas& c = pic3D().canvas;
  return WritePicture(smooth ? c.DisplayImage() : c.Image(), path, kind, error);
}

bool frm3D::SaveObj(const std::string& path, std::string* error) {
  return SaveObj(path, error, false);
}

bool frm3D::SaveObj(const std::string& path, std::string* error, bool exact) {
  // The save dialog asked about the mesh's own name only. Kept materials
  // still go with the mesh: its mtllib line names them either way.
  const bool replaceMtl = MayReplace(p_.prompts, MtlPath(path));
  return WriteObjFile(p_.design.solid, path, replaceMtl, error, exact);
}

bool frm3D::SavePrint(const std::string& path, const PrintFileOptions& options, std::string* note,
                      std::string* error) {
  return SavePrintFile(p_.design.solid, options, path, note, error);
}

bool frm3D::SaveGltf(const std::string& path, std::string* error) {
  return WriteGltfFile(p_.design.solid, path, error);
}

bool frm3D::SaveVrml(const std::string& path, std::string* error) {
  VrmlOptions options;
  options.lines = Menu("mnuEditVRMLLines").Checked();
  options.smooth = Menu("mnuEditVRMLSmooth").Checked();
  // The scene's sky is the palette colour itself, whatever the desktop's
  // button face looks like.
  options.background = PaletteColour(Entry("vsBack3D", 1).Integer());
  ProgressReporter& progress = designer_.Progress();
  progress.state = {"Saving VRML2...", this};
  return WriteVrmlFile(p_.design.solid, options, &progress, path, error);
}

bool frm3D::SaveNet(const std::string& path, const NetOptions& options, std::string* error) {
  return SaveNetFile(p_.design.solid, options, path, error);
}

void frm3D::mnuFileExit3D_Click() {
  p_.design.SolidName = "1";
  Hide();
}

void frm3D::mnuCopy_Click() {
  if (copyToClipboard) copyToClipboard(pic3D().canvas.Image());
}

void frm3D::mnuEditVRMLLines_Click() {
  MenuItem& item = Menu("mnuEditVRMLLines");
  item.SetChecked(!item.Checked());
  designer_.VLines = item.Checked();
}

void frm3D::mnuEditVRMLSmooth_Click() {
  MenuItem& item = Menu("mnuEditVRMLSmooth");
  item.SetChecked(!item.Checked());
  designer_.VSmooth = item.Checked();
}

}  // namespace wlg
