#include "spherewrap/frmSphereWrap.h"

#include <QPainter>

#include "animation/SpinFrames.h"
#include "controls/EntryTable.h"
#include "designer/frmS.h"
#include "platform/Numbers.h"
#include "spherewrap/SphereScene.h"
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

frmSphereWrap::frmSphereWrap(Program& program, frmS& designer, frmT& tessellator)
    : Form("frmSphereWrap"), p_(program), designer_(designer), tess_(tessellator) {
  SetCaption("SphereWrap");
  CreateControls();
  CreateMenus();
  Wire();
  p_.sphereWrap = this;
  p_.persisted.Register({1, this, KeyStyle::BareName, {"vt", "chk"}});
  Form_Load();
}

void frmSphereWrap::CreateControls() {
  auto entry = [&](const char* name) -> ValidText& {
    return Add<ValidText>(FindEntrySpec(Window::SphereWrap, name), 0, p_.entries);
  };
  entry("vtWidth");
  Add<StaticControl>("lblWidth", 0, ControlKind::Label, "Image Quality");
  entry("vtBackSphere");
  Add<StaticControl>("lblBackSphere", 0, ControlKind::Label, "Back Colour");
  entry("vtVRML");
  Add<StaticControl>("lblVRML", 0, ControlKind::Label, "VRML #");
  Add<CheckBox>("chkRotate", 0, "Rotate").SetToolTip("Let your sphere rotate");
  Add<ScrollBar>("HScroll1", 0, 0, 20, 15, 5);
  Add<StaticControl>("Shape1", 0, ControlKind::Frame, "");
  Add<PictureBox>("picSurface", 0, SurfaceWidth, SurfaceHeight);
}

void frmSphereWrap::CreateMenus() {
  auto item = [&](const char* menu, const char* name, const char* caption,
                  int index = 0) -> MenuItem& { return Add<MenuItem>(name, index, caption, menu); };
  item("&File", "mnuFileSaveBMP", "Save &BMP", 0);
  item("&File", "mnuFileSaveBMP", "Save &JPG", 1);
  item("&File", "mnuFileSaveVRML2", "Save &VRML2");
  item("&File", "mnuFileSaveAnimation", "Save &Animation...");
  item("&File", "mnuSpacer1", "-");
  item("&File", "mnuFileExit", "E&xit SphereWrap");
  item("&Edit", "mnuEditCopy", "&Copy");
  item("&Edit", "mnuEditSmoothEdges", "Smooth &Edges").SetCheckable(true);
  // Enabled when it is joined to the help pages.
  item("&Help", "mnuHelp", "&Help").SetEnabled(false);
}

void frmSphereWrap::Wire() {
  Check("chkRotate").onClick = [this](int) { chkRotate_Click(); };
  HScroll1().onChange = [this](int) { HScroll1_Change(); };
  Entry("vtBackSphere").Changed = [this](int) { vtBackSphere_Changed(); };
  Entry("vtWidth").Changed = [this](int) { vtWidth_Changed(); };
  Menu("mnuFileSaveBMP", 0).onClick = [this](int i) { mnuFileSaveBMP_Click(i); };
  Menu("mnuFileSaveBMP", 1).onClick = [this](int i) { mnuFileSaveBMP_Click(i); };
  Menu("mnuFileSaveVRML2").onClick = [this](int) { mnuFileSaveVRML2_Click(); };
  Menu("mnuFileSaveAnimation").onClick = [this](int) { mnuFileSaveAnimation_Click(); };
  Menu("mnuFileExit").onClick = [this](int) { mnuFileExit_Click(); };
  Menu("mnuEditCopy").onClick = [this](int) { mnuEditCopy_Click(); };
}

void frmSphereWrap::Form_Load() {
  loadWidthTwips_ = LoadWidthTwips;
  loadHeightTwips_ = LoadHeightTwips;
  SetTimer(false);
  // Centred across the window, 20 pixels above the middle of the space
  // left over the control strip.
  const int x = static_cast<int>(RoundHalfEven((loadWidthTwips_ - SphereSide * 15) / 30.0));
  const int y = static_cast<int>(
      RoundHalfEven((loadHeightTwips_ - SphereSide * 15 - Shape1Height * 15) / 30.0 - 20));
  SphereRect = QRect(x, y, SphereSide, SphereSide);
  ApplyWindowColour();
}

void frmSphereWrap::ApplyWindowColour() {
  PictureBox& surface = Surface();
  const Colour c = PaletteColour(Entry("vtBackSphere").Integer());
  if (surface.HasBackColour() && surface.BackColour() == c) return;
  surface.canvas.backColour = c;
  surface.canvas.Clear();
  surface.SetBackColour(c);
}

void frmSphereWrap::SetTimer(bool on) {
  if (timer1Enabled_ == on) return;
  timer1Enabled_ = on;
  if (onTimerChanged) onTimerChanged();
}

void frmSphereWrap::Open() {
  ApplyWindowColour();  // the settings may have brought another colour since
  Show();
  if (onOpen) onOpen();
  Form_Activate();
  // The activation took a fresh copy when the tessellation had changed;
  // otherwise only a missing texture needs building.
  if (!p_.TessImageChanged && !sphere.HasPixels()) SqueezePIC();
}

void frmSphereWrap::Form_Activate() {
  if (p_.TessImageChanged) {
    sphere.GetSpeed(HScroll1().Value());
    SqueezePIC();
    Redraw();
  }
  SetTimer(Check("chkRotate").Checked());
}

bool frmSphereWrap::Form_QueryUnload() {
  SetTimer(false);
  if (p_.AppClosing) return true;
  p_.TessImageChanged = true;
  sphere.Release();
  Hide();
  designer_.TabsActivate();
  return false;
}

void frmSphereWrap::SqueezePIC() {
  SetTimer(false);
  sphere.SqueezePIC(tess_.picT().canvas.Image(), Entry("vtWidth").Number(),
                    Entry("vtBackSphere").Integer());
  SetTimer(Check("chkRotate").Checked());
  p_.TessImageChanged = false;
}

void frmSphereWrap::Redraw() {
  Rotate();
  ShowPalBGR(2);
}

void frmSphereWrap::Tick() {
  if (!timer1Enabled_) return;
  // The sphere turns only while its own window is the active one.
  const std::string active = activeWindowCaption ? activeWindowCaption() : std::string();
  if (active.find("SphereWrap") == std::string::npos) return;
  if (sphere.SpinTick()) ShowPalBGR(2);
  p_.processEvents();
}

void frmSphereWrap::BlitFailed() {
  // Reported, and the window goes on without a sphere: the spin stops and
  // the next activation builds the texture afresh. Nothing ends the program.
  sphere.Release();
  SetTimer(false);
  p_.TessImageChanged = true;
  p_.prompts.Tell(BlitError);
}

bool frmSphereWrap::ShowPalBGR(int plane) {
  const QImage& src = plane == 1 ? sphere.Texture() : sphere.Frame();
  if (!sphere.HasPixels() || src.isNull()) {
    BlitFailed();
    return false;
  }
  PictureBox& surface = Surface();
  ImageCanvas& target = surface.canvas;
  if (target.Image().isNull()) {
    BlitFailed();
    return false;
  }
  // No smoothing: a plain stretch, pixel for pixel as the frame holds them.
  target.DrawImage(QRectF(SphereRect), src, QRectF(sphere.DisplaySource()));
  target.Flush();
  surface.Invalidate();
  return true;
}

std::optional<QImage> frmSphereWrap::CopyToPic1() {
  QImage pic;
  if (sphere.HasPixels() && !sphere.Frame().isNull())
    pic = sphere.Frame().scaled(SphereSide, SphereSide, Qt::IgnoreAspectRatio,
                                Qt::FastTransformation);
  if (pic.isNull()) {
    BlitFailed();
    return std::nullopt;
  }
  return pic;
}

std::optional<QImage> frmSphereWrap::Picture(int side, bool smooth) {
  auto pic = CopyToPic1();
  if (!pic) return pic;
  if (smooth)
    return sphere.Frame().scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  if (side == pic->width()) return pic;
  return pic->scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void frmSphereWrap::chkRotate_Click() { SetTimer(Check("chkRotate").Checked()); }

void frmSphereWrap::HScroll1_Change() { sphere.GetSpeed(HScroll1().Value()); }

// The quality and colour handlers only rebuild the picture, so a restored
// value takes the same path as a commit.
void frmSphereWrap::EntryRestored(ValidText& entry) {
  if (entry.Changed) entry.Changed(entry.Index());
}

void frmSphereWrap::vtBackSphere_Changed() {
  ApplyWindowColour();
  sphere.SetBackCol(Entry("vtBackSphere").Integer());
  // A hidden window has no texture; its next activation builds one.
  if (!IsVisible()) return;
  SqueezePIC();
  Redraw();
}

void frmSphereWrap::vtWidth_Changed() {
  ValidText& width = Entry("vtWidth");
  if (width.Number() == LastQuality) return;
  LastQuality = width.Integer();
  if (!IsVisible()) return;
  SqueezePIC();
  Redraw();
}

void frmSphereWrap::mnuEditCopy_Click() {
  const auto pic = CopyToPic1();
  if (pic && copyToClipboard) copyToClipboard(*pic);
}

void frmSphereWrap::mnuFileSaveBMP_Click(int index) {
  const bool jpg = index == 1;
  const auto chosen =
      designer_.AskSaveName(jpg ? SaveDialog("Saving SphereWrap jpg", "JPG files|*.jpg", "jpg")
                                : SaveDialog("Saving SphereWrap bmp", "BMP files|*.bmp", "bmp"),
                            SaveName);
  if (!chosen) return;
  // Whatever extension was typed, the file gets the kind's own.
  const auto name = PictureOutputName(*chosen, jpg ? "jpg" : "bmp");
  if (!name) return;
  // A picture that cannot be written ends the command without a word; the
  // writer leaves no partial file behind.
  std::string error;
  SavePicture(*name, jpg ? PictureKind::JPG : PictureKind::BMP, &error);
}

void frmSphereWrap::mnuFileSaveVRML2_Click() {
  const auto chosen = designer_.AskSaveName(
      SaveDialog("Saving SphereWrap as VRML", "VRML files|*.wrl", "wrl"), SaveName);
  if (!chosen) return;
  // A name without an extension has no texture name to go with it.
  const auto texture = SphereTextureName(*chosen);
  if (!texture) return;
  std::string error;
  if (SaveVrml(*chosen, &error)) return;
  // No reason: the user kept the picture the texture would have replaced,
  // and a scene naming it would show that picture instead.
  p_.prompts.Tell(error.empty() ? KeptTextureText(*chosen, *texture)
                                : std::string(SceneFailed) + "\r\n" + error);
}

void frmSphereWrap::mnuFileSaveAnimation_Click() {
  SaveAnimationCommand(designer_, "Saving SphereWrap animation", LastAnimation, SaveName, this,
                       [this](int frames) -> std::unique_ptr<FrameSource> {
                         // No sphere: the copy's message says so.
                         if (!CopyToPic1()) return nullptr;
                         return std::make_unique<SphereSpin>(*this, frames,
                                                             Menu("mnuEditSmoothEdges").Checked());
                       });
}

std::string frmSphereWrap::KeptTextureText(const std::string& scene, const std::string& texture) {
  auto name = [](const std::string& path) { return path.substr(path.rfind('/') + 1); };
  return name(scene) + " was not saved: its texture " + name(texture) + " was kept";
}

bool frmSphereWrap::SavePicture(const std::string& path, PictureKind kind, std::string* error,
                                bool smooth) {
  const auto pic = Picture(SphereSide, smooth);
  if (!pic) {
    if (error) *error = BlitError;
    return false;
  }
  return WritePicture(*pic, path, kind, error);
}

bool frmSphereWrap::SaveVrml(const std::string& path, std::string* error) {
  if (error) error->clear();
  // The save dialog asked about the scene's own name only; the picture
  // beside it is the user's to keep.
  if (const auto texture = SphereTextureName(path); texture && !MayReplace(p_.prompts, *texture))
    return false;
  // The texture is the flat tessellation, not the sphere; the canvas has no
  // border, so its whole picture is the client area.
  return WriteSphereScene(tess_.picT().canvas.Image(),
                          PaletteColour(Entry("vtBackSphere").Integer()), Entry("vtVRML").Value(),
                          path, error);
}

}  // namespace wlg
