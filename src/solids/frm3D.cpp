#include "solids/frm3D.h"

#include <cmath>

#include "controls/EntryTable.h"
#include "designer/frmS.h"
#include "platform/Numbers.h"

namespace wlg {

namespace {
constexpr double Pi = 3.14159265358979;
constexpr double TwoPi = 6.28318530717958;
constexpr double HalfPi = 1.570796326794895;

double Degrees(double radians) { return radians * 180 / Pi; }
}  // namespace

frm3D::frm3D(Program& program, frmS& designer)
    : Form("frm3D"), p_(program), designer_(designer) {
  Form::onWindowChanged = [this] { WindowChanged(); };
  SetCaption("3D Whirligons");
  CreateControls();
  CreateMenus();
  Wire();
  WireFiles();
  WireHelpItem(p_, *this, "mnuHelp", "P3D");
  p_.view3D = this;
  p_.persisted.Register({3, this, KeyStyle::NameAndIndex, {"vs", "chk"}});
  Form_Load();
}

void frm3D::CreateControls() {
  auto entry = [&](const char* name, int index = 0) -> ValidText& {
    return Add<ValidText>(FindEntrySpec(Window::View3D, name), index, p_.entries);
  };
  auto label = [&](const char* name, const char* caption, int index = 0) {
    Add<StaticControl>(name, index, ControlKind::Label, caption);
  };
  // The saved controls first, in the order pattern files list them.
  Add<CheckBox>("chkSpin", 0, "Spin Phi");
  Add<CheckBox>("chkSpin", 1, "Spin Theta");
  Add<ScrollBar>("chkVScroll", 0, 0, 100, 50, 10);
  Add<ScrollBar>("chkHScroll", 0, 0, 100, 50, 10);
  entry("vsScale3D");
  entry("vsBack3D", 0);
  entry("vsBack3D", 1);

  entry("vtKa");
  entry("vtKd");
  entry("vtKs");
  entry("vtN");
  entry("vtKdist");
  entry("vtTheta");
  entry("vtPhi");
  entry("vtPsi");

  Add<PictureBox>("pic3D", 0, PictureWidth, PictureHeight);
  Add<PictureBox>("picNav", 0, NavSize, NavSize).SetToolTip(NavToolTip);
  Add<StaticControl>("fraView", 0, ControlKind::Frame, "View");

  label("lblScale3D", "Scale");
  label("lblBack3D", "3D colour", 0);
  label("lblBack3D", "Back colour", 1);
  label("lblKa", "k<sub>a</sub>");
  label("lblKd", "k<sub>d</sub>");
  label("lblKs", "k<sub>s</sub>");
  label("lblN", "N");
  label("lblKdist", "k<sub>dist</sub>");
  label("lblTheta", "Theta");
  label("lblPhi", "Phi");
  label("lblPsi", "Psi");
}

void frm3D::CreateMenus() {
  auto item = [&](const char* menu, const char* name, const char* caption, int index = 0,
                  const char* shortcut = "") -> MenuItem& {
    return Add<MenuItem>(name, index, caption, menu, shortcut);
  };
  item("&File", "mnuFileSave", "&Save .wlg", 0, "Ctrl+S");
  item("&File", "mnuFileSaveAs", "Save &As...", 0, frmS::SaveAsShortcut);
  item("&File", "mnuFileSaveBMP", "Save &BMP", 0);
  item("&File", "mnuFileSaveBMP", "Save &JPG", 1);
  item("&File", "mnuFileSaveOBJ", "Save &OBJ");
  item("&File", "mnuFileSaveGLTF", "Save &glTF...");
  item("&File", "mnuFileSaveVRML2", "Save &VRML2");
  item("&File", "mnuFileSaveNet", "Save &Net...");
  item("&File", "mnuFileSave3MF", "Save &3MF...");
  item("&File", "mnuFileSaveAnimation", "Save &Animation...");
  item("&File", "mnuFileSaveFoldUp", "Save &Fold-up Animation...");
  item("&File", "mnuFileBar", "-");
  item("&File", "mnuFileExit3D", "E&xit 3D");
  item("&Edit", "mnuCopy", "&Copy", 0, "Ctrl+C");
  item("&Edit", "mnuEditVRMLLines", "VRML &Lines").SetCheckable(true);
  item("&Edit", "mnuEditVRMLSmooth", "VRML &Smooth").SetCheckable(true);
  item("&Edit", "mnuEditSmoothEdges", "Smooth &Edges").SetCheckable(true);
  item("&Help", "mnuHelp", "&Help");
}

void frm3D::Wire() {
  auto angles = [this](const char* name, auto assign) {
    Entry(name).Changed = [this, name, assign](int) {
      assign(Entry(name).Number() * Pi / 180);
      CheckAngles();
      DrawData();
    };
  };
  angles("vtTheta", [this](double v) { ThetaRad = static_cast<float>(HalfPi - v); });
  angles("vtPhi", [this](double v) { PhiRad = static_cast<float>(v); });
  angles("vtPsi", [this](double v) { PsiRad = static_cast<float>(-v); });
  for (const char* name : {"vtKa", "vtKd", "vtKs", "vtN", "vtKdist", "vsScale3D"})
    Entry(name).Changed = [this](int) { DrawData(); };
  Entry("vsBack3D", 1).Changed = [this](int) { DrawData(); };
  // The face colour is read when the solid is built, which the designer's
  // redraw does.
  Entry("vsBack3D", 0).Changed = [this](int) { designer_.DrawPolygon(); };

  Check("chkSpin", 0).onClick = [this](int) { chkSpin_Click(); };
  Check("chkSpin", 1).onClick = [this](int) { chkSpin_Click(); };
  chkHScroll().onChange = [this](int) { chkHScroll_Change(); };
  chkVScroll().onChange = [this](int) { chkVScroll_Change(); };

  PictureBox& pic = pic3D();
  pic.onMouseDown = [this](int, MouseButton b, int, float x, float y) { pic3D_MouseDown(b, x, y); };
  pic.onMouseMove = [this](int, MouseButton b, int, float x, float y) { pic3D_MouseMove(b, x, y); };
  pic.onMouseUp = [this](int, MouseButton b, int, float x, float y) { pic3D_MouseUp(b, x, y); };
  auto nav = [this](int, MouseButton b, int, float x, float y) {
    DrawNav(static_cast<int16_t>(b), x, y);
  };
  picNav().onMouseDown = nav;
  picNav().onMouseMove = nav;
}

void frm3D::Form_Load() {
  PhiRad = 0;
  ThetaRad = 1.5707964f;
  PsiRad = 0;
  EyeDistance = 500;
  // The eye at (0, 0, -500), looking at the origin.
  m3_.BuildViewFromAngles(ViewTransform, 1, EyeDistance, PhiRad, -ThetaRad, 0, 0, 0, 0, 1, 0);
  pic3D().canvas.drawWidth = 1;
  pic3D().canvas.backColour = BackColour();
  p_.design.SolidCentre = {pic3D().canvas.Width() / 2.0f, pic3D().canvas.Height() / 2.0f};
  picNav().SetVisible(true);
  ShowViewingParameters();
  Timer1Enabled = true;
}

void frm3D::ResizePicture(int width, int height) {
  pic3D().canvas.Resize(width, height);
  p_.design.SolidCentre = {width / 2.0f, height / 2.0f};
  pic3D().Invalidate();
}

// The entry handlers here only turn, light and redraw the view; none asks
// anything, so a restored value takes the same path as a commit.
void frm3D::EntryRestored(ValidText& entry) {
  if (entry.Changed) entry.Changed(entry.Index());
}

void frm3D::CheckAngles() {
  auto wrap = [](float& a) {
    if (a < 0) a = static_cast<float>(a + TwoPi);
    if (a >= 6.2831855f) a = static_cast<float>(a - TwoPi);
  };
  wrap(PhiRad);
  wrap(ThetaRad);
  const auto q = static_cast<int16_t>(std::floor(PhiRad / HalfPi));
  if (std::fabs(PhiRad - Pi) < 0.01) PhiRad = static_cast<float>(PhiRad + 0.02);
  if (PhiRad == 0) PhiRad = 0.001f;
  // Past a pole the up vector turns over, so the picture does not flip.
  const float up = (q == 0 || q == 3) ? 1.0f : -1.0f;
  m3_.BuildViewFromAngles(ViewTransform, 1, EyeDistance, PhiRad, -ThetaRad, 0, 0, 0, 0, up, 0);
}

void frm3D::ShowViewingParameters() {
  const double theta = Degrees(ThetaRad);
  const double shownTheta = ThetaRad <= 1.5707964f ? 90 - theta : 450 - theta;
  Entry("vtTheta").SetValue(std::to_string(RoundHalfEven(shownTheta)));
  if (PhiRad < 0) PhiRad = static_cast<float>(PhiRad + TwoPi);
  Entry("vtPhi").SetValue(std::to_string(RoundHalfEven(Degrees(PhiRad))));
  Entry("vtPsi").SetValue(std::to_string(-RoundHalfEven(Degrees(PsiRad))));

  nav.Draw(picNav().canvas, NavAngles{ThetaRad, PhiRad, PsiRad});
  picNav().Invalidate();
}

Colour frm3D::BackColour() {
  return Background3D(Entry("vsBack3D", 1).Number(),
                      PaletteColour(Entry("vsBack3D", 0).Integer()));
}

void frm3D::DrawData() {
  ShadingParameters& k = shaded.shading;
  k.Kd = Entry("vtKd").Single();
  k.Ka = Entry("vtKa").Single();
  k.Kdist = Entry("vtKdist").Single();
  k.Ks = Entry("vtKs").Single();
  k.N = Entry("vtN").Single();
  shaded.Scale = Entry("vsScale3D").Single();
  shaded.ViewTransform = ViewTransform;
  shaded.PsiRad = PsiRad;
  shaded.SolidCentre = p_.design.SolidCentre;
  // The face colour may have changed since the last picture.
  pic3D().canvas.backColour = shaded.BackColour = BackColour();
  ShowViewingParameters();
  shaded.DrawData(pic3D().canvas, p_.design.solid);
  pic3D().Invalidate();
}

float frm3D::SpeedOf(const ScrollBar& bar) const {
  return static_cast<float>((bar.Value() - 50) * 0.25 / 50);
}

void frm3D::chkSpin_Click() {
  SpinTheta = Check("chkSpin", 1).Checked();
  SpinPhi = Check("chkSpin", 0).Checked();
  SpinSpeedTheta = SpeedOf(chkHScroll());
  SpinSpeedPhi = SpeedOf(chkVScroll());
}

void frm3D::chkHScroll_Change() { SpinSpeedTheta = SpeedOf(chkHScroll()); }
void frm3D::chkVScroll_Change() { SpinSpeedPhi = SpeedOf(chkVScroll()); }

void frm3D::Tick() {
  if (!Timer1Enabled || !IsVisible()) return;
  if (!Check("chkSpin", 0).Checked() && !Check("chkSpin", 1).Checked()) return;
  if (SpinTheta) ThetaRad -= SpinSpeedTheta;
  // The elevation follows the scroll bar as it stands at this tick.
  if (SpinPhi) PhiRad -= SpeedOf(chkVScroll());
  CheckAngles();
  DrawData();
}

void frm3D::Form_KeyDown(int key) {
  switch (key) {
    case KeyLeft: ThetaRad += KeyStep; break;
    case KeyRight: ThetaRad -= KeyStep; break;
    case KeyUp: PhiRad += KeyStep; break;
    case KeyDown: PhiRad -= KeyStep; break;
    default: return;
  }
  CheckAngles();
  DrawData();
}

void frm3D::pic3D_MouseDown(MouseButton, float, float) { LastMouseX = -1; }
void frm3D::pic3D_MouseUp(MouseButton, float, float) { LastMouseX = -1; }

void frm3D::pic3D_MouseMove(MouseButton button, float x, float y) {
  if (button != MouseButton::Left) return;
  // The first move of a drag only notes where the pointer is.
  if (LastMouseX > 0) {
    ThetaRad -= (x - LastMouseX) / 180;
    PhiRad -= (y - LastMouseY) / 180;
  }
  LastMouseX = x;
  LastMouseY = y;
  CheckAngles();
  DrawData();
}

void frm3D::DrawNav(int16_t button, float x, float y) {
  NavAngles a{ThetaRad, PhiRad, PsiRad};
  if (!nav.Pick(button, x, y, a)) return;
  ThetaRad = a.ThetaRad;
  PhiRad = a.PhiRad;
  PsiRad = a.PsiRad;
  p_.processEvents();
  if (!RollIsShown(PsiRad)) {
    CheckAngles();
    DrawData();
    return;
  }
  // A rolled picture is built from turned angles so that it still moves
  // the way the disc points; the boxes and the disc keep the picked ones.
  const float theta0 = ThetaRad, phi0 = PhiRad;
  float theta = 0, phi = 0;
  RollCompensatedAngles(NavAngles{theta0, phi0, PsiRad}, theta, phi);
  ThetaRad = theta;
  PhiRad = phi;
  CheckAngles();
  ThetaRad = theta0;
  PhiRad = phi0;
  DrawData();
}

bool frm3D::Form_QueryUnload() {
  if (p_.AppClosing) return true;
  Hide();
  return false;
}

void frm3D::WindowChanged() {
  const bool hidden = shown_ && !IsVisible();
  shown_ = IsVisible();
  // The tabs are locked only while a solid is on show.
  if (hidden) designer_.TabsActivate();
  if (onWindowChanged) onWindowChanged();
}

}  // namespace wlg
