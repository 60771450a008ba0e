#include "controls/Form.h"

#include "platform/Numbers.h"

namespace wlg {

Control* Form::Find(const std::string& name, int index) const {
  for (const auto& c : controls_)
    if (c->Index() == index && c->Name() == name) return c.get();
  return nullptr;
}

Control* Form::FindNoCase(const std::string& name, int index) const {
  for (const auto& c : controls_)
    if (c->Index() == index && EqualsNoCase(c->Name(), name)) return c.get();
  return nullptr;
}

}  // namespace wlg
