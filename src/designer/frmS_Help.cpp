// The Help menu: the help pages and the registration of the pattern file type.

#include "designer/frmS.h"
#include "shell/Help.h"
#include "shell/XdgKeyStore.h"

namespace wlg {

void frmS::WireHelpHandlers() {
  WireHelpItem(p_, *this, "mnuHowToUse", "PHowToUse");
  WireHelpItem(p_, *this, "mnuHelpGuides", "PPowerUse");
  WireHelpItem(p_, *this, "mnuHelpTessellator", "PTessellator");
  WireHelpItem(p_, *this, "mnuHelp3D", "P3D");
  WireHelpItem(p_, *this, "mnuHelpWhirligons", "PWhirligons");
  WireHelpItem(p_, *this, "mnuHelpFAQ", "PFrequently Asked Questions");
  WireHelpItem(p_, *this, "mnuHelpAbout", "PAbout");
  MenuItem& reg = Menu("mnuHelpRegister");
  reg.onClick = [this](int) { mnuHelpRegister_Click(); };
  reg.SetEnabled(true);
}

void frmS::mnuHelpRegister_Click() {
  XdgKeyStore store(XdgKeyStore::UserDataHome());
  RegisterFileTypeCommand(store, p_.prompts, Association);
}

}  // namespace wlg
