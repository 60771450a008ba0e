#include "solids/VrmlNumbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/Numbers.h"

namespace wlg {

namespace {

// Shortest fixed-point text with at most 'maxDigits' significant digits that
// reads back to the value (or the closest such text), sign included.
template <class T>
std::string Shortest(T value, int maxDigits) {
  if (!std::isfinite(value) || value == 0) return "0";
  const double v = static_cast<double>(value);
  const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
  char buf[512];
  for (int digits = 1; digits <= maxDigits; ++digits) {
    const int decimals = std::max(0, digits - 1 - exponent);
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    const T back = static_cast<T>(std::strtod(buf, nullptr));
    if (back == value || digits == maxDigits) break;
  }
  std::string s = buf;
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

std::string DropLeadingZero(std::string s) {
  if (s.rfind("0.", 0) == 0) return s.substr(1);
  if (s.rfind("-0.", 0) == 0) return "-" + s.substr(2);
  return s;
}

std::string Print(const std::string& digits) {
  return digits[0] == '-' ? digits + " " : " " + digits + " ";
}

}  // namespace

std::string VrmlDigits(float value) { return DropLeadingZero(Shortest(value, 7)); }
std::string VrmlDigits(double value) { return DropLeadingZero(Shortest(value, 15)); }
std::string PrintStyle(float value) { return Print(VrmlDigits(value)); }
std::string PrintStyle(double value) { return Print(VrmlDigits(value)); }
std::string PlainStyle(float value) { return Shortest(value, 7); }
std::string PlainStyle(double value) { return Shortest(value, 15); }

std::string Fixed3(double value) {
  const double r = std::round(value * 1000.0) / 1000.0;  // halves away from zero
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", r == 0 ? 0.0 : r);
  return buf;
}

std::string IndexForm(long index) { return " " + std::to_string(index) + " ,"; }

std::string VrmlWorldHeader(const std::string& viewpoint) {
  std::string out;
  for (const std::string& line : {
           std::string("#VRML V2.0 utf8"),
           std::string("WorldInfo {"),
           std::string("title \"Whirligons\""),
           std::string("info ["),
           std::string("\"Description: Whirligons\""),
           std::string("\"Programming: Whirligons developers\""),  // the project, not one person
           std::string("\"Created: January 2002\""),
           std::string("] }"),
           std::string("#You can change the lighting manually by removing the comment before "
                       "the appropriate line"),
           std::string("NavigationInfo {headlight TRUE type \"ALL\"}"),
           std::string("#DirectionalLight {}"),
           std::string("#SpotLight {location 0 0 25}"),
           std::string("PointLight {location 0 10 10}"),
           std::string("PointLight {location 10 -10 0}"),
           "Viewpoint {position " + viewpoint + "}",
           std::string("#You can remove the Background by adding a # in front of the next line"),
       })
    out += line + "\r\n";
  return out;
}

std::string VrmlSceneOpening(const std::string& viewpoint, Colour background) {
  const auto half = [](int channel) {
    return PrintStyle(static_cast<double>(RoundHalfEven(channel / 255.0)) / 2);
  };
  return VrmlWorldHeader(viewpoint) + "Background {skyColor " + half(RedOf(background)) + "," +
         half(GreenOf(background)) + "," + half(BlueOf(background)) + "}\r\n" +
         "DEF Knot Transform {children [ DEF Click TouchSensor { } DEF MyRotate SphereSensor { "
         "}\r\n";
}

std::string VrmlSceneClosing() {
  std::string out;
  for (const char* line : {
           "] }",
           "DEF s Script {",
           "eventIn SFTime touch",
           "eventOut SFBool flag",
           "url \"javascript: function touch () {flag = false; }\"}",
           "DEF myClock TimeSensor { cycleInterval 30.0 loop TRUE }",
           "DEF Animation OrientationInterpolator {",
           "key [ 0,      .33,       .66,        1.0 ]",
           "keyValue [ 0 1 0 0, 0 1 0 2.1, 0 1 0 4.2, 0 1 0 0 ]}",
           "ROUTE Click.touchTime TO myClock.stopTime",
           "ROUTE Click.touchTime TO s.touch",
           "ROUTE s.flag TO Click.enabled",
           "ROUTE myClock.fraction_changed TO Animation.set_fraction",
           "ROUTE Animation.value_changed TO Knot.rotation",
           "ROUTE MyRotate.rotation_changed TO Knot.set_rotation",
       }) {
    out += line;
    out += "\r\n";
  }
  return out;
}

}  // namespace wlg
