// Saving the tessellation: BMP and JPEG pictures of the canvas, and EMF,
// SVG, PDF and DXF drawings recorded from one redraw through the tile
// renderer.

#include "designer/frmS.h"
#include "imaging/EmfRecorder.h"
#include "imaging/PictureFiles.h"
#include "imaging/VectorDrawing.h"
#include "platform/Numbers.h"
#include "platform/SafeFile.h"
#include "tessellator/frmT.h"

namespace wlg {

namespace {

FileDialogRequest SaveDialog(const char* title, const char* filter, const char* ext) {
  FileDialogRequest r;
  r.title = title;
  r.filter = filter;
  r.defaultExt = ext;
  r.confirmOverwrite = true;
  return r;
}

}  // namespace

void frmT::WireExports() {
  Menu("mnuFileSaveBMP", 0).onClick = [this](int i) { mnuFileSaveBMP_Click(i); };
  Menu("mnuFileSaveBMP", 1).onClick = [this](int i) { mnuFileSaveBMP_Click(i); };
  Menu("mnuFileSaveWMF").onClick = [this](int) { mnuFileSaveWMF_Click(); };
  Menu("mnuFileSaveBMP", 0).SetEnabled(true);
  Menu("mnuFileSaveBMP", 1).SetEnabled(true);
  Menu("mnuFileSaveWMF").SetEnabled(true);
  for (const char* ext : {"svg", "pdf", "dxf"}) {
    MenuItem& m = Menu(std::string("mnuFileSave") + ToUpper(ext));
    m.onClick = [this, ext](int) { mnuFileSaveVector_Click(ext); };
    m.SetEnabled(true);
  }
}

void frmT::ClearHighlight() {
  p_.tess.TessItems[p_.tess.EditItem].Selected = false;
  UpdateTess();
}

void frmT::mnuFileSaveBMP_Click(int index) {
  const bool jpg = index == 1;
  // The highlight goes before the dialog, so the user sees what is saved.
  ClearHighlight();
  const auto chosen =
      designer_.AskSaveName(jpg ? SaveDialog("Saving Whirligon jpg", "JPG files|*.jpg", "jpg")
                                : SaveDialog("Saving Whirligon bmp", "BMP files|*.bmp", "bmp"),
                            SaveName);
  if (!chosen) return;
  // Whatever extension was typed, the file gets the kind's own.
  const auto name = PictureOutputName(*chosen, jpg ? "jpg" : "bmp");
  if (!name) return;
  std::string error;
  if (!SavePicture(*name, jpg ? PictureKind::JPG : PictureKind::BMP, &error))
    p_.prompts.Tell(std::string(SaveFailedMessage) + "\r\n" + error);
}

void frmT::mnuFileSaveWMF_Click() {
  const auto chosen =
      designer_.AskSaveName(SaveDialog("Saving Whirligon emf", "EMF files|*.emf", "emf"), SaveName);
  if (!chosen) return;
  std::string error;
  bool notCreated = false;
  if (SaveMetafile(*chosen, &error, &notCreated)) return;
  if (notCreated)
    p_.prompts.Tell(std::string(EmfRecorder::CreateFailedMessage) + "\r\n" + error);
  else
    p_.prompts.Tell(std::string(SaveFailedMessage) + "\r\n" + error);
}

void frmT::mnuFileSaveVector_Click(const std::string& ext) {
  const std::string upper = ToUpper(ext);
  const std::string title = "Saving Whirligon " + ext;
  const std::string filter = upper + " files|*." + ext;
  FileDialogRequest request = SaveDialog(title.c_str(), filter.c_str(), ext.c_str());
  std::vector<FileDialogOption> options = {
      {"Cut lines only: every edge once, as hairlines", false, 1},
      {"Plotter pens: strokes by colour, short travel", false, 1},
  };
  if (ext == "pdf") {
    options.push_back({"Fit to an A4 page", false, 2});
    options.push_back({"Fit to a Letter page", false, 2});
  }
  request.options = &options;
  // The highlight goes before the dialog, so the user sees what is saved.
  ClearHighlight();
  const auto chosen = designer_.AskSaveName(request, SaveName);
  if (!chosen) return;
  // Whatever extension was typed, the file gets the kind's own.
  const std::string name = PictureOutputName(*chosen, ext).value_or(*chosen + "." + ext);
  VectorOptions o;
  o.mode = options[0].checked ? VectorMode::Cut
           : options[1].checked ? VectorMode::Plot
                                : VectorMode::Picture;
  if (ext == "pdf")
    o.page = options[2].checked ? PageSize::A4 : options[3].checked ? PageSize::Letter
                                                                    : PageSize::Drawing;
  std::string error;
  if (!SaveVector(name, o, &error))
    p_.prompts.Tell(std::string(SaveFailedMessage) + "\r\n" + error);
}

bool frmT::SavePicture(const std::string& path, PictureKind kind, std::string* error,
                       bool smooth) {
  // A fresh redraw: no highlight, and no paint left by a Ctrl+Alt fill.
  ClearHighlight();
  const ImageCanvas& c = picT().canvas;
  return WritePicture(smooth ? c.DisplayImage() : c.Image(), path, kind, error);
}

void frmT::RecordRedraw(PathRecorder& recorder) {
  DesignModel& m = p_.design;
  TileRenderer& r = designer_.renderer();
  // Recording lasts for exactly one redraw, whatever happens in it.
  struct Recording {
    DesignModel& m;
    TileRenderer& r;
    Recording(DesignModel& model, TileRenderer& renderer, PathRecorder& rec)
        : m(model), r(renderer) {
      r.metafile = &rec;
      m.MetafileMode = true;
    }
    ~Recording() {
      m.MetafileMode = false;
      r.metafile = nullptr;
    }
  };
  {
    Recording on(m, r, recorder);
    UpdateTess();
  }
  // The recording redraw left the designer's canvas alone; this one is the
  // ordinary redraw.
  UpdateTess();
}

bool frmT::SaveMetafile(const std::string& path, std::string* error, bool* notCreated) {
  if (notCreated) *notCreated = false;
  const Canvas& canvas = picT().canvas;
  // The name is taken exactly as chosen.
  auto recorder = EmfRecorder::Create(path, canvas.Width(), canvas.Height(), error);
  if (!recorder) {
    if (notCreated) *notCreated = true;
    return false;
  }
  RecordRedraw(*recorder);
  return recorder->Close(error);
}

bool frmT::SaveVector(const std::string& path, const VectorOptions& options,
                      std::string* error) {
  // A missing or unwritable folder is found before anything is drawn.
  if (!CheckWritable(path, error)) return false;
  // The file shows every item in its own colours.
  ClearHighlight();
  const Canvas& canvas = picT().canvas;
  VectorRecorder recorder(canvas.Width(), canvas.Height(), TessBackColour());
  RecordRedraw(recorder);
  return SaveVectorFile(recorder.Drawing(), options, path, error);
}

}  // namespace wlg
